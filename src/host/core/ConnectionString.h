#pragma once
// ADO-like connection string: "key=value" pairs separated by ';', keys
// case-insensitive. Providers: SQLite (Data Source=FILE), PostgreSQL (Host,
// Port, Database, User ID, Password) and ODBC (DSN or Driver, plus
// User ID/Password).

#include <QMap>
#include <QString>
#include <QStringList>

enum class SqlDialect { Oracle, MsSql, SQLite, PostgreSQL, Unknown };

class ConnectionString {
public:
    static ConnectionString parse(const QString& text);

    QString value(const QString& key) const; // case-insensitive; "" when absent
    bool contains(const QString& key) const;
    QString provider() const; // normalised: "SQLite", "PostgreSQL", "ODBC" or as written
    QString qtDriver() const; // "QSQLITE", "QPSQL", "QODBC"; "" when unsupported
    // The text with any password replaced by "***", for messages.
    QString redacted() const;
    QString text() const { return m_text; }
    // Every key given, upper-cased.
    QStringList keys() const { return m_values.keys(); }

private:
    QString m_text;
    QMap<QString, QString> m_values; // keys upper-cased
};
