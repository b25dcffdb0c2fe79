#include "AdoSession.h"

#include "ConnectionString.h"
#include "HostText.h"
#include "KmrLog.h"
#include "OperatorTexts.h"
#include "TADOConnection.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

void runSessionStatement(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement)) {
        const QSqlError error = query.lastError();
        FailureCause cause = classifyFailure(error);
        if (cause == FailureCause::Other)
            cause = FailureCause::ConnectionLost;
        throw DatabaseError(cause, OperatorTexts::paraCausa(cause), error, statement);
    }
}

bool containsAny(const QString& text, std::initializer_list<const char*> parts) {
    for (const char* part : parts) {
        if (text.contains(QLatin1String(part), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// SQLite result codes (primary, or extended when the driver gives it).
FailureCause fromSqliteCode(int code, const QString& text) {
    switch (code) {
    case 1555: // SQLITE_CONSTRAINT_PRIMARYKEY
    case 2067: // SQLITE_CONSTRAINT_UNIQUE
        return FailureCause::KeyTaken;
    case 275: // SQLITE_CONSTRAINT_CHECK
        return text.contains(QLatin1String("DSBUTTON"), Qt::CaseInsensitive) ? FailureCause::TextTooLong
                                                                             : FailureCause::ValueTooWide;
    default:
        break;
    }
    switch (code & 0xff) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return FailureCause::Busy;
    case 14: // SQLITE_CANTOPEN
        return FailureCause::DatabaseNotFound;
    case 26: // SQLITE_NOTADB
        return FailureCause::NotADatabase;
    default:
        return FailureCause::Other;
    }
}

// PostgreSQL SQLSTATE codes.
FailureCause fromSqlState(const QString& state) {
    if (state == QLatin1String("23505"))
        return FailureCause::KeyTaken;
    if (state == QLatin1String("22001") || state == QLatin1String("23514"))
        return FailureCause::ValueTooWide;
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01") || state == QLatin1String("40001"))
        return FailureCause::Busy;
    if (state == QLatin1String("22P02")) // the only numbers this module writes are colours
        return FailureCause::NotANumber;
    if (state == QLatin1String("57014"))
        return FailureCause::TimedOut;
    if (state == QLatin1String("42P01"))
        return FailureCause::TablesMissing;
    if (state == QLatin1String("25006"))
        return FailureCause::ReadOnlyServer;
    if (state == QLatin1String("28P01") || state == QLatin1String("28000") || state == QLatin1String("3D000"))
        return FailureCause::AccessDenied;
    if (state == QLatin1String("08001") || state == QLatin1String("08004"))
        return FailureCause::ConnectionRefused;
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return FailureCause::ConnectionLost;
    return FailureCause::Other;
}

// The words of the drivers where they give no code (client-side failures of
// libpq, SQLite through Qt's driver without its extended code).
FailureCause fromText(const QString& text) {
    if (containsAny(text, {"UNIQUE constraint failed", "PRIMARY KEY constraint failed", "duplicate key"}))
        return FailureCause::KeyTaken;
    if (containsAny(text, {"CHECK constraint failed"}))
        return text.contains(QLatin1String("DSBUTTON"), Qt::CaseInsensitive) ? FailureCause::TextTooLong
                                                                             : FailureCause::ValueTooWide;
    if (containsAny(text, {"value too long"}))
        return FailureCause::ValueTooWide;
    if (containsAny(text, {"database is locked", "database table is locked", "lock timeout", "could not obtain lock"}))
        return FailureCause::Busy;
    if (containsAny(text, {"no such table"}) ||
        (containsAny(text, {"relation \""}) && containsAny(text, {"does not exist"})))
        return FailureCause::TablesMissing;
    if (containsAny(text, {"read-only transaction", "session is read-only", "server is in hot standby mode"}))
        return FailureCause::ReadOnlyServer;
    if (containsAny(text, {"statement timeout", "canceling statement"}))
        return FailureCause::TimedOut;
    if (containsAny(text, {"password authentication failed", "no pg_hba.conf entry", "no password supplied"}) ||
        (containsAny(text, {"role \"", "database \""}) && containsAny(text, {"does not exist"})))
        return FailureCause::AccessDenied;
    if (containsAny(text, {"server closed the connection", "no connection to the server", "could not receive data",
                           "could not send data", "terminating connection", "connection to server was lost",
                           "SSL SYSCALL", "Broken pipe", "Connection reset", "Connection timed out",
                           "Transport endpoint is not connected", "connection not open", "Bad file descriptor"}))
        return FailureCause::ConnectionLost;
    if (containsAny(text, {"Connection refused", "could not connect", "timeout expired", "could not translate host",
                           "No route to host", "Network is unreachable", "connection to server at"}))
        return FailureCause::ConnectionRefused;
    if (containsAny(text, {"is not a number", "invalid input syntax for type double"}))
        return FailureCause::NotANumber;
    if (containsAny(text, {"database is not connected"}))
        return FailureCause::ConnectionLost;
    if (containsAny(text, {"file is not a database"}))
        return FailureCause::NotADatabase;
    if (containsAny(text, {"unable to open database"}))
        return FailureCause::DatabaseNotFound;
    return FailureCause::Other;
}

// The limit a driver named in its text ("character varying(50)"), or 0.
int limitIn(const QString& text) {
    // "character varying(50)" (PostgreSQL), "length(DSBUTTON) <= 50" (SQLite).
    static const QRegularExpression width(QStringLiteral(R"(\((\d+)\)|<=\s*(\d+))"));
    const QRegularExpressionMatch m = width.match(text);
    if (!m.hasMatch())
        return 0;
    return m.captured(1).isEmpty() ? m.captured(2).toInt() : m.captured(1).toInt();
}

const char* causeName(FailureCause cause) {
    switch (cause) {
    case FailureCause::Other:
        return "other";
    case FailureCause::TextTooLong:
        return "text-too-long";
    case FailureCause::ValueTooWide:
        return "value-too-wide";
    case FailureCause::NotANumber:
        return "not-a-number";
    case FailureCause::ControlCharacters:
        return "control-characters";
    case FailureCause::KeyTaken:
        return "key-taken";
    case FailureCause::Busy:
        return "busy";
    case FailureCause::ConnectionRefused:
        return "connection-refused";
    case FailureCause::AccessDenied:
        return "access-denied";
    case FailureCause::ConnectionLost:
        return "connection-lost";
    case FailureCause::TimedOut:
        return "timed-out";
    case FailureCause::TablesMissing:
        return "tables-missing";
    case FailureCause::DatabaseNotFound:
        return "database-not-found";
    case FailureCause::NotADatabase:
        return "not-a-database";
    case FailureCause::Configuration:
        return "configuration";
    case FailureCause::Unexpected:
        return "unexpected";
    case FailureCause::Refused:
        return "refused";
    case FailureCause::TargetNotEmpty:
        return "target-not-empty";
    case FailureCause::RowChanged:
        return "row-changed";
    case FailureCause::ServerNotTrusted:
        return "server-not-trusted";
    case FailureCause::ReadOnlyServer:
        return "read-only-server";
    }
    return "?";
}

// The operator's text of a failure and its cause.
std::pair<FailureCause, QString> operatorText(const std::exception& error, const ConnectionString& cs) {
    const auto* db = dynamic_cast<const DatabaseError*>(&error);
    if (db == nullptr)
        return {FailureCause::Other, OperatorTexts::falhaInesperada()};
    // A cause given where the failure arose comes with the operator's text.
    if (db->cause() != FailureCause::Other && !db->message().trimmed().isEmpty())
        return {db->cause(), db->message()};
    const QSqlError& sql = db->sqlError();
    FailureCause cause = classifyFailure(sql);
    if (cause == FailureCause::Other)
        cause = fromText(db->message());
    if (cause == FailureCause::ValueTooWide || cause == FailureCause::TextTooLong)
        return {cause, OperatorTexts::textoLongoBanco(limitIn(sql.databaseText() + u' ' + db->message()))};
    return {cause, OperatorTexts::paraCausa(cause, cs.server(), cs.port())};
}

// One line of the log for a failure: everything that tells a technician
// what happened, the connection string redacted and echoes masked.
void logFailure(const std::exception& error, FailureCause cause, const ConnectionString& cs, const QString& extra) {
    QString detail = QString::fromUtf8(error.what()).trimmed();
    if (auto* db = dynamic_cast<const DatabaseError*>(&error)) {
        const QSqlError& sql = db->sqlError();
        if (!sql.nativeErrorCode().isEmpty())
            detail += QStringLiteral(" | code ") + sql.nativeErrorCode();
        if (!sql.databaseText().trimmed().isEmpty())
            detail += QStringLiteral(" | database: ") + sql.databaseText().trimmed();
        if (!sql.driverText().trimmed().isEmpty())
            detail += QStringLiteral(" | driver: ") + sql.driverText().trimmed();
        if (!db->statement().trimmed().isEmpty())
            detail += QStringLiteral(" | statement: ") + db->statement().simplified();
    }
    if (!EmptyString(extra))
        detail += QStringLiteral(" | ") + extra.trimmed();
    qCWarning(lcKmrDb).noquote() << QStringLiteral("failure (%1) on %2: %3")
                                        .arg(QLatin1String(causeName(cause)), cs.redacted(), cs.masked(detail));
}

} // namespace

FailureCause classifyFailure(const QSqlError& error) {
    const QString code = error.nativeErrorCode().trimmed();
    bool numeric = false;
    const int number = code.toInt(&numeric);
    FailureCause cause = FailureCause::Other;
    // A SQLSTATE has five characters (often all digits); SQLite's result
    // codes, extended ones included, have at most four digits.
    if (code.size() == 5)
        cause = fromSqlState(code.toUpper());
    else if (numeric && number > 0)
        cause = fromSqliteCode(number, error.databaseText());
    if (cause == FailureCause::Other)
        cause = fromText(error.databaseText() + u'\n' + error.driverText());
    if (cause == FailureCause::Other && error.type() == QSqlError::ConnectionError)
        cause = FailureCause::ConnectionRefused;
    return cause;
}

void SetADODBSession(TADOConnection& connection) {
    QSqlDatabase& db = connection.database();
    switch (connection.dialect()) {
    case SqlDialect::SQLite:
        // A database is used as it is: its journal mode is the file's own
        // (the embedded default is created in WAL). FULL keeps a confirmed
        // change on disk through a power cut; the time-out waits for a short
        // lock instead of failing at once.
        runSessionStatement(db, QStringLiteral("PRAGMA synchronous=FULL"));
        runSessionStatement(db, QStringLiteral("PRAGMA busy_timeout=%1").arg(kSqliteBusyTimeoutMs));
        runSessionStatement(db, QStringLiteral("PRAGMA foreign_keys=ON"));
        break;
    case SqlDialect::PostgreSQL:
        runSessionStatement(db, QStringLiteral("SET client_encoding TO 'UTF8'"));
        // No wait without limit: a row locked by another station and a
        // statement that runs away both end in a message.
        runSessionStatement(db, QStringLiteral("SET lock_timeout = %1").arg(kLockTimeoutMs));
        runSessionStatement(db, QStringLiteral("SET statement_timeout = %1").arg(kStatementTimeoutMs));
        break;
    default:
        break;
    }
}

QString ADOExceptionMessage(const std::exception& error, TADOConnection& connection, const QString& extra) {
    try {
        const ConnectionString cs = ConnectionString::parse(connection.connectionString());
        const auto [cause, text] = operatorText(error, cs);
        logFailure(error, cause, cs, extra);
        return text;
    } catch (...) {
        // The report of a failure must not become a failure itself.
        return OperatorTexts::falhaBanco();
    }
}
