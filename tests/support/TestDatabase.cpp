#include "TestDatabase.h"

#include <AdoSession.h>
#include <ConnectionString.h>
#include <DatabaseSchema.h>
#include <HostErrors.h>

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <atomic>

namespace {

std::atomic<int> databaseCounter{0};

QString uniqueSuffix() {
    return QStringLiteral("%1_%2").arg(QCoreApplication::applicationPid()).arg(++databaseCounter);
}

QString postgresServer() {
    return qEnvironmentVariable("KALMORA_TEST_PG").trimmed();
}

// The PostgreSQL connection string of the test server, pointed at another
// database and used by another role.
QString withDatabase(const ConnectionString& cs, const QString& database, const QString& role) {
    QString text = QStringLiteral("Provider=PostgreSQL;Host=%1;Database=%2;User ID=%3")
                       .arg(cs.value(QStringLiteral("Host")), database, role);
    for (const QString& key : {QStringLiteral("Port"), QStringLiteral("Password")}) {
        if (cs.contains(key))
            text += QStringLiteral(";%1=%2").arg(key, cs.value(key));
    }
    return text;
}

QSqlDatabase openPostgres(const QString& name, const ConnectionString& cs, const QString& database) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(cs.value(QStringLiteral("Host")));
    if (cs.contains(QStringLiteral("Port")))
        db.setPort(cs.value(QStringLiteral("Port")).toInt());
    db.setDatabaseName(database);
    db.setUserName(cs.value(QStringLiteral("User ID")));
    db.setPassword(cs.value(QStringLiteral("Password")));
    if (!db.open()) {
        const QSqlError error = db.lastError();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        throw DatabaseError(
            QStringLiteral("Cannot open the PostgreSQL test database %1: %2").arg(database, error.text()), error);
    }
    return db;
}

void run(QSqlDatabase db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw DatabaseError(QStringLiteral("Test statement failed: %1").arg(query.lastError().text()),
                            query.lastError(), statement);
}

