#include "TADOQuery.h"

#include "HostErrors.h"
#include "PgStatement.h"
#include "SqliteStatement.h"

#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

namespace {

[[noreturn]] void fail(const QString& what, const QSqlError& error, const QString& sql) {
    // The database's own words name the problem; the driver's part travels
    // in the error for whoever formats the report.
    QString reason = error.databaseText().trimmed();
    if (reason.isEmpty())
        reason = error.text().trimmed();
    throw DatabaseError(reason.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, reason), error, sql);
}

// Appends one cell with as little conversion as the value allows: texts and
// doubles arrive from the drivers already in the column's form.
void appendCell(DataPacket& packet, FieldKind kind, const QVariant& v) {
    if (v.isNull()) {
        packet.appendNull();
        return;
    }
    const int type = v.typeId();
    switch (kind) {
    case FieldKind::Text:
        if (type == QMetaType::QString)
            packet.appendText(*static_cast<const QString*>(v.constData()));
        else
            packet.appendText(v.toString());
        return;
    case FieldKind::Float:
        if (type == QMetaType::Double)
            packet.appendNumber(*static_cast<const double*>(v.constData()));
        else
            packet.appendNumber(v.toDouble());
        return;
    case FieldKind::Integer:
        packet.appendInteger(v.toLongLong());
        return;
    case FieldKind::DateTime:
        packet.appendDateTime(v.toDateTime());
        return;
    }
}

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// The placeholders (":NAME") of a statement, outside quoted literals, read
// once per text rather than at every bind.
QSet<QString> placeholdersOf(QStringView sql) {
    QSet<QString> names;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            continue;
        }
        if (c != u':')
            continue;
        qsizetype end = i + 1;
        while (end < sql.size() && isNameChar(sql[end]))
            ++end;
        if (end > i + 1)
            names.insert(sql.mid(i, end - i).toString());
        i = end - 1;
    }
    return names;
}

} // namespace

TADOQuery::TADOQuery(TADOConnection& connection, const QString& sql)
    : m_connection(connection), m_sql(sql), m_placeholders(placeholdersOf(sql)) {
}

TADOQuery::~TADOQuery() {
    if (m_native || m_pg)
        m_connection.removeCloseListener(this);
}

void TADOQuery::setSql(const QString& sql) {
    if (sql == m_sql)
        return;
    close();
    // The statement of the old text is dropped on the server while its
    // session goes on; the close listener keeps m_pg from outliving it.
    if (m_pg && m_pg->handle() == PgStatement::handleOf(m_connection.database())) {
        const TADOConnection::Waiting waiting(m_connection);
        m_pg->deallocate();
    }
    m_sql = sql;
    m_placeholders = placeholdersOf(sql);
    m_bound.clear();
    m_handles.clear();
    release();
}

// Drops the prepared statement; the next use prepares it again.
void TADOQuery::release() {
    if (m_native || m_pg)
        m_connection.removeCloseListener(this);
    m_native.reset();
    m_pg.reset();
    m_onPg = false;
    m_query.reset();
    m_prepared = false;
    m_active = false;
}

bool TADOQuery::preparedOnCurrentConnection() const {
    if (!m_prepared)
        return false;
    if (m_native)
        return m_native->handle() == SqliteStatement::handleOf(m_connection.database());
    // Every connect makes a new driver: a statement of an earlier one is stale.
    return m_query && m_query->driver() && m_query->driver() == m_connection.database().driver();
}

