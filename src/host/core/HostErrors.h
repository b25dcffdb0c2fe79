#pragma once
// Exceptions shared by the host and the module.

#include <QSqlError>
#include <QString>

#include <stdexcept>

// Raised after a failure has already been shown to the operator: it stops the
// operation that is running and is never reported again.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// Why a database operation failed, in the terms the operator is told about.
// Causes are classified where they arise (host library, data service); the
// operator's text for each is made in one place (OperatorTexts.h).
enum class FailureCause {
    Other,             // anything not classified below
    TextTooLong,       // a caption over its column's width
    ValueTooWide,      // a key or other value over its column's width
    NotANumber,        // a colour text that is not a number
    ControlCharacters, // a text holding control or invisible characters
    KeyTaken,          // a position already held by another item
    Busy,              // the database locked by another station
    ConnectionRefused, // the server could not be reached
    AccessDenied,      // the server refused the user, the password or the database name
    ConnectionLost,    // the connection broke or the server stopped answering
    TimedOut,          // a statement ran past its time limit
    TablesMissing,     // the module's tables are not in the database
    DatabaseNotFound,  // a database file named by the connection string is missing
    NotADatabase,      // a file that is not a database of the named engine
    Configuration,     // a connection string naming no usable engine or one not installed
    Unexpected,        // a fault of the program itself, not of the database
    Refused,           // input refused before any write, with a text of its own
    TargetNotEmpty,    // refused: the configuration to be written already holds items
    RowChanged,        // the rows a write names are not what the caller showed: changed, moved or
                       // deleted by another station, or no row at all
    ServerNotTrusted,  // a server whose certificate does not prove it is the one named
    ReadOnlyServer,    // a server that only reads (a standby): nothing can be written there
};

// A database operation that failed; carries the operator's text, its cause,
// the driver's error and the statement (the last two for the log only).
class DatabaseError : public std::runtime_error {
public:
    DatabaseError(const QString& message, const QSqlError& error = {}, const QString& statement = {})
        : std::runtime_error(message.toStdString()), m_message(message), m_error(error), m_statement(statement) {}
    DatabaseError(FailureCause cause, const QString& message, const QSqlError& error = {},
                  const QString& statement = {})
        : std::runtime_error(message.toStdString()), m_cause(cause), m_message(message), m_error(error),
          m_statement(statement) {}
    FailureCause cause() const { return m_cause; }
    QString message() const { return m_message; }
    const QSqlError& sqlError() const { return m_error; }
    QString statement() const { return m_statement; }

private:
    FailureCause m_cause = FailureCause::Other;
    QString m_message;
    QSqlError m_error;
    QString m_statement;
};

// UTF-8 message of any exception, for reports.
inline QString exceptionText(const std::exception& e) {
    if (auto* db = dynamic_cast<const DatabaseError*>(&e))
        return db->message();
    return QString::fromUtf8(e.what());
}
