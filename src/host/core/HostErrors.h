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

// A database operation that failed; carries the driver's error and the statement.
class DatabaseError : public std::runtime_error {
public:
    DatabaseError(const QString& message, const QSqlError& error = {}, const QString& statement = {})
        : std::runtime_error(message.toStdString()), m_message(message), m_error(error), m_statement(statement) {}
    QString message() const { return m_message; }
    const QSqlError& sqlError() const { return m_error; }
    QString statement() const { return m_statement; }

private:
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
