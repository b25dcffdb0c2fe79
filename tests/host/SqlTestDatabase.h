#pragma once
// Throwaway databases for the schema tests: a SQLite file in a temporary
// folder, or a fresh PostgreSQL database created on the server named by a
// connection string and dropped afterwards.

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class SqlTestDatabase {
public:
    static std::unique_ptr<SqlTestDatabase> sqlite();
    // Throws std::runtime_error when the server cannot be reached.
    static std::unique_ptr<SqlTestDatabase> postgres(const QString& connectionString);
    ~SqlTestDatabase();
    SqlTestDatabase(const SqlTestDatabase&) = delete;
    SqlTestDatabase& operator=(const SqlTestDatabase&) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    QString filePath() const { return m_file; }

private:
    SqlTestDatabase() = default;
    QString m_name;
    QString m_file;
    QString m_adminName; // PostgreSQL: the connection that created the database
    QString m_pgDatabase;
    std::unique_ptr<QTemporaryDir> m_dir;
};
