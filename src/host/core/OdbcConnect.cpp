#include "OdbcConnect.h"

#include "ClientLibraries.h"
#include "HostErrors.h"
#include "PgConnectOptions.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include <array>
#include <memory>

namespace OdbcConnect {

namespace {

// ODBC's quoting: a value in braces, a closing brace inside doubled.
QString braced(const QString& value) {
    QString v = value;
    v.replace(u'}', QLatin1String("}}"));
    return u'{' + v + u'}';
}

// A value as written, without one pair of ODBC braces around it.
QString unbraced(const QString& value) {
    const QString v = value.trimmed();
    if (v.size() >= 2 && v.startsWith(u'{') && v.endsWith(u'}')) {
        QString inner = v.mid(1, v.size() - 2);
        inner.replace(QLatin1String("}}"), QLatin1String("}"));
        return inner;
    }
    return value;
}

bool needsBraces(const QString& value) {
    return value.contains(u';') || value.contains(u'{') || value.contains(u'}') || value.contains(u'=') ||
           value.trimmed() != value;
}

QString pair(const QString& key, const QString& value, bool alwaysBraced = false) {
    const QString v = unbraced(value);
    return key + u'=' + (alwaysBraced || needsBraces(v) ? braced(v) : v);
}

bool looksLikeLibraryPath(const QString& driver) {
    return driver.contains(u'/') || driver.endsWith(QLatin1String(".so"));
}

// An ODBC environment handle that frees itself.
struct Environment {
    SQLHENV handle = SQL_NULL_HENV;
    const ClientLibraries::Odbc* odbc = ClientLibraries::odbc();
    Environment() {
        if (odbc == nullptr || !SQL_SUCCEEDED(odbc->SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) {
            handle = SQL_NULL_HENV;
            return;
        }
        odbc->SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    }
    ~Environment() {
        if (handle != SQL_NULL_HENV)
            odbc->SQLFreeHandle(SQL_HANDLE_ENV, handle);
    }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;
};

// Debian's and most PostgreSQL ODBC drivers are named so.
bool isPostgresDriver(const QString& driver) {
    return driver.contains(QLatin1String("postgres"), Qt::CaseInsensitive) ||
           driver.contains(QLatin1String("psqlodbc"), Qt::CaseInsensitive);
}

// The connection-string keys of libpq's settings that a PostgreSQL ODBC
// driver takes in its own form: the TLS mode as "SSLmode", the others as
// libpq options in "pqopt".
const QStringList& libpqKeys() {
    static const QStringList keys{QStringLiteral("SSL MODE"), QStringLiteral("SSL ROOT CERT"),
                                  QStringLiteral("SSL CERT"), QStringLiteral("SSL KEY"),
                                  QStringLiteral("SERVICE"),  QStringLiteral("TARGET SESSION ATTRS")};
    return keys;
}

// SSLmode and pqopt for the libpq settings named, the connection string's
// own pqopt kept in front.
QStringList postgresDriverParts(const ConnectionString& cs) {
    QStringList parts;
    QStringList options;
    if (!cs.value(QStringLiteral("pqopt")).trimmed().isEmpty())
        options << unbraced(cs.value(QStringLiteral("pqopt"))).trimmed();
    for (const auto& [keyword, value] : PgConnectOptions::libpqSettings(cs)) {
        if (keyword == QLatin1String("sslmode"))
            parts << pair(QStringLiteral("SSLmode"), value);
        else
            options << keyword + u'=' + PgConnectOptions::quoted(value);
    }
    if (!options.isEmpty())
        parts << pair(QStringLiteral("pqopt"), options.join(u' '), true);
    return parts;
}

} // namespace

QString driverName(const ConnectionString& cs) {
    if (!cs.value(QStringLiteral("DSN")).isEmpty())
        return {};
    return unbraced(cs.value(QStringLiteral("Driver"))).trimmed();
}

QString driverConnectString(const ConnectionString& cs) {
    QStringList parts;
    const QString dsn = cs.value(QStringLiteral("DSN"));
    const QString driver = driverName(cs);
    const bool named = !dsn.isEmpty() || !driver.isEmpty();
    if (!dsn.isEmpty())
        parts << pair(QStringLiteral("DSN"), dsn);
    else if (!driver.isEmpty())
        parts << pair(QStringLiteral("DRIVER"), driver, true);
    else if (!cs.value(QStringLiteral("Data Source")).isEmpty())
        parts << pair(QStringLiteral("DSN"), cs.value(QStringLiteral("Data Source")));

    const QString user =
        cs.contains(QStringLiteral("UID")) ? cs.value(QStringLiteral("UID")) : cs.value(QStringLiteral("User ID"));
    const QString password =
        cs.contains(QStringLiteral("PWD")) ? cs.value(QStringLiteral("PWD")) : cs.value(QStringLiteral("Password"));
    const bool hasDatabase = cs.contains(QStringLiteral("Database"));
    static const QStringList handledApart = {
        QStringLiteral("PROVIDER"), QStringLiteral("DSN"), QStringLiteral("DRIVER"),  QStringLiteral("UID"),
        QStringLiteral("USER ID"),  QStringLiteral("PWD"), QStringLiteral("PASSWORD")};
    const bool postgres = isPostgresDriver(driver);
    for (const QString& key : cs.keys()) {
        if (handledApart.contains(key))
            continue;
        if (postgres && (libpqKeys().contains(key) || key == QLatin1String("PQOPT")))
            continue;
        QString target = key;
        if (key == QLatin1String("DATA SOURCE")) {
            // Without a driver it named the DSN (above); with one it names the
            // database, as the SQLite driver's "Database" does.
            if (!named || hasDatabase)
                continue;
            target = QStringLiteral("DATABASE");
        } else if (key == QLatin1String("INITIAL CATALOG")) {
            if (hasDatabase)
                continue;
            target = QStringLiteral("DATABASE");
        }
        parts << pair(target, cs.value(key));
    }
    if (postgres)
        parts << postgresDriverParts(cs);
    if (!user.isEmpty())
        parts << pair(QStringLiteral("UID"), user);
    if (!password.isEmpty())
        parts << pair(QStringLiteral("PWD"), password);
    return parts.join(u';');
}

QString qtDatabaseName(const ConnectionString& cs) {
    const QString text = driverConnectString(cs);
    // Qt's driver passes a text holding "DRIVER=" or "SERVER=" as it is and
    // puts "DSN=" before any other; a DSN string without either goes without
    // its own "DSN=".
    if (text.contains(QLatin1String("DRIVER="), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("SERVER="), Qt::CaseInsensitive))
        return text;
    if (text.startsWith(QLatin1String("DSN=")))
        return text.mid(4);
    return text;
}

QStringList installedDrivers() {
    QStringList out;
    Environment env;
    if (env.handle == SQL_NULL_HENV)
        return out;
    std::array<SQLCHAR, 512> description{};
    std::array<SQLCHAR, 2048> attributes{};
    SQLSMALLINT descriptionLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(env.odbc->SQLDrivers(env.handle, direction, description.data(),
                                              SQLSMALLINT(description.size()), &descriptionLength, attributes.data(),
                                              SQLSMALLINT(attributes.size()), &attributesLength))) {
        out << QString::fromUtf8(reinterpret_cast<const char*>(description.data()));
        direction = SQL_FETCH_NEXT;
    }
    return out;
}

QString driverMissingText(const QString& driver) {
    return QStringLiteral("Não foi possível conectar ao banco de dados: o driver ODBC \"%1\" não está instalado "
                          "neste computador. Peça ao suporte técnico que instale esse driver ou que corrija o nome "
                          "do driver na configuração da conexão.")
        .arg(driver);
}

QString dsnMissingText(const QString& dsn) {
    return QStringLiteral("Não foi possível conectar ao banco de dados: a fonte de dados ODBC \"%1\" não está "
                          "configurada neste computador. Peça ao suporte técnico que a configure ou que corrija a "
                          "configuração da conexão.")
        .arg(dsn);
}

void explainOpenFailure(const QSqlError& error, const ConnectionString& cs) {
    const QString detail = error.databaseText() + u' ' + error.driverText();
    const QString driver = driverName(cs);
    // unixODBC: "Can't open lib 'NAME' : file not found" for a driver whose
    // library is missing; IM002 for a DSN (or driver) it does not know.
    if (!driver.isEmpty() && (detail.contains(QLatin1String("Can't open lib"), Qt::CaseInsensitive) ||
                              error.nativeErrorCode().contains(QLatin1String("IM002"))))
        throw DatabaseError(driverMissingText(driver), error);
    const QString dsn = cs.value(QStringLiteral("DSN")).isEmpty() ? cs.value(QStringLiteral("Data Source"))
                                                                  : cs.value(QStringLiteral("DSN"));
    if (driver.isEmpty() && !dsn.isEmpty() &&
        (error.nativeErrorCode().contains(QLatin1String("IM002")) ||
         detail.contains(QLatin1String("Data source name not found"), Qt::CaseInsensitive)))
        throw DatabaseError(dsnMissingText(unbraced(dsn)), error);
}

void requireDriver(const ConnectionString& cs) {
    const QString driver = driverName(cs);
    if (driver.isEmpty() || looksLikeLibraryPath(driver))
        return;
    const QStringList installed = installedDrivers();
    if (installed.contains(driver, Qt::CaseInsensitive))
        return;
    throw DatabaseError(
        driverMissingText(driver),
        QSqlError(QStringLiteral("ODBC driver \"%1\" not installed; installed drivers: %2")
                      .arg(driver, installed.isEmpty() ? QStringLiteral("none") : installed.join(QStringLiteral(", "))),
                  QString(), QSqlError::ConnectionError));
}

QString dbmsName(const QSqlDatabase& db) {
    if (!db.isOpen() || db.driver() == nullptr)
        return {};
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || handle.metaType().sizeOf() != sizeof(SQLHANDLE))
        return {};
    const SQLHDBC dbc = *static_cast<const SQLHANDLE*>(handle.constData());
    if (dbc == SQL_NULL_HDBC)
        return {};
    const ClientLibraries::Odbc* odbc = ClientLibraries::odbc();
    if (odbc == nullptr)
        return {};
    std::array<SQLCHAR, 256> name{};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(odbc->SQLGetInfo(dbc, SQL_DBMS_NAME, name.data(), SQLSMALLINT(name.size()), &length)))
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(name.data())).trimmed();
}

SqlDialect dialectForDbmsName(const QString& name) {
    if (name.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive))
        return SqlDialect::PostgreSQL;
    if (name.contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
        return SqlDialect::SQLite;
    if (name.contains(QLatin1String("Oracle"), Qt::CaseInsensitive))
        return SqlDialect::Oracle;
    if (name.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive))
        return SqlDialect::MsSql;
    return SqlDialect::Unknown;
}

} // namespace OdbcConnect
