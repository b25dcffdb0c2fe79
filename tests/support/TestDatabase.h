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

class TestDatabase {
public:
    enum class Engine { SQLite, PostgreSQL };

    // True when KALMORA_TEST_PG names a PostgreSQL server for tests.
    static bool postgresAvailable();
    // True when KALMORA_TEST_REQUIRE_PG=1: PostgreSQL cases must not be skipped.
    static bool postgresRequired();

    explicit TestDatabase(Engine engine, bool demo = false); // throws DatabaseError
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    Engine engine() const { return m_engine; }
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
    std::unique_ptr<QTemporaryDir> m_dir;
};
