#include "KmrConexao.h"

#include "ConnectionString.h"
#include "DatabaseSchema.h"
#include "HostErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

namespace {

const char* const kEnvVariable = "KALMORA_CONEXAO";
const char* const kConfigFile = "kalmora.conexao";

bool isComment(const QString& line) {
    return line.startsWith(u'#') || line.startsWith(u';') || line.startsWith(QLatin1String("--"));
}

// First meaningful line of the configuration file beside the launcher.
QString fromConfigFile() {
    if (QCoreApplication::instance() == nullptr)
        return {};
    QFile file(QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kConfigFile)));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !isComment(line))
            return line;
    }
    return {};
}

// Builds the database in a file of its own and only then gives it its final
// name, so an interrupted or failed creation never leaves a half-made
// database that a later start would take for a complete one.
void createDefaultDatabase(const QString& path) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        throw DatabaseError(QStringLiteral("Could not create the folder %1").arg(info.absolutePath()));
    const QString temp = QStringLiteral("%1.creating-%2-%3")
                             .arg(path)
                             .arg(QCoreApplication::applicationPid())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    const QString name = QStringLiteral("kmr_create_") + QFileInfo(temp).fileName();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temp);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            try {
                QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
                DatabaseSchema::create(db, SqlDialect::SQLite, true);
            } catch (const DatabaseError& e) {
                failure = e.message();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty()) {
        QFile::remove(temp);
        throw DatabaseError(QStringLiteral("Could not create the database %1: %2").arg(path, failure));
    }
    // Another start may have won the race; its database is as good as ours.
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        if (!QFileInfo::exists(path))
            throw DatabaseError(QStringLiteral("Could not create the database %1").arg(path));
    }
}

QString quotedValue(const QString& value) {
    if (!value.contains(u';') && !value.contains(u'"'))
        return value;
    QString v = value;
    v.replace(u'"', QLatin1String("\"\""));
    return u'"' + v + u'"';
}

} // namespace

QString defaultDatabasePath() {
    // XDG_DATA_HOME when set, else ~/.local/share; the folder is named after
    // the application, not after whatever program happens to call us.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/kalmora/kalmora.db"));
}

QString _GetStringConexKmr(const QString& /*unused*/) {
    const QString fromEnv = qEnvironmentVariable(kEnvVariable).trimmed();
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString fromFile = fromConfigFile();
    if (!fromFile.isEmpty())
        return fromFile;
    const QString path = defaultDatabasePath();
    if (!QFileInfo::exists(path))
        createDefaultDatabase(path);
    return QStringLiteral("Provider=SQLite;Data Source=") + quotedValue(path);
}
