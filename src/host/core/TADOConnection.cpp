#include "TADOConnection.h"

#include "AdoSession.h"
#include "HostErrors.h"
#include "KmrLog.h"
#include "OdbcConnect.h"
#include "OperatorTexts.h"
#include "PgConnectOptions.h"
#include "PgWatchdog.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include <atomic>

namespace {

std::atomic<quint64> connectionCounter{0};

// ADO accepts the password under either key.
QString passwordOf(const ConnectionString& cs) {
    const QString password = cs.value(QStringLiteral("Password"));
    return password.isEmpty() ? cs.value(QStringLiteral("Pwd")) : password;
}

SqlDialect dialectOf(const QSqlDatabase& db) {
    // Through ODBC the system's own name tells the dialect (Qt's driver knows
    // no SQLite behind ODBC).
    if (db.driverName() == QLatin1String("QODBC"))
        return OdbcConnect::dialectForDbmsName(OdbcConnect::dbmsName(db));
    switch (db.driver()->dbmsType()) {
    case QSqlDriver::SQLite:
        return SqlDialect::SQLite;
    case QSqlDriver::PostgreSQL:
        return SqlDialect::PostgreSQL;
    case QSqlDriver::MSSqlServer:
        return SqlDialect::MsSql;
    case QSqlDriver::Oracle:
        return SqlDialect::Oracle;
    default:
        return SqlDialect::Unknown;
    }
}

// ODBC: the driver must be installed; every key reaches it, user and password
// included, so nothing is added by Qt's driver.
void configureOdbc(QSqlDatabase& db, const ConnectionString& cs) {
    OdbcConnect::requireDriver(cs);
    db.setDatabaseName(OdbcConnect::qtDatabaseName(cs));
    db.setUserName(QString());
    db.setPassword(QString());
}

// Sets the driver's settings from the connection string. Only the password is
// secret; it goes to the driver and nowhere else.
void configure(QSqlDatabase& db, const ConnectionString& cs) {
    const QString provider = cs.provider();
    if (provider == QLatin1String("SQLite")) {
        const QString file = cs.value(QStringLiteral("Data Source")).trimmed();
        if (file == QLatin1String(":memory:")) {
            db.setDatabaseName(file);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSqliteBusyTimeoutMs));
            return;
        }
        // Opened read-write but never created: "mode=rw" makes SQLite itself
        // refuse a file that has gone since it was looked at. A busy
        // database waits a while rather than failing at once.
        db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded) +
                           QStringLiteral("?mode=rw"));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_URI").arg(kSqliteBusyTimeoutMs));
        return;
    }
    if (provider == QLatin1String("PostgreSQL")) {
        db.setHostName(cs.value(QStringLiteral("Host")));
        const QString port = cs.value(QStringLiteral("Port"));
        if (!port.isEmpty() && !port.contains(u','))
            db.setPort(port.toInt());
        db.setDatabaseName(cs.value(QStringLiteral("Database")));
        db.setUserName(cs.value(QStringLiteral("User ID")));
        // Without a password libpq looks in its password file (~/.pgpass or
        // PGPASSFILE), and a Service takes its settings from pg_service.conf.
        db.setPassword(passwordOf(cs));
        // The bounded waits, and the TLS, service and multi-host settings
        // where the connection string names them.
        db.setConnectOptions(PgConnectOptions::forQtDriver(cs));
        return;
    }
    configureOdbc(db, cs);
}

// A SQLite database named by the connection string must be there and be a
// SQLite database; it is looked at without being written to.
void checkSqliteFile(const ConnectionString& cs) {
    const QString file = cs.value(QStringLiteral("Data Source")).trimmed();
    if (file.isEmpty())
        throw DatabaseError(FailureCause::DatabaseNotFound, OperatorTexts::bancoSemNome());
    if (file == QLatin1String(":memory:"))
        return;
    const QFileInfo info(file);
    if (!info.exists())
        throw DatabaseError(FailureCause::DatabaseNotFound, OperatorTexts::bancoNaoEncontrado(file));
    QFile reader(file);
    static const QByteArray header("SQLite format 3", 16); // with its closing zero
    if (!info.isFile() || !reader.open(QIODevice::ReadOnly) || reader.read(header.size()) != header)
        throw DatabaseError(FailureCause::NotADatabase, OperatorTexts::naoEBanco(file));
}

// The cause and the operator's text of a failed open.
DatabaseError openFailure(const ConnectionString& cs, const QSqlError& error) {
    FailureCause cause = classifyFailure(error);
    if (cs.provider() == QLatin1String("SQLite")) {
        if (cause != FailureCause::Busy && cause != FailureCause::DatabaseNotFound)
            cause = FailureCause::NotADatabase;
        const QString file = cs.value(QStringLiteral("Data Source")).trimmed();
        return DatabaseError(cause,
                             cause == FailureCause::NotADatabase ? OperatorTexts::naoEBanco(file)
                             : cause == FailureCause::Busy       ? OperatorTexts::bancoOcupado()
                                                                 : OperatorTexts::bancoNaoEncontrado(file),
                             error);
    }
    if (cause != FailureCause::AccessDenied && cause != FailureCause::Busy && cause != FailureCause::ReadOnlyServer)
        cause = FailureCause::ConnectionRefused;
    return DatabaseError(cause, OperatorTexts::paraCausa(cause, cs.server(), cs.port()), error);
}

} // namespace

