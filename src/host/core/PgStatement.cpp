#include "PgStatement.h"

#include "ClientLibraries.h"
#include "HostErrors.h"

#include <QAtomicInteger>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <charconv>
#include <cstring>
#include <limits>
#include <optional>

namespace {

// Loaded before any statement is made: handleOf() gives no connection without it.
const ClientLibraries::Pq& pq() {
    return *ClientLibraries::pq();
}

// The server's type numbers of the columns read here (pg_type.oid).
enum : Oid {
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kText = 25,
    kName = 19,
    kFloat4 = 700,
    kFloat8 = 701,
    kBpchar = 1042,
    kVarchar = 1043,
    kNumeric = 1700,
};

bool isTextType(Oid t) {
    return t == kText || t == kVarchar || t == kBpchar || t == kName;
}
bool isIntegerType(Oid t) {
    return t == kInt2 || t == kInt4 || t == kInt8;
}
bool isRealType(Oid t) {
    return t == kFloat4 || t == kFloat8 || t == kNumeric;
}

// Whether a column of server type t read into a packet column of this kind
// gives what the driver's value gives there.
bool fits(FieldKind kind, Oid t) {
    switch (kind) {
    case FieldKind::Text: // the driver's integer printed again is the server's text
        return isTextType(t) || isIntegerType(t);
    case FieldKind::Float:
        return isRealType(t) || isIntegerType(t);
    case FieldKind::Integer:
        return isIntegerType(t);
    case FieldKind::DateTime:
        return false;
    }
    return false;
}

// The server's text of a number, read as the driver reads it: C locale,
// correctly rounded; NaN and the infinities by name. Null when unreadable.
std::optional<double> realOf(const char* text, int size) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text, text + size, v);
    if (ec == std::errc() && end == text + size)
        return v;
    if (qstricmp(text, "NaN") == 0)
        return std::numeric_limits<double>::quiet_NaN();
    if (qstricmp(text, "Infinity") == 0)
        return std::numeric_limits<double>::infinity();
    if (qstricmp(text, "-Infinity") == 0)
        return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

qint64 integerOf(const char* text, int size) {
    qint64 v = 0;
    std::from_chars(text, text + size, v);
    return v;
}

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// ":NAME" placeholders outside quoted literals become $1, $2, ... (a name
// used twice keeps its number); "::type" casts stay as they are.
QString numbered(const QString& sql, QStringList& names) {
    QString out;
    out.reserve(sql.size());
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            out += c;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            out += c;
            continue;
        }
        const bool cast = (i > 0 && sql[i - 1] == u':') || (i + 1 < sql.size() && sql[i + 1] == u':');
        if (c != u':' || cast || i + 1 >= sql.size() || !isNameChar(sql[i + 1])) {
            out += c;
            continue;
        }
        qsizetype end = i + 1;
        while (end < sql.size() && isNameChar(sql[end]))
            ++end;
        const QString name = sql.mid(i, end - i);
        qsizetype n = names.indexOf(name);
        if (n < 0) {
            names.append(name);
            n = names.size() - 1;
        }
        out += u'$' + QString::number(n + 1);
        i = end - 1;
    }
    return out;
}

QByteArray nextName() {
    static QAtomicInteger<quint32> counter;
    return "kmr_read_" + QByteArray::number(++counter);
}

} // namespace

void PgStatement::ResultDeleter::operator()(pg_result* r) const {
    pq().PQclear(r);
}

