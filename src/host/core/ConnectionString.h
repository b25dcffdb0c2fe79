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
    // A driver's text with what it echoed of this connection string masked:
    // the whole string where it appears, and the value of any password key
    // ("Password=...", "PWD=...") as a whole. Nothing else is touched.
    QString masked(const QString& text) const;
    // The server and port named for the operator (PostgreSQL Host/Port, ODBC
    // Server/Port); "" when not named.
    QString server() const;
    QString port() const;

    // A value as it must be written into a connection string: quoted when it
    // holds ';', '"' or blanks at either end.
    static QString quote(const QString& value);
    QString text() const { return m_text; }
    // Every key given, upper-cased.
    QStringList keys() const { return m_values.keys(); }

private:
    QString m_text;
    QMap<QString, QString> m_values; // keys upper-cased
};
