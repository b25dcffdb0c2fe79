#include "TADOConnection.h"

#include "HostErrors.h"
#include "OdbcConnect.h"

#include <QSqlDriver>
#include <QSqlError>

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
        db.setDatabaseName(cs.value(QStringLiteral("Data Source")));
        // A busy database waits a while rather than failing at once.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        return;
    }
    if (provider == QLatin1String("PostgreSQL")) {
        db.setHostName(cs.value(QStringLiteral("Host")));
        const QString port = cs.value(QStringLiteral("Port"));
        if (!port.isEmpty())
            db.setPort(port.toInt());
        db.setDatabaseName(cs.value(QStringLiteral("Database")));
        db.setUserName(cs.value(QStringLiteral("User ID")));
        db.setPassword(passwordOf(cs));
        // An unreachable server must not freeze the till's screen.
        db.setConnectOptions(QStringLiteral("connect_timeout=10;keepalives=1;keepalives_idle=30"));
        return;
    }
    configureOdbc(db, cs);
}

// Drops the password and any text the driver may have echoed of it.
QString withoutSecret(QString text, const QString& password) {
    if (!password.isEmpty())
        text.replace(password, QStringLiteral("***"));
    return text;
}

} // namespace

TADOConnection::TADOConnection() : m_name(QStringLiteral("kmr_connection_%1").arg(++connectionCounter)) {
}

TADOConnection::~TADOConnection() {
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
        releaseStatements();
        m_db.close();
        m_inTransaction = false;
        m_dialect = SqlDialect::Unknown;
        return;
    }
    if (beforeConnect)
        beforeConnect(*this);

    const ConnectionString cs = ConnectionString::parse(m_connectionString);
    const QString driver = cs.qtDriver();
    if (driver.isEmpty())
        throw DatabaseError(QStringLiteral("Cannot connect: the provider \"%1\" is not supported.").arg(cs.provider()));
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw DatabaseError(QStringLiteral("Cannot connect to the %1 database: the driver %2 is not installed.")
                                .arg(cs.provider(), driver));

    // A fresh driver object on every connect: statements prepared on an earlier
    // connection see their driver gone and prepare themselves again.
    releaseStatements();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
    m_db = QSqlDatabase::addDatabase(driver, m_name);
    configure(m_db, cs);

    if (!m_db.open()) {
        const QSqlError error = m_db.lastError();
        const QString password = passwordOf(cs);
        m_db.setPassword(QString());
        if (cs.provider() == QLatin1String("ODBC")) {
            m_db.setDatabaseName(QString()); // the ODBC text holds the password
            OdbcConnect::explainOpenFailure(QSqlError(withoutSecret(error.driverText(), password),
                                                      withoutSecret(error.databaseText(), password), error.type(),
                                                      error.nativeErrorCode()),
                                            cs);
        }
        const QString reason = withoutSecret(error.text().trimmed(), password);
        throw DatabaseError(QStringLiteral("Cannot connect to the %1 database: %2").arg(cs.provider(), reason),
                            QSqlError(withoutSecret(error.driverText(), password),
                                      withoutSecret(error.databaseText(), password), error.type(),
                                      error.nativeErrorCode()));
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
    if (!m_db.transaction())
        throw DatabaseError(QStringLiteral("Cannot begin a transaction: %1").arg(m_db.lastError().text().trimmed()),
                            m_db.lastError());
    m_inTransaction = true;
}

void TADOConnection::commitTrans() {
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
    if (!connected())
        return;
    if (!m_db.rollback())
        throw DatabaseError(
            QStringLiteral("Cannot roll back the transaction: %1").arg(m_db.lastError().text().trimmed()),
            m_db.lastError());
}
