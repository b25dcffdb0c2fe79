#pragma once
// The data service's database connection: a connection string replaced before
// every connect (before-connect event), a session prepared after it
// (after-connect event), and explicit transactions.

#include "ConnectionString.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

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
    // connection string, then runs afterConnect. Throws DatabaseError with a
    // message that never shows the password.
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

private:
    void releaseStatements();

    QString m_name;
    std::vector<std::pair<const void*, std::function<void()>>> m_closeListeners;
    QString m_connectionString;
    QSqlDatabase m_db;
    SqlDialect m_dialect = SqlDialect::Unknown;
    bool m_inTransaction = false;
};