void TADOQuery::prepare() {
    if (preparedOnCurrentConnection())
        return;
    release();
    if (!m_connection.connected())
        throw DatabaseError(QStringLiteral("The database is not connected."), QSqlError(), m_sql);
    if (sqlite3* handle = SqliteStatement::handleOf(m_connection.database())) {
        m_native = std::make_unique<SqliteStatement>(handle, m_sql);
        m_connection.addCloseListener(this, [this] { release(); });
        m_prepared = true;
        return;
    }
    m_query = std::make_unique<QSqlQuery>(m_connection.database());
    m_query->setForwardOnly(true);
    // Numbers come back as doubles, never as fixed-point texts.
    m_query->setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    const TADOConnection::Waiting waiting(m_connection);
    if (!m_query->prepare(m_sql))
        fail(QStringLiteral("The database refused the statement"), m_query->lastError(), m_sql);
    if (pg_conn* conn = PgStatement::handleOf(m_connection.database())) {
        m_pg = std::make_unique<PgStatement>(conn, m_sql);
        m_connection.addCloseListener(this, [this] { release(); });
    }
    m_prepared = true;
}

// Runs the read on the libpq connection when its values and columns allow
// it; false leaves it to Qt's driver.
bool TADOQuery::runOnPg() {
    if (!m_pg || !m_pg->idle())
        return false;
    QList<QVariant> values;
    values.reserve(m_pg->parameters().size());
    for (const QString& name : m_pg->parameters()) {
        QVariant v = m_query->boundValue(name);
        if (!m_placeholders.contains(name) || !PgStatement::bindable(v))
            return false;
        values.append(std::move(v));
    }
    const TADOConnection::Waiting waiting(m_connection);
    if (!m_pg->supports(nullptr))
        return false;
    m_pg->run(values);
    m_onPg = true;
    m_active = true;
    return true;
}

void TADOQuery::setParam(const QString& name, const QVariant& value) {
    prepare();
    const QString placeholder = QLatin1Char(':') + name;
    if (!m_placeholders.contains(placeholder))
        throw DatabaseError(QStringLiteral("The statement has no parameter named %1.").arg(name), QSqlError(), m_sql);
    if (m_native)
        m_native->setParam(placeholder, value);
    else
        m_query->bindValue(placeholder, value);
}

int TADOQuery::paramIndex(const QString& name) {
    if (!m_native) // a statement on the SQLite handle stands only while its connection does (see setParam)
        prepare();
    const QString placeholder = QLatin1Char(':') + name;
    if (!m_placeholders.contains(placeholder))
        throw DatabaseError(QStringLiteral("The statement has no parameter named %1.").arg(name), QSqlError(), m_sql);
    if (const auto dado = m_handles.constFind(placeholder); dado != m_handles.constEnd())
        return *dado;
    m_bound.append({placeholder, m_native ? m_native->parameterIndex(placeholder) : 0});
    m_handles.insert(placeholder, int(m_bound.size() - 1));
    return int(m_bound.size() - 1);
}

void TADOQuery::setParam(int index, const QVariant& value) {
    // A statement on the SQLite handle is dropped when its connection closes,
    // so while it stands it is the current one: no look-up per value.
    if (!m_native)
        prepare();
    if (index < 0 || index >= m_bound.size())
        throw DatabaseError(QStringLiteral("The statement has no parameter number %1.").arg(index), QSqlError(), m_sql);
    const BoundName& bound = m_bound[index];
    if (m_native)
        m_native->setParamAt(bound.native, value);
    else
        m_query->bindValue(bound.placeholder, value);
}

void TADOQuery::open() {
    prepare();
    close();
    if (m_native) {
        m_native->run();
        m_active = true;
        return;
    }
    if (runOnPg())
        return;
    if (const TADOConnection::Waiting waiting(m_connection); !m_query->exec())
        fail(QStringLiteral("The query failed"), m_query->lastError(), m_sql);
    m_active = true;
    m_query->next();
    if (m_query->lastError().isValid())
        fail(QStringLiteral("Reading the query's rows failed"), m_query->lastError(), m_sql);
}

void TADOQuery::close() {
    if (m_active) {
        if (m_native)
            m_native->reset();
        else if (m_onPg)
            m_pg->reset();
        else if (m_query)
            m_query->finish();
    }
    m_active = false;
    m_onPg = false;
}

bool TADOQuery::eof() const {
    if (!m_active)
        return true;
    if (m_onPg)
        return !m_pg->onRow();
    return m_native ? !m_native->onRow() : !m_query->isValid();
}