pg_conn* PgStatement::handleOf(const QSqlDatabase& db) {
    if (!db.isValid() || !db.driver() || !db.isOpen() || ClientLibraries::pq() == nullptr)
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || (std::strcmp(v.typeName(), "PGconn*") != 0 && std::strcmp(v.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(v.constData());
}

bool PgStatement::bindable(const QVariant& value) {
    return !value.isValid() || value.typeId() == QMetaType::QString;
}

PgStatement::PgStatement(pg_conn* conn, const QString& sql) : m_conn(conn), m_sql(sql), m_name(nextName()) {
    m_numbered = numbered(sql, m_names).toUtf8();
}

PgStatement::~PgStatement() = default;

void PgStatement::deallocate() {
    reset();
    if (m_prepared && idle() && pq().PQtransactionStatus(m_conn) != PQTRANS_INERROR)
        pq().PQclear(pq().PQexec(m_conn, ("DEALLOCATE " + m_name).constData()));
    m_prepared = false;
}

bool PgStatement::idle() const {
    return pq().PQstatus(m_conn) == CONNECTION_OK && pq().PQtransactionStatus(m_conn) != PQTRANS_ACTIVE;
}

bool PgStatement::prepare() {
    if (m_prepared)
        return true;
    if (m_refused)
        return false;
    Result prepared(pq().PQprepare(m_conn, m_name.constData(), m_numbered.constData(), int(m_names.size()), nullptr));
    if (pq().PQresultStatus(prepared.get()) != PGRES_COMMAND_OK) {
        // Inside a failed transaction every statement is refused: try again
        // in a later one. Any other refusal stays with the driver's path.
        if (pq().PQtransactionStatus(m_conn) != PQTRANS_INERROR && pq().PQstatus(m_conn) == CONNECTION_OK)
            m_refused = true;
        return false;
    }
    Result described(pq().PQdescribePrepared(m_conn, m_name.constData()));
    if (pq().PQresultStatus(described.get()) != PGRES_COMMAND_OK) {
        // Prepared but not described: dropped with the object.
        m_prepared = true;
        m_refused = true;
        return false;
    }
    m_prepared = true;
    const int count = pq().PQnfields(described.get());
    for (int c = 0; c < count; ++c) {
        m_types.push_back(pq().PQftype(described.get(), c));
        m_columnNames.append(QString::fromUtf8(pq().PQfname(described.get(), c)));
    }
    return true;
}

bool PgStatement::supports(const QList<FieldDef>* columns) {
    if (!prepare() || m_refused)
        return false;
    for (const Oid t : m_types)
        if (!isTextType(t) && !isIntegerType(t) && !isRealType(t))
            return false;
    if (columns) {
        if (columns->size() > qsizetype(m_types.size()))
            return true; // the caller reports the missing columns
        for (qsizetype c = 0; c < columns->size(); ++c)
            if (!fits(columns->at(c).kind, m_types[size_t(c)]))
                return false;
    }
    return true;
}

void PgStatement::run(const QList<QVariant>& values) {
    reset();
    std::vector<QByteArray> texts(size_t(values.size()));
    std::vector<const char*> pointers(size_t(values.size()), nullptr);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        if (!v.isValid())
            continue;
        const auto* s = static_cast<const QString*>(v.constData());
        if (s->isNull())
            continue;
        texts[size_t(i)] = s->toUtf8();
        pointers[size_t(i)] = texts[size_t(i)].constData();
    }
    m_result.reset(
        pq().PQexecPrepared(m_conn, m_name.constData(), int(pointers.size()), pointers.data(), nullptr, nullptr, 0));
    if (pq().PQresultStatus(m_result.get()) != PGRES_TUPLES_OK)
        fail(QStringLiteral("The query failed"), m_result.get());
    m_rows = pq().PQntuples(m_result.get());
    m_row = 0;
}

void PgStatement::reset() {
    m_result.reset();
    m_row = 0;
    m_rows = 0;
}

bool PgStatement::onRow() const {
    return m_result && m_row < m_rows;
}

void PgStatement::next() {
    if (onRow())
        ++m_row;
}

int PgStatement::columnIndex(const QString& name) const {
    for (qsizetype c = 0; c < m_columnNames.size(); ++c)
        if (m_columnNames[c].compare(name, Qt::CaseInsensitive) == 0)
            return int(c);
    return -1;
}

int PgStatement::columnCount() const {
    return int(m_types.size());
}

QVariant PgStatement::value(int column) const {
    if (!onRow() || column < 0 || column >= columnCount() || pq().PQgetisnull(m_result.get(), m_row, column))
        return {};
    const char* text = pq().PQgetvalue(m_result.get(), m_row, column);
    const int size = pq().PQgetlength(m_result.get(), m_row, column);
    const Oid t = m_types[size_t(column)];
    if (t == kInt2 || t == kInt4)
        return int(integerOf(text, size));
    if (t == kInt8)
        return integerOf(text, size);
    if (isRealType(t)) {
        const std::optional<double> v = realOf(text, size);
        return v ? QVariant(*v) : QVariant();
    }
    return QString::fromUtf8(text, size);
}

void PgStatement::appendCell(DataPacket& packet, FieldKind kind, int column) const {
    pg_result* r = m_result.get();
    if (pq().PQgetisnull(r, m_row, column)) {
        packet.appendNull();
        return;
    }
    const char* text = pq().PQgetvalue(r, m_row, column);
    const int size = pq().PQgetlength(r, m_row, column);
    switch (kind) {
    case FieldKind::Text:
        packet.appendUtf8(text, size);
        return;
    case FieldKind::Float:
        if (const std::optional<double> v = realOf(text, size))
            packet.appendNumber(*v);
        else
            packet.appendNull();
        return;
    case FieldKind::Integer:
        packet.appendInteger(integerOf(text, size));
        return;
    case FieldKind::DateTime: // never chosen (see fits)
        packet.appendNull();
        return;
    }
}

void PgStatement::readInto(DataPacket& packet, const QList<FieldDef>& columns) {
    if (!m_result)
        return;
    packet.reserve(m_rows - m_row);
    const int count = int(columns.size());
    for (; m_row < m_rows; ++m_row) {
        packet.beginRow();
        for (int c = 0; c < count; ++c)
            appendCell(packet, columns[c].kind, c);
    }
}

void PgStatement::fail(const QString& what, pg_result* result) const {
    // As the driver words it: the server's message, its SQLSTATE, and a
    // connection error when the connection is gone.
    const QString reason =
        QString::fromUtf8(result ? pq().PQresultErrorMessage(result) : pq().PQerrorMessage(m_conn)).trimmed();
    const char* state = result ? pq().PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QSqlError::ErrorType type =
        pq().PQstatus(m_conn) == CONNECTION_OK ? QSqlError::StatementError : QSqlError::ConnectionError;
    const QSqlError error(QStringLiteral("Unable to create query"), reason, type,
                          state ? QString::fromLatin1(state) : QString());
    throw DatabaseError(reason.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, reason), error, m_sql);
}
