#include "AdoSession.h"

#include "ConnectionString.h"
#include "HostErrors.h"
#include "HostText.h"
#include "TADOConnection.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

void runSessionStatement(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw DatabaseError(
            QStringLiteral("Could not prepare the database session (%1): %2").arg(statement, query.lastError().text()),
            query.lastError(), statement);
}

// Removes every occurrence of the connection's password from a text: driver
// messages sometimes echo the connection options.
QString withoutPassword(QString text, const ConnectionString& cs) {
    for (const char* key : {"Password", "Pwd"}) {
        const QString secret = cs.value(QLatin1String(key));
        if (!secret.isEmpty())
            text.replace(secret, QStringLiteral("***"));
    }
    return text;
}

QString describe(const std::exception& error) {
    QString text = exceptionText(error).trimmed();
    if (auto* db = dynamic_cast<const DatabaseError*>(&error)) {
        const QSqlError& sql = db->sqlError();
        const QString dbText = sql.databaseText().trimmed();
        const QString driverText = sql.driverText().trimmed();
        if (!dbText.isEmpty() && !text.contains(dbText))
            text += QStringLiteral("\n") + dbText;
        if (!driverText.isEmpty() && !text.contains(driverText))
            text += QStringLiteral("\n(") + driverText + u')';
    }
    return text.isEmpty() ? QStringLiteral("Database operation failed") : text;
}

} // namespace

void SetADODBSession(TADOConnection& connection) {
    QSqlDatabase& db = connection.database();
    switch (connection.dialect()) {
    case SqlDialect::SQLite:
        // WAL lets the screen read while another till writes; FULL keeps a
        // confirmed change on disk through a power cut; the time-out waits
        // for a short lock instead of failing at once.
        runSessionStatement(db, QStringLiteral("PRAGMA journal_mode=WAL"));
        runSessionStatement(db, QStringLiteral("PRAGMA synchronous=FULL"));
        runSessionStatement(db, QStringLiteral("PRAGMA busy_timeout=5000"));
        runSessionStatement(db, QStringLiteral("PRAGMA foreign_keys=ON"));
        break;
    case SqlDialect::PostgreSQL:
        runSessionStatement(db, QStringLiteral("SET client_encoding TO 'UTF8'"));
        break;
    default:
        break;
    }
}

QString ADOExceptionMessage(const std::exception& error, TADOConnection& connection, const QString& extra) {
    try {
        const ConnectionString cs = ConnectionString::parse(connection.connectionString());
        QString text = describe(error);
        const QString database = cs.value(QStringLiteral("Data Source")).isEmpty()
                                     ? cs.value(QStringLiteral("Database"))
                                     : cs.value(QStringLiteral("Data Source"));
        if (!cs.provider().isEmpty() || !database.isEmpty())
            text += u'\n' + QStringLiteral("Database: %1 %2").arg(cs.provider(), database).trimmed();
        if (!EmptyString(extra))
            text += u'\n' + extra.trimmed();
        return withoutPassword(text, cs);
    } catch (...) {
        // The report of a failure must not become a failure itself.
        return QStringLiteral("Database operation failed");
    }
}
