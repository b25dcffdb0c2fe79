#include "KmrConexao.h"

#include "ConnectionString.h"
#include "DatabaseSchema.h"
#include "HostErrors.h"
#include "KmrLog.h"
#include "OperatorTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

#include <atomic>

namespace {

const char* const kEnvVariable = "KALMORA_CONEXAO";
const char* const kConfigFile = "kalmora.conexao";

bool isComment(const QString& line) {
    return line.startsWith(u'#') || line.startsWith(u';') || line.startsWith(QLatin1String("--"));
}

// First meaningful line of a connection file; "" when it has none or
// cannot be read.
QString firstLineOf(const QString& path) {
    QFile file(path);
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

QString launcherFolder() {
    return QCoreApplication::instance() == nullptr ? QString() : QCoreApplication::applicationDirPath();
}

// An XDG base folder: absolute, or not used at all.
QString absoluteOr(const QString& path, const QString& fallback) {
    return path.isEmpty() || QDir::isRelativePath(path) ? fallback : path;
}

void exec(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw DatabaseError(query.lastError().text(), query.lastError(), statement);
}

bool holdsPassword(const ConnectionString& cs) {
    return !cs.value(QStringLiteral("Password")).isEmpty() || !cs.value(QStringLiteral("Pwd")).isEmpty();
}

// A path as the operator is shown it: the home folder as "~".
QString shownPath(const QString& path) {
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QLatin1String("/") && path.startsWith(home + u'/'))
        return u'~' + path.mid(home.size());
    return path;
}

// A connection file that holds a password must be readable by its owner
// alone, as a private key is: one that others may read is refused.
void refuseReadableSecret(const QString& path, const QString& line) {
    if (!holdsPassword(ConnectionString::parse(line)))
        return;
    const QFileDevice::Permissions mode = QFileInfo(path).permissions();
    if (!(mode & (QFileDevice::ReadGroup | QFileDevice::ReadOther)))
        return;
    qCWarning(lcKmrApp).noquote()
        << QStringLiteral("the connection file %1 holds a password and can be read by group or others: refused")
               .arg(path);
    throw DatabaseError(FailureCause::Configuration, OperatorTexts::arquivoConexaoAberto(shownPath(path)));
}

// A password in the environment can be read by every other process of the
// same user: said once in the log, masked.
void warnPasswordInEnvironment(const QString& text) {
    static std::atomic<bool> warned{false};
    const ConnectionString cs = ConnectionString::parse(text);
    if (!holdsPassword(cs) || warned.exchange(true))
        return;
    qCWarning(lcKmrApp).noquote()
        << QStringLiteral("%1 holds a password (%2): other processes of this user can read it; a password file "
                          "(~/.pgpass) or a connection file of mode 600 keeps it out of the environment")
               .arg(QLatin1String(kEnvVariable), cs.redacted());
}

} // namespace

QString defaultDatabasePath() {
    // XDG_DATA_HOME when set, else ~/.local/share; the folder is named after
    // the application, not after whatever program happens to call us.
    const QString base =
        absoluteOr(qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath() + QStringLiteral("/.local/share"));
    return QDir::cleanPath(base + QStringLiteral("/kalmora/kalmora.db"));
}

QStringList configFileCandidates(const QString& fileName, const QString& firstFolder) {
    QStringList out;
    if (!firstFolder.isEmpty())
        out << QDir(firstFolder).filePath(fileName);
    const QString home =
        absoluteOr(qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath() + QStringLiteral("/.config"));
    out << QDir::cleanPath(home + QStringLiteral("/kalmora/") + fileName);
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (!QDir::isRelativePath(dir))
            out << QDir::cleanPath(dir + QStringLiteral("/kalmora/") + fileName);
    }
    return out;
}

QString findConfigFile(const QString& fileName, const QString& firstFolder) {
    const QStringList candidates = configFileCandidates(fileName, firstFolder);
    for (const QString& path : candidates) {
        if (QFileInfo::exists(path))
            return path;
    }
    return candidates.value(0);
}

QString namedConnectionString() {
    const QString fromEnv = qEnvironmentVariable(kEnvVariable).trimmed();
    if (!fromEnv.isEmpty()) {
        warnPasswordInEnvironment(fromEnv);
        return fromEnv;
    }
    // The first file that names a connection wins; one without a meaningful
    // line is passed over.
    for (const QString& path : configFileCandidates(QLatin1String(kConfigFile), launcherFolder())) {
        const QString line = firstLineOf(path);
        if (!line.isEmpty()) {
            refuseReadableSecret(path, line);
            qCInfo(lcKmrApp).noquote() << QStringLiteral("connection named by %1").arg(path);
            return line;
        }
    }
    return {};
}

QString defaultConnectionString() {
    return QStringLiteral("Provider=SQLite;Data Source=") + ConnectionString::quote(defaultDatabasePath());
}

// Builds the database in a file of its own and only then gives it its final
// name, so an interrupted or failed creation never leaves a half-made
// database that a later start would take for a complete one.
void createSqliteDatabase(const QString& path, bool demo, bool wal) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        qCWarning(lcKmrApp).noquote() << QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
        throw DatabaseError(FailureCause::DatabaseNotFound, OperatorTexts::bancoNaoCriado());
    }
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
                if (wal)
                    exec(db, QStringLiteral("PRAGMA journal_mode=WAL"));
                exec(db, QStringLiteral("PRAGMA synchronous=FULL"));
                DatabaseSchema::create(db, SqlDialect::SQLite, demo);
            } catch (const DatabaseError& e) {
                failure = e.message() + u' ' + e.sqlError().text();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty()) {
        QFile::remove(temp);
        qCWarning(lcKmrApp).noquote() << QStringLiteral("cannot create the database %1: %2").arg(path, failure);
        throw DatabaseError(FailureCause::Other, OperatorTexts::bancoNaoCriado());
    }
    // Another start may have won the race; its database is as good as ours.
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        if (!QFileInfo::exists(path)) {
            qCWarning(lcKmrApp).noquote() << QStringLiteral("cannot rename the new database to %1").arg(path);
            throw DatabaseError(FailureCause::Other, OperatorTexts::bancoNaoCriado());
        }
    }
    QFile::remove(temp + QStringLiteral("-wal"));
    QFile::remove(temp + QStringLiteral("-shm"));
    // The embedded database's demo menu shows pictures from the folder beside it.
    if (demo && info.absoluteFilePath() == QFileInfo(defaultDatabasePath()).absoluteFilePath())
        DatabaseSchema::copyDemoPictures(info.dir().filePath(QStringLiteral("imagens")));
}

QString _GetStringConexKmr(const QString& /*unused*/) {
    const QString named = namedConnectionString();
    if (!named.isEmpty())
        return named;
    const QString path = defaultDatabasePath();
    if (!QFileInfo::exists(path))
        createSqliteDatabase(path, true, true);
    return defaultConnectionString();
}