// The cursor only moves forward, so this is exact while it stands on the first
// row, which is where callers ask.
bool TADOQuery::isEmpty() const {
    if (!m_active)
        return true;
    if (m_native)
        return !m_native->onRow();
    if (m_onPg)
        return !m_pg->onRow();
    return m_query->at() != 0 && !m_query->isValid();
}

void TADOQuery::next() {
    if (eof())
        return;
    if (m_native) {
        m_native->next();
        return;
    }
    if (m_onPg) {
        m_pg->next();
        return;
    }
    m_query->next();
    if (m_query->lastError().isValid())
        fail(QStringLiteral("Reading the query's rows failed"), m_query->lastError(), m_sql);
}

QVariant TADOQuery::fieldValue(const QString& name) const {
    if (!m_active)
        throw DatabaseError(QStringLiteral("The query is closed."), QSqlError(), m_sql);
    const int index = m_native ? m_native->columnIndex(name)
                      : m_onPg ? m_pg->columnIndex(name)
                               : m_query->record().indexOf(name);
    if (index < 0)
        throw DatabaseError(QStringLiteral("The query has no field named %1.").arg(name), QSqlError(), m_sql);
    if (eof())
        return {};
    if (m_onPg)
        return m_pg->value(index);
    return m_native ? m_native->value(index) : m_query->value(index);
}

QString TADOQuery::fieldText(const QString& name) const {
    const QVariant v = fieldValue(name);
    return v.isNull() ? QString() : v.toString();
}

DataPacket TADOQuery::readPacket(const QList<FieldDef>& columns) {
    const bool wasActive = m_active;
    if (!wasActive)
        open();
    try {
        return readRows(columns, wasActive);
    } catch (...) {
        // A query opened here is not left open on a failure: the next call
        // binds its values and runs it again rather than reading a stale cursor.
        if (!wasActive)
            close();
        throw;
    }
}

DataPacket TADOQuery::readRows(const QList<FieldDef>& columns, bool wasActive) {
    const int resultColumns = m_native ? m_native->columnCount()
                              : m_onPg ? m_pg->columnCount()
                                       : int(m_query->record().count());
    if (resultColumns < columns.size())
        throw DatabaseError(QStringLiteral("The query returns %1 columns where %2 are expected.")
                                .arg(resultColumns)
                                .arg(columns.size()),
                            QSqlError(), m_sql);
    DataPacket packet(columns);
    const int count = int(columns.size());
    if (m_native) {
        m_native->readInto(packet, columns);
    } else if (m_onPg && m_pg->supports(&columns)) {
        m_pg->readInto(packet, columns);
    } else if (m_onPg) {
        // A column the packet keeps in another kind: the driver's value,
        // converted as below.
        for (; m_pg->onRow(); m_pg->next()) {
            packet.beginRow();
            for (int c = 0; c < count; ++c)
                appendCell(packet, columns[c].kind, m_pg->value(c));
        }
    } else {
        const int size = m_query->size();
        if (size > 0)
            packet.reserve(size);
        while (m_query->isValid()) {
            packet.beginRow();
            for (int c = 0; c < count; ++c)
                appendCell(packet, columns[c].kind, m_query->value(c));
            m_query->next();
        }
        if (m_query->lastError().isValid())
            fail(QStringLiteral("Reading the query's rows failed"), m_query->lastError(), m_sql);
    }
    if (!wasActive)
        close();
    return packet;
}

void TADOQuery::execute() {
    prepare();
    close();
    m_rowsAffected = -1;
    if (m_native) {
        m_native->execute();
        m_rowsAffected = m_native->changes();
        return;
    }
    if (const TADOConnection::Waiting waiting(m_connection); !m_query->exec())
        fail(QStringLiteral("The database refused the command"), m_query->lastError(), m_sql);
    m_rowsAffected = m_query->numRowsAffected();
    m_query->finish();
}
