#include "SqliteStatement.h"

#include "HostErrors.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {

// As Qt's own binding: a variant holding a null string, date or byte array
// is a NULL, not an empty value.
bool isNullValue(const QVariant& v) {
    if (v.isNull())
        return true;
    switch (v.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString*>(v.constData())->isNull();
    case QMetaType::QByteArray:
        return static_cast<const QByteArray*>(v.constData())->isNull();
    case QMetaType::QDateTime:
        return static_cast<const QDateTime*>(v.constData())->isNull();
    default:
        return false;
    }
}

int bindValue(sqlite3_stmt* stmt, int index, const QVariant& v) {
    if (isNullValue(v))
        return sqlite3_bind_null(stmt, index);
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(stmt, index, v.toDouble());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return sqlite3_bind_int64(stmt, index, v.toLongLong());
    case QMetaType::QDateTime: {
        const QByteArray text = v.toDateTime().toString(Qt::ISODateWithMs).toUtf8();
        return sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::QByteArray: {
        // Bytes are bound as the text they read as: valid UTF-8 as it is,
        // anything else through its text (bad sequences as U+FFFD).
        const auto* bytes = static_cast<const QByteArray*>(v.constData());
        if (QByteArrayView(*bytes).isValidUtf8())
            return sqlite3_bind_text(stmt, index, bytes->constData(), int(bytes->size()), SQLITE_TRANSIENT);
        const QByteArray text = v.toString().toUtf8();
        return sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray text = v.toString().toUtf8();
        return sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

QString textOf(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}

// One cell into the packet, converted to the column's kind.
void appendCell(DataPacket& packet, FieldKind kind, sqlite3_stmt* stmt, int column) {
    const int type = sqlite3_column_type(stmt, column);
    if (type == SQLITE_NULL) {
        packet.appendNull();
        return;
    }
    switch (kind) {
    case FieldKind::Text:
        if (type == SQLITE_FLOAT) // rendered as the generic path renders a double
            packet.appendText(
                QString::number(sqlite3_column_double(stmt, column), 'g', QLocale::FloatingPointShortest));
        else
            packet.appendUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                              sqlite3_column_bytes(stmt, column));
        return;
    case FieldKind::Float:
        packet.appendNumber(sqlite3_column_double(stmt, column));
        return;
    case FieldKind::Integer:
        packet.appendInteger(sqlite3_column_int64(stmt, column));
        return;
    case FieldKind::DateTime:
        packet.appendDateTime(QDateTime::fromString(textOf(stmt, column), Qt::ISODateWithMs));
        return;
    }
}

} // namespace

sqlite3* SqliteStatement::handleOf(const QSqlDatabase& db) {
    if (!db.isValid() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || std::strcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

void SqliteStatement::exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    if (rc == SQLITE_OK)
        return;
    const QString reason = message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_free(message);
    const QString what = QStringLiteral("The database refused the statement");
    const QSqlError error(what, reason, QSqlError::StatementError, QString::number(sqlite3_extended_errcode(db)));
    throw DatabaseError(QStringLiteral("%1: %2").arg(what, reason), error, QString::fromLatin1(sql));
}

bool SqliteStatement::inTransaction(sqlite3* db) {
    return db != nullptr && sqlite3_get_autocommit(db) == 0;
}

SqliteStatement::SqliteStatement(sqlite3* db, const QString& sql) : m_db(db), m_sql(sql) {
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        fail(QStringLiteral("The database refused the statement"));
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_stmt);
}

bool SqliteStatement::hasParameter(const QString& placeholder) const {
    return sqlite3_bind_parameter_index(m_stmt, placeholder.toUtf8().constData()) > 0;
}

void SqliteStatement::setParam(const QString& placeholder, const QVariant& value) {
    setParamAt(parameterIndex(placeholder), value);
}

int SqliteStatement::parameterIndex(const QString& placeholder) const {
    constexpr int kPoucos = 16;
    const int quantos = sqlite3_bind_parameter_count(m_stmt);
    if (quantos <= kPoucos)
        return sqlite3_bind_parameter_index(m_stmt, placeholder.toUtf8().constData());
    if (m_positions.isEmpty()) {
        m_positions.reserve(quantos);
        for (int i = 1; i <= quantos; ++i) // a name used twice has one position
            if (const char* nome = sqlite3_bind_parameter_name(m_stmt, i))
                m_positions.insert(QString::fromUtf8(nome), i);
    }
    return m_positions.value(placeholder, 0);
}

void SqliteStatement::setParamAt(int index, const QVariant& value) {
    if (index <= 0 || index > sqlite3_bind_parameter_count(m_stmt))
        return;
    if (m_values.size() < index)
        m_values.resize(sqlite3_bind_parameter_count(m_stmt));
    // A null assigned is still assigned: bound as NULL, as before.
    m_values[index - 1] = value.isValid() ? value : QVariant(QMetaType::fromType<std::nullptr_t>());
}

void SqliteStatement::bindAll() {
    sqlite3_reset(m_stmt);
    // Every parameter assigned: each bind replaces the last run's value, and
    // clearing them all first would only free what is bound again.
    const bool everyOne =
        m_values.size() == sqlite3_bind_parameter_count(m_stmt) &&
        std::all_of(m_values.cbegin(), m_values.cend(), [](const QVariant& v) { return v.isValid(); });
    if (!everyOne)
        sqlite3_clear_bindings(m_stmt);
    for (qsizetype i = 0; i < m_values.size(); ++i)
        if (m_values[i].isValid() && bindValue(m_stmt, int(i) + 1, m_values[i]) != SQLITE_OK)
            fail(QStringLiteral("A parameter could not be bound"));
}

void SqliteStatement::run() {
    bindAll();
    m_row = -1;
    step();
}

void SqliteStatement::execute() {
    bindAll();
    m_row = -1;
    do
        step();
    while (m_onRow);
    sqlite3_reset(m_stmt);
}

int SqliteStatement::changes() const {
    return sqlite3_changes(m_db);
}

void SqliteStatement::reset() {
    sqlite3_reset(m_stmt);
    m_onRow = false;
    m_row = -1;
}

void SqliteStatement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        m_onRow = true;
        ++m_row;
        return;
    }
    m_onRow = false;
    if (rc != SQLITE_DONE) {
        // The error is the statement's; reset makes the message the
        // connection's latest and releases the statement.
        sqlite3_reset(m_stmt);
        fail(QStringLiteral("The database refused the statement"));
    }
}

void SqliteStatement::next() {
    if (m_onRow)
        step();
}

int SqliteStatement::columnIndex(const QString& name) const {
    const int count = sqlite3_column_count(m_stmt);
    for (int c = 0; c < count; ++c)
        if (name.compare(QString::fromUtf8(sqlite3_column_name(m_stmt, c)), Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

QVariant SqliteStatement::value(int column) const {
    if (!m_onRow)
        return {};
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    default:
        return textOf(m_stmt, column);
    }
}

void SqliteStatement::readInto(DataPacket& packet, const QList<FieldDef>& columns) {
    const int count = int(columns.size());
    while (m_onRow) {
        packet.beginRow();
        for (int c = 0; c < count; ++c)
            appendCell(packet, columns[c].kind, m_stmt, c);
        step();
    }
}

void SqliteStatement::fail(const QString& what) const {
    const QString reason = QString::fromUtf8(sqlite3_errmsg(m_db));
    const QSqlError error(what, reason, QSqlError::StatementError, QString::number(sqlite3_extended_errcode(m_db)));
    throw DatabaseError(reason.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, reason), error, m_sql);
}