// Runs one statement on the server's own database (creating or dropping a
// test database cannot run inside the database itself).
void onServer(const QString& statement) {
    const ConnectionString cs = ConnectionString::parse(postgresServer());
    const QString name = QStringLiteral("kmr_test_admin_") + uniqueSuffix();
    {
        QSqlDatabase admin = openPostgres(name, cs, cs.value(QStringLiteral("Database")));
        try {
            run(admin, statement);
        } catch (...) {
            admin.close();
            admin = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// The tills' rights on a test database, given to a login role of its own
// (with the test server's password, if it has one): the code under test
// reaches the database as a till does, never as its owner. Two test programs
// may make the group role at once: the loser's attempt is repeated.
void grantTillRole(QSqlDatabase db, const QString& role, const QString& password) {
    const QStringList grants = DatabaseSchema::grantStatements();
    for (int attempt = 0;; ++attempt) {
        try {
            run(db, grants.value(0));
            break;
        } catch (const DatabaseError&) {
            if (attempt > 3)
                throw;
        }
    }
    for (const QString& statement : grants.mid(1))
        run(db, statement);
    QString create = QStringLiteral("CREATE ROLE %1 LOGIN IN ROLE kalmora_terminal").arg(role);
    if (!password.isEmpty())
        create += QStringLiteral(" PASSWORD '%1'").arg(QString(password).replace(u'\'', QLatin1String("''")));
    run(db, create);
}

// The ODBC form of a test database's connection string.
QString odbcConnection(const QString& driver, const QStringList& pairs) {
    return QStringLiteral("Provider=MSDASQL;Driver={%1};").arg(driver) + pairs.join(u';');
}

} // namespace

QString TestDatabase::odbcDriver(Engine engine) {
    if (engine == Engine::OdbcPostgreSQL)
        return qEnvironmentVariable("KALMORA_TEST_ODBC_PG").trimmed();
    if (engine == Engine::OdbcSQLite)
        return qEnvironmentVariable("KALMORA_TEST_ODBC_SQLITE").trimmed();
    return {};
}

bool TestDatabase::postgresAvailable() {
    return !postgresServer().isEmpty();
}

bool TestDatabase::postgresRequired() {
    return qEnvironmentVariable("KALMORA_TEST_REQUIRE_PG") == QLatin1String("1");
}

bool TestDatabase::postgresForTest(const char* file, int line) {
    if (postgresAvailable())
        return true;
    if (postgresRequired())
        QTest::qFail("KALMORA_TEST_REQUIRE_PG=1 but KALMORA_TEST_PG names no PostgreSQL server", file, line);
    else
        QTest::qSkip("no PostgreSQL test server (KALMORA_TEST_PG)", file, line);
    return false;
}

TestDatabase::TestDatabase(Engine engine, bool demo)
    : m_engine(engine), m_connectionName(QStringLiteral("kmr_test_") + uniqueSuffix()) {
    SqlDialect dialect = SqlDialect::SQLite;
    if (throughOdbc(engine) && odbcDriver(engine).isEmpty())
        throw DatabaseError(QStringLiteral("No ODBC driver named for this test engine"));
    if (!onPostgresServer(engine)) {
        m_dir = std::make_unique<QTemporaryDir>();
        if (!m_dir->isValid())
            throw DatabaseError(QStringLiteral("Cannot create a temporary folder for the test database"));
        const QString path = m_dir->filePath(QStringLiteral("test.db"));
        m_connectionString = throughOdbc(engine)
                                 ? odbcConnection(odbcDriver(engine), {QStringLiteral("Database=") + path})
                                 : QStringLiteral("Provider=SQLite;Data Source=") + path;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        if (!db.open())
            throw DatabaseError(QStringLiteral("Cannot open the test database: %1").arg(db.lastError().text()));
        run(db, QStringLiteral("PRAGMA journal_mode=WAL"));
        run(db, QStringLiteral("PRAGMA busy_timeout=%1").arg(kSqliteBusyTimeoutMs));
    } else {
        if (!postgresAvailable())
            throw DatabaseError(QStringLiteral("KALMORA_TEST_PG names no PostgreSQL server"));
        dialect = SqlDialect::PostgreSQL;
        m_pgDatabase = QStringLiteral("kmr_t_") + uniqueSuffix();
        onServer(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(m_pgDatabase));
        const ConnectionString cs = ConnectionString::parse(postgresServer());
        m_pgRole = QStringLiteral("kmr_r_") + uniqueSuffix();
        m_connectionString = withDatabase(cs, m_pgDatabase, m_pgRole);
        if (throughOdbc(engine)) {
            QStringList pairs{QStringLiteral("Server=") + cs.value(QStringLiteral("Host")),
                              QStringLiteral("Database=") + m_pgDatabase, QStringLiteral("User ID=") + m_pgRole};
            for (const QString& key : {QStringLiteral("Port"), QStringLiteral("Password")}) {
                if (cs.contains(key))
                    pairs << key + u'=' + cs.value(key);
            }
            m_connectionString = odbcConnection(odbcDriver(engine), pairs);
        }
        openPostgres(m_connectionName, cs, m_pgDatabase);
    }
    QSqlDatabase own = db();
    DatabaseSchema::create(own, dialect, demo);
    if (!m_pgRole.isEmpty())
        grantTillRole(own, m_pgRole, ConnectionString::parse(postgresServer()).value(QStringLiteral("Password")));
}

TestDatabase::~TestDatabase() {
    {
        QSqlDatabase own = QSqlDatabase::database(m_connectionName, false);
        if (own.isValid())
            own.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    if (!m_pgDatabase.isEmpty()) {
        try {
            // FORCE ends the connections a failed test may have left behind.
            onServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_pgDatabase));
            if (!m_pgRole.isEmpty())
                onServer(QStringLiteral("DROP ROLE IF EXISTS %1").arg(m_pgRole));
        } catch (const std::exception& e) {
            qWarning("Could not drop the test database: %s", e.what());
        }
    }
}

void TestDatabase::makeCurrent() const {
    qputenv("KALMORA_CONEXAO", m_connectionString.toUtf8());
}

QSqlDatabase TestDatabase::db() {
    return QSqlDatabase::database(m_connectionName);
}

void TestDatabase::exec(const QString& statement) {
    run(db(), statement);
}

QList<QVariantList> TestDatabase::rows(const QString& query) {
    QSqlQuery q(db());
    q.setForwardOnly(true);
    if (!q.exec(query))
        throw DatabaseError(QStringLiteral("Test query failed: %1").arg(q.lastError().text()), q.lastError(), query);
    QList<QVariantList> out;
    const int columns = q.record().count();
    while (q.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(q.value(c));
        out.append(row);
    }
    return out;
}
