#pragma once
#include "HostErrors.h"

#include <QSqlError>
#include <QString>

#include <exception>

class TADOConnection;

// How long a SQLite connection waits for another writer's lock before the
// database is reported busy.
inline constexpr int kSqliteBusyTimeoutMs = 5000;

// Limits of a PostgreSQL session: a lock wait as long as SQLite's busy
// time-out, and a statement limit below the silence after which the server
// is taken for dead (PgWatchdog), so that a slow statement is cancelled by
// the server, with its own message, before the connection is given up.
inline constexpr int kLockTimeoutMs = kSqliteBusyTimeoutMs;
inline constexpr int kStatementTimeoutMs = 10000;

// Prepares the session of a connection just opened (SQLite: synchronous
// FULL, busy time-out, foreign keys, the journal mode left as the file has
// it; PostgreSQL: UTF-8 client encoding, lock and statement time-outs).
// Throws DatabaseError.
void SetADODBSession(TADOConnection& connection);

// The cause of a driver's error, from the codes and texts of SQLite and
// PostgreSQL (and what ODBC passes on of them); Other when not recognised.
FailureCause classifyFailure(const QSqlError& error);

// The text shown to the operator for a failed operation: Portuguese, what
// happened and what to do, never SQL, driver text, a password or a path of
// the user's home. The technical detail goes to the log. Never throws.
QString ADOExceptionMessage(const std::exception& error, TADOConnection& connection, const QString& extra);
