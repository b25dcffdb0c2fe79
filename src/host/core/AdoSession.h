#pragma once
#include <QString>

#include <exception>

class TADOConnection;

// Prepares the session of a connection just opened (SQLite: WAL journal,
// synchronous FULL, busy time-out, foreign keys; PostgreSQL: UTF-8 client
// encoding). Throws DatabaseError.
void SetADODBSession(TADOConnection& connection);

// The text shown to the operator for a failed database operation: what
// failed and the database's own message, never a password. Never throws.
QString ADOExceptionMessage(const std::exception& error, TADOConnection& connection, const QString& extra);
