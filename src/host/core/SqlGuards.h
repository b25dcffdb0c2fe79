#pragma once
// Scope guards for the data service's statements: a write transaction that is
// committed only when asked and rolled back on every other way out, and a
// query that is closed when its reader's scope ends.
//
// On SQLite a write transaction begins IMMEDIATE: it takes the write lock at
// once, waiting out the busy time-out for another writer. A deferred one that
// reads first would fail at once when it comes to write, because SQLite does
// not wait when a read lock is to become a write lock.

#include "SqliteStatement.h"
#include "TADOConnection.h"
#include "TADOQuery.h"

#include <QtGlobal>

namespace SqlGuards {

// Whether a transaction is open on the connection. SQLite's is read from the
// handle itself: a transaction begun IMMEDIATE is not the driver's.
inline bool transactionOpen(TADOConnection& connection) {
    if (sqlite3* handle = SqliteStatement::handleOf(connection.database()))
        return SqliteStatement::inTransaction(handle);
    return connection.inTransaction();
}

// Begins a write transaction. Throws DatabaseError.
inline void begin(TADOConnection& connection) {
    if (sqlite3* handle = SqliteStatement::handleOf(connection.database())) {
        SqliteStatement::exec(handle, "BEGIN IMMEDIATE");
        return;
    }
    connection.beginTrans();
}

// Commits the open transaction. Throws DatabaseError.
inline void commit(TADOConnection& connection) {
    if (sqlite3* handle = SqliteStatement::handleOf(connection.database())) {
        SqliteStatement::exec(handle, "COMMIT");
        return;
    }
    connection.commitTrans();
}

// Rolls back the open transaction, if any. Throws DatabaseError.
inline void rollback(TADOConnection& connection) {
    if (sqlite3* handle = SqliteStatement::handleOf(connection.database())) {
        if (SqliteStatement::inTransaction(handle))
            SqliteStatement::exec(handle, "ROLLBACK");
        return;
    }
    if (connection.inTransaction())
        connection.rollbackTrans();
}

} // namespace SqlGuards

// One write transaction for the length of a scope. It begins one, or joins the
// transaction already open (and then leaves its end to whoever opened it).
// Unless commit() has run, leaving the scope rolls back.
class WriteTransaction {
public:
    explicit WriteTransaction(TADOConnection& connection) : m_connection(connection) {
        if (SqlGuards::transactionOpen(connection))
            return;
        SqlGuards::begin(connection);
        m_owner = true;
    }
    ~WriteTransaction() {
        if (!m_owner)
            return;
        try {
            SqlGuards::rollback(m_connection);
        } catch (...) {
            // A failed rollback means the database has already ended the
            // transaction or lost the connection; either way nothing stays open.
            qWarning("A write transaction could not be rolled back");
        }
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    // Throws DatabaseError; the destructor then rolls back what is left open.
    void commit() {
        if (!m_owner)
            return;
        SqlGuards::commit(m_connection);
        m_owner = false;
    }

private:
    TADOConnection& m_connection;
    bool m_owner = false;
};

// Closes a query when the scope that reads it ends: a cursor left standing on a
// row would hold the embedded database's read snapshot open.
class QueryFinisher {
public:
    explicit QueryFinisher(TADOQuery& query) : m_query(query) {}
    ~QueryFinisher() { m_query.close(); }
    QueryFinisher(const QueryFinisher&) = delete;
    QueryFinisher& operator=(const QueryFinisher&) = delete;

private:
    TADOQuery& m_query;
};
