#pragma once
// The data service's database connection: a connection string replaced before
// every connect (before-connect event), a session prepared after it
// (after-connect event), and explicit transactions.

#include "ConnectionString.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class PgWatchdog;

class TADOConnection {
public:
    TADOConnection();
    ~TADOConnection(); // closes the connection and removes it from Qt's registry
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    QString connectionString() const { return m_connectionString; }
    void setConnectionString(const QString& text) { m_connectionString = text; }

    std::function<void(TADOConnection&)> beforeConnect;
    std::function<void(TADOConnection&)> afterConnect;

    // Connecting runs beforeConnect, opens the database named by the
    // connection string, then runs afterConnect. Throws DatabaseError with
    // the operator's text and its cause; the detail goes to the log, never
    // the password. A SQLite database named by the connection string is used
    // as it is: a missing file is not created, a file that is not a SQLite
    // database is refused without being written to.
    void setConnected(bool on);
    bool connected() const;

    QSqlDatabase& database() { return m_db; }
    SqlDialect dialect() const { return m_dialect; }
    QString connectionName() const { return m_name; }

    // Statements holding native handles on this connection register a release
    // that runs before the connection closes (a handle cannot close while a
    // statement of its own is still prepared on it).
    void addCloseListener(const void* owner, std::function<void()> release);
    void removeCloseListener(const void* owner);

    bool inTransaction() const { return m_inTransaction; }
    void beginTrans(); // throw DatabaseError
    void commitTrans();
    void rollbackTrans();

    // Marks a statement waiting for the server, for as long as it lives.
    class Waiting {
    public:
        explicit Waiting(TADOConnection& connection);
        ~Waiting();
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;

    private:
        PgWatchdog* m_watchdog;
    };

    // How long a PostgreSQL server may stay silent on a statement before
    // the connection is given up (see PgWatchdog).
    static constexpr int kSilentServerMs = 15000;

private:
    void releaseStatements();
    void openDatabase(const ConnectionString& cs);
    void stopWatchdog();

    QString m_name;
    std::vector<std::pair<const void*, std::function<void()>>> m_closeListeners;
    QString m_connectionString;
    QSqlDatabase m_db;
    SqlDialect m_dialect = SqlDialect::Unknown;
    bool m_inTransaction = false;
    std::unique_ptr<PgWatchdog> m_watchdog;
};
