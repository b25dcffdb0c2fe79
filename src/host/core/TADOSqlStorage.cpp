#include "TADOSqlStorage.h"

#include "HostErrors.h"
#include "HostText.h"

namespace {

QString dialectName(SqlDialect dialect) {
    switch (dialect) {
    case SqlDialect::Oracle:
        return QStringLiteral("Oracle");
    case SqlDialect::MsSql:
        return QStringLiteral("SQL Server");
    case SqlDialect::SQLite:
        return QStringLiteral("SQLite");
    case SqlDialect::PostgreSQL:
        return QStringLiteral("PostgreSQL");
    case SqlDialect::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

} // namespace

QString TADOSqlStorage::textFor(SqlDialect dialect) const {
    const QString* text = nullptr;
    switch (dialect) {
    case SqlDialect::Oracle:
        text = &SQLORACLE;
        break;
    case SqlDialect::MsSql:
        text = &SQLMSSQL;
        break;
    case SqlDialect::SQLite:
        text = &SQLSQLITE;
        break;
    case SqlDialect::PostgreSQL:
        text = &SQLPOSTGRES;
        break;
    case SqlDialect::Unknown:
        break;
    }
    // Running another engine's text would fail later with an obscure syntax
    // error; saying which text is missing is more useful.
    if (text == nullptr || EmptyString(*text))
        throw DatabaseError(QStringLiteral("No SQL text is held for the %1 database").arg(dialectName(dialect)));
    return *text;
}

void TADOSqlStorage::apply() {
    if (ADOQuery == nullptr)
        throw DatabaseError(QStringLiteral("The SQL text storage has no query"));
    const QString text = textFor(ADOQuery->connection().dialect());
    if (ADOQuery->sql() != text)
        ADOQuery->setSql(text);
}