TADOConnection::TADOConnection() : m_name(QStringLiteral("kmr_connection_%1").arg(++connectionCounter)) {
}

TADOConnection::~TADOConnection() {
    stopWatchdog();
    releaseStatements();
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

bool TADOConnection::connected() const {
    return m_db.isValid() && m_db.isOpen();
}

void TADOConnection::setConnected(bool on) {
    if (on == connected())
        return;
    if (!on) {
        stopWatchdog();
        releaseStatements();
        m_db.close();
        m_inTransaction = false;
        m_dialect = SqlDialect::Unknown;
        return;
    }
    if (beforeConnect)
        beforeConnect(*this);

    const ConnectionString cs = ConnectionString::parse(m_connectionString);
    try {
        openDatabase(cs);
    } catch (const DatabaseError& e) {
        const QSqlError& sql = e.sqlError();
        qCWarning(lcKmrDb).noquote() << QStringLiteral("cannot connect to %1: %2 | %3 | %4")
                                            .arg(cs.redacted(), cs.masked(sql.databaseText().trimmed()),
                                                 cs.masked(sql.driverText().trimmed()), e.message());
        throw;
    }
    m_inTransaction = false;
    m_dialect = dialectOf(m_db);
    if (afterConnect) {
        try {
            afterConnect(*this);
        } catch (...) {
            // A session without its settings is not used: the next connect
            // tries again from the start.
            m_db.close();
            m_dialect = SqlDialect::Unknown;
            throw;
        }
    }
    if (m_dialect == SqlDialect::PostgreSQL)
        m_watchdog = std::make_unique<PgWatchdog>(m_db, kSilentServerMs);
}

void TADOConnection::openDatabase(const ConnectionString& cs) {
    const QString driver = cs.qtDriver();
    if (driver.isEmpty())
        throw DatabaseError(FailureCause::Configuration, OperatorTexts::provedorDesconhecido(cs.provider()));
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw DatabaseError(FailureCause::Configuration, OperatorTexts::suporteAusente(cs.provider()));
    if (cs.provider() == QLatin1String("SQLite"))
        checkSqliteFile(cs);

    // A fresh driver object on every connect: statements prepared on an earlier
    // connection see their driver gone and prepare themselves again.
    releaseStatements();
    stopWatchdog();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
    m_db = QSqlDatabase::addDatabase(driver, m_name);
    configure(m_db, cs);

    if (!m_db.open()) {
        const QSqlError error = m_db.lastError();
        m_db.setPassword(QString());
        if (cs.provider() == QLatin1String("ODBC")) {
            m_db.setDatabaseName(QString());            // the ODBC text holds the password
            OdbcConnect::explainOpenFailure(error, cs); // a missing driver or data source, named
        }
        if (cs.provider() != QLatin1String("SQLite"))
            PgConnectOptions::explainOpenFailure(error, cs); // a refused certificate, a standby
        throw openFailure(cs, error);
    }
}

TADOConnection::Waiting::Waiting(TADOConnection& connection) : m_watchdog(connection.m_watchdog.get()) {
    if (m_watchdog != nullptr)
        m_watchdog->begin();
}

TADOConnection::Waiting::~Waiting() {
    if (m_watchdog != nullptr)
        m_watchdog->end();
}

void TADOConnection::stopWatchdog() {
    m_watchdog.reset();
}

void TADOConnection::addCloseListener(const void* owner, std::function<void()> release) {
    removeCloseListener(owner);
    m_closeListeners.emplace_back(owner, std::move(release));
}

void TADOConnection::removeCloseListener(const void* owner) {
    std::erase_if(m_closeListeners, [owner](const auto& entry) { return entry.first == owner; });
}

void TADOConnection::releaseStatements() {
    // A release may unregister its owner: run over a copy.
    const auto listeners = m_closeListeners;
    for (const auto& entry : listeners)
        entry.second();
}

void TADOConnection::beginTrans() {
    if (!connected())
        throw DatabaseError(QStringLiteral("Cannot begin a transaction: the database is not connected."));
    const Waiting waiting(*this);
    if (!m_db.transaction())
        throw DatabaseError(QStringLiteral("Cannot begin a transaction: %1").arg(m_db.lastError().text().trimmed()),
                            m_db.lastError());
    m_inTransaction = true;
}

void TADOConnection::commitTrans() {
    const Waiting waiting(*this);
    if (!m_db.commit())
        throw DatabaseError(QStringLiteral("Cannot commit the transaction: %1").arg(m_db.lastError().text().trimmed()),
                            m_db.lastError());
    m_inTransaction = false;
}

void TADOConnection::rollbackTrans() {
    // Whatever the outcome, the transaction is over: a failed rollback means the
    // server has already dropped it (or the connection).
    m_inTransaction = false;
    // A connection the server has ended took its transaction with it.
    if (!connected() || (m_watchdog && m_watchdog->fired()))
        return;
    const Waiting waiting(*this);
    if (!m_db.rollback()) {
        // The same holds for one that broke under the statement: the server
        // drops the transaction of a connection that is gone.
        const FailureCause cause = classifyFailure(m_db.lastError());
        if (cause == FailureCause::ConnectionLost || cause == FailureCause::ConnectionRefused)
            return;
        throw DatabaseError(
            QStringLiteral("Cannot roll back the transaction: %1").arg(m_db.lastError().text().trimmed()),
            m_db.lastError());
    }
}
