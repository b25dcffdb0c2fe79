#pragma once
// A throwaway database for one test: a temporary SQLite file, or a database
// of its own on the PostgreSQL test server named by KALMORA_TEST_PG. Created
// with the application's schema (and the demo data when asked); removed again
// on destruction.

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

// In a test function, init() or initTestCase(): returns from it, the test
// skipped (or failed when PostgreSQL is required), unless the PostgreSQL test
// server is there.
#define KMR_REQUIRE_POSTGRES()                                                                                         \
    do {                                                                                                               \
        if (!TestDatabase::postgresForTest(__FILE__, __LINE__))                                                        \
            return;                                                                                                    \
    } while (false)

class TestDatabase {
public:
    // The ODBC engines reach the same two servers through the ODBC driver
    // named by KALMORA_TEST_ODBC_PG or KALMORA_TEST_ODBC_SQLITE (a driver
    // name as the driver manager lists it, e.g. "PostgreSQL Unicode").
    enum class Engine { SQLite, PostgreSQL, OdbcPostgreSQL, OdbcSQLite };

    // True when KALMORA_TEST_PG names a PostgreSQL server for tests.
    static bool postgresAvailable();
    // True when KALMORA_TEST_REQUIRE_PG=1: PostgreSQL cases must not be skipped.
    static bool postgresRequired();
    // For a test that needs the PostgreSQL test server: true when it is
    // there. Otherwise the running test is marked skipped (failed when
    // PostgreSQL is required) and false returned: the caller returns at once
    // (KMR_REQUIRE_POSTGRES below).
    static bool postgresForTest(const char* file, int line);

    // The ODBC driver named for an ODBC engine; "" when none is named.
    static QString odbcDriver(Engine engine);
    // True for the engines whose data live on the PostgreSQL test server.
    static bool onPostgresServer(Engine engine) {
        return engine == Engine::PostgreSQL || engine == Engine::OdbcPostgreSQL;
    }
    static bool throughOdbc(Engine engine) { return engine == Engine::OdbcPostgreSQL || engine == Engine::OdbcSQLite; }

    explicit TestDatabase(Engine engine, bool demo = false); // throws DatabaseError
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    Engine engine() const { return m_engine; }
    // On PostgreSQL it names a login role with the tills' rights only
    // (db/grants_postgresql.sql); db() is the owner's connection.
    QString connectionString() const { return m_connectionString; }
    // Makes this the application's database (KALMORA_CONEXAO).
    void makeCurrent() const;

    // A connection of the test's own, apart from the one under test.
    QSqlDatabase db();
    void exec(const QString& statement);            // fails the test (throws) on error
    QList<QVariantList> rows(const QString& query); // every row, every column

private:
    Engine m_engine;
    QString m_connectionString;
    QString m_connectionName;
    QString m_pgDatabase; // PostgreSQL: the database created for this test
    QString m_pgRole;     // PostgreSQL: the till's login role the code under test connects as
    std::unique_ptr<QTemporaryDir> m_dir;
};
