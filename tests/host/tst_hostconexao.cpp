// Where the connection string and the parameter file are looked up; named
// databases used as they are; empty and odd connection strings; what a
// driver's text may keep of a password; the launcher without a display.

#include "EnvGuard.h"

#include <AdoSession.h>
#include <ConnectionString.h>
#include <HostErrors.h>
#include <KmrConexao.h>
#include <TADOConnection.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
}

// A SQLite database in rollback-journal mode, as a host makes one.
QString rollbackJournalDatabase(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("host.db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("kmr_host_db"));
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot create %s", qPrintable(path));
        QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE T (A TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("kmr_host_db"));
    return path;
}

// The failure of connecting to a connection string.
DatabaseError connectFailure(const QString& conexao) {
    TADOConnection connection;
    connection.setConnectionString(conexao);
    connection.afterConnect = SetADODBSession;
    try {
        connection.setConnected(true);
    } catch (const DatabaseError& e) {
        return e;
    }
    return DatabaseError(QStringLiteral("connected"));
}

QString launcher() {
    return QStringLiteral(KALMORA_LAUNCHER);
}

} // namespace

class TestHostConexao : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_env.clear();
        for (const char* name : {"KALMORA_CONEXAO", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME"})
            m_env.push_back(std::make_unique<EnvGuard>(name));
        qunsetenv("KALMORA_CONEXAO");
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_home.filePath(QStringLiteral("etc1")) + u':' +
                                                     m_home.filePath(QStringLiteral("etc2"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
    }
    void cleanup() {
        QFile::remove(besideLauncher());
        QDir(m_home.path()).removeRecursively();
        QDir().mkpath(m_home.path());
        m_env.clear();
    }

    // Each place in turn, the first found winning; a file with no connection
    // line is passed over.
    void connectionLookedUpInOrder() {
        const QString home = m_home.filePath(QStringLiteral("config/kalmora/kalmora.conexao"));
        const QString etc1 = m_home.filePath(QStringLiteral("etc1/kalmora/kalmora.conexao"));
        const QString etc2 = m_home.filePath(QStringLiteral("etc2/kalmora/kalmora.conexao"));
        QVERIFY(namedConnectionString().isEmpty());

        writeFile(etc2, "Provider=SQLite;Data Source=/etc2.db\n");
        QCOMPARE(namedConnectionString(), QStringLiteral("Provider=SQLite;Data Source=/etc2.db"));
        writeFile(etc1, "# only a comment\n\n");
        QCOMPARE(namedConnectionString(), QStringLiteral("Provider=SQLite;Data Source=/etc2.db"));
        writeFile(etc1, "Provider=SQLite;Data Source=/etc1.db\n");
        QCOMPARE(namedConnectionString(), QStringLiteral("Provider=SQLite;Data Source=/etc1.db"));
        writeFile(home, "Provider=SQLite;Data Source=/home.db\n");
        QCOMPARE(namedConnectionString(), QStringLiteral("Provider=SQLite;Data Source=/home.db"));
        writeFile(besideLauncher(), "Provider=SQLite;Data Source=/beside.db\n");
        QCOMPARE(namedConnectionString(), QStringLiteral("Provider=SQLite;Data Source=/beside.db"));
        qputenv("KALMORA_CONEXAO", "Provider=SQLite;Data Source=/env.db");
        QCOMPARE(_GetStringConexKmr(QString()), QStringLiteral("Provider=SQLite;Data Source=/env.db"));

        // A relative XDG folder is not used; /etc/xdg when none is named.
        qputenv("XDG_CONFIG_HOME", "relative/config");
        qunsetenv("XDG_CONFIG_DIRS");
        const QStringList places = configFileCandidates(QStringLiteral("kalmora.conexao"), QStringLiteral("/opt/k"));
        QCOMPARE(places.value(0), QStringLiteral("/opt/k/kalmora.conexao"));
        QCOMPARE(places.value(1), QDir::homePath() + QStringLiteral("/.config/kalmora/kalmora.conexao"));
        QCOMPARE(places.value(2), QStringLiteral("/etc/xdg/kalmora/kalmora.conexao"));
        QCOMPARE(places.size(), 3);
    }

    // The parameter file: its own folder first, then the same places.
    void parameterFileLookedUpAfterItsOwnPlace() {
        const QString own = m_home.filePath(QStringLiteral("exe"));
        const QString name = QStringLiteral("PARAMETROSKMR.CDS");
        QCOMPARE(findConfigFile(name, own), QDir(own).filePath(name)); // none: the usual place
        writeFile(m_home.filePath(QStringLiteral("etc2/kalmora/PARAMETROSKMR.CDS")), "x");
        QCOMPARE(findConfigFile(name, own), m_home.filePath(QStringLiteral("etc2/kalmora/PARAMETROSKMR.CDS")));
        writeFile(m_home.filePath(QStringLiteral("config/kalmora/PARAMETROSKMR.CDS")), "x");
        QCOMPARE(findConfigFile(name, own), m_home.filePath(QStringLiteral("config/kalmora/PARAMETROSKMR.CDS")));
        writeFile(QDir(own).filePath(name), "x");
        QCOMPARE(findConfigFile(name, own), QDir(own).filePath(name));
    }

    // A ';' in the data folder's path is quoted into the connection string,
    // and the default database is made at the whole path.
    void defaultPathIsQuoted() {
        const QString data = m_home.filePath(QStringLiteral("da;ta \"x\""));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        const QString conexao = _GetStringConexKmr(QString());
        const QString expected = data + QStringLiteral("/kalmora/kalmora.db");
        QCOMPARE(ConnectionString::parse(conexao).value(QStringLiteral("Data Source")), expected);
        QVERIFY(QFile::exists(expected));
        TADOConnection connection;
        connection.setConnectionString(conexao);
        connection.setConnected(true);
        QSqlQuery q(connection.database());
        QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("wal")); // the embedded default, made by us
    }

    // A named database is used as it is.
    void namedSqliteDatabaseUsedAsItIs() {
        const QString path = rollbackJournalDatabase(m_home);
        {
            TADOConnection connection;
            connection.setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + path);
            connection.afterConnect = SetADODBSession;
            connection.setConnected(true);
            QSqlQuery q(connection.database());
            QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("delete"));
            QVERIFY(QSqlQuery(connection.database()).exec(QStringLiteral("INSERT INTO T VALUES ('a')")));
        }
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));

        // Missing: not created, and the message names the file.
        const QString missing = m_home.filePath(QStringLiteral("nada/caixa.db"));
        DatabaseError e = connectFailure(QStringLiteral("Provider=SQLite;Data Source=") + missing);
        QCOMPARE(e.cause(), FailureCause::DatabaseNotFound);
        QVERIFY2(e.message().contains(missing) && e.message().contains(QStringLiteral("não foi encontrado")),
                 qPrintable(e.message()));
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(!QFileInfo::exists(QFileInfo(missing).absolutePath()));

        // Not a SQLite database (empty, or text): refused, not written to.
        const QString empty = m_home.filePath(QStringLiteral("vazio.db"));
        const QString text = m_home.filePath(QStringLiteral("texto.db"));
        writeFile(empty, QByteArray());
        writeFile(text, QByteArray("Provider=SQLite\n").repeated(20));
        for (const QString& file : {empty, text}) {
            const QByteArray before = QFile(file).exists() ? [&] {
                QFile f(file);
                f.open(QIODevice::ReadOnly);
                return f.readAll();
            }()
                                                           : QByteArray();
            e = connectFailure(QStringLiteral("Provider=SQLite;Data Source=") + file);
            QCOMPARE(e.cause(), FailureCause::NotADatabase);
            QVERIFY2(e.message().contains(QStringLiteral("não é um banco de dados")), qPrintable(e.message()));
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
        }
        QCOMPARE(QFileInfo(empty).size(), 0);
    }

    void emptyDataSourceRefused() {
        for (const char* conexao :
             {"Provider=SQLite;Data Source=", "Provider=SQLite;Data Source=  ;Mode=x", "Provider=SQLite"}) {
            const DatabaseError e = connectFailure(QString::fromLatin1(conexao));
            QCOMPARE(e.cause(), FailureCause::DatabaseNotFound);
            QVERIFY2(e.message().contains(QStringLiteral("Data Source")), qPrintable(e.message()));
        }
        const DatabaseError unknown = connectFailure(QStringLiteral("Provider=MSDAORA.1;Data Source=x"));
        QCOMPARE(unknown.cause(), FailureCause::Configuration);
        QVERIFY2(unknown.message().contains(QStringLiteral("não é suportado")), qPrintable(unknown.message()));
    }

    // A driver's text keeps every word; only what it echoed as the value of
    // a password key, or the whole connection string, is masked.
    void maskingTouchesOnlyEchoedValues_data() {
        QTest::addColumn<QString>("conexao");
        QTest::addColumn<QString>("driverText");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one-letter password") << "Provider=PostgreSQL;Host=h;User ID=kmr;Password=o"
                                             << "connection to server at \"h\", port 5432 failed: Connection refused"
                                             << "connection to server at \"h\", port 5432 failed: Connection refused";
        QTest::newRow("password equal to the user") << "Provider=PostgreSQL;Host=h;User ID=caixa;Password=caixa"
                                                    << "FATAL: password authentication failed for user \"caixa\""
                                                    << "FATAL: password authentication failed for user \"caixa\"";
        QTest::newRow("echoed options") << "Provider=PostgreSQL;Host=h;Password=s3;cr" // ';' ends the value
                                        << "invalid option: host=h password=s3 sslmode=x"
                                        << "invalid option: host=h password=*** sslmode=x";
        QTest::newRow("odbc string echoed") << "Provider=ODBC;Driver={X};Server=s;UID=u;PWD={p;w}"
                                            << "[unixODBC] DRIVER={X};SERVER=s;UID=u;PWD={p;w} failed"
                                            << "[unixODBC] DRIVER={X};SERVER=s;UID=u;PWD=*** failed";
        QTest::newRow("whole string echoed") << "Provider=PostgreSQL;Host=h;Password=\"a b\""
                                             << "bad: Provider=PostgreSQL;Host=h;Password=\"a b\""
                                             << "bad: Provider=PostgreSQL;Host=h;Password=***";
    }
    void maskingTouchesOnlyEchoedValues() {
        QFETCH(QString, conexao);
        QFETCH(QString, driverText);
        QFETCH(QString, expected);
        QCOMPARE(ConnectionString::parse(conexao).masked(driverText), expected);
    }

    // A refused server: its name and port for the operator, never the
    // password; the detail in the log only.
    void refusedServerNamedWithoutPassword() {
        const DatabaseError e =
            connectFailure(QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=d;User ID=u;Password=o"));
        QCOMPARE(e.cause(), FailureCause::ConnectionRefused);
        QVERIFY2(e.message().contains(QStringLiteral("127.0.0.1, porta 1")), qPrintable(e.message()));
        QVERIFY2(!e.message().contains(QStringLiteral("Connection refused")), qPrintable(e.message()));
        QVERIFY2(!e.message().contains(QStringLiteral("Password")), qPrintable(e.message()));
    }

    // The launcher: --create-schema refuses an empty Data Source; without a
    // display a screenshot is taken offscreen; the log gets the detail.
    void launcherWithoutDisplayAndWithBadConnections() {
        if (!QFile::exists(launcher()))
            QSKIP("the launcher is not built");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KALMORA_CONEXAO"})
            env.remove(QLatin1String(name));
        const QString logs = m_home.filePath(QStringLiteral("logs"));
        env.insert(QStringLiteral("KALMORA_LOG_DIR"), logs);
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("da;ta")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), m_home.filePath(QStringLiteral("etc1")));
        const auto run = [&](const QStringList& args, QProcessEnvironment e) {
            QProcess p;
            p.setProcessEnvironment(e);
            p.start(launcher(), args);
            if (!p.waitForFinished(60000))
                p.kill();
            return std::make_tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardError()));
        };

        // The default database in a folder with ';' in its path, whole.
        const QString png = m_home.filePath(QStringLiteral("tela.png"));
        auto [code, err] = run({QStringLiteral("--screenshot"), png}, env);
        QVERIFY2(code == 0, qPrintable(err));
        QVERIFY(QFile::exists(png));
        QVERIFY(QFile::exists(m_home.filePath(QStringLiteral("da;ta/kalmora/kalmora.db"))));

        // --create-schema on the default, in another folder with ';': made whole
        // at the whole path, in WAL as the embedded default is.
        QProcessEnvironment fresh = env;
        fresh.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("ou;tra")));
        std::tie(code, err) = run({QStringLiteral("--create-schema")}, fresh);
        QVERIFY2(code == 0, qPrintable(err));
        QVERIFY(QFile::exists(m_home.filePath(QStringLiteral("ou;tra/kalmora/kalmora.db"))));
        QVERIFY(!QFile::exists(m_home.filePath(QStringLiteral("ou"))));

        QProcessEnvironment empty = env;
        empty.insert(QStringLiteral("KALMORA_CONEXAO"), QStringLiteral("Provider=SQLite;Data Source="));
        std::tie(code, err) = run({QStringLiteral("--create-schema")}, empty);
        QCOMPARE(code, 1);
        QVERIFY2(err.contains(QStringLiteral("Data Source vazio")), qPrintable(err));

        QProcessEnvironment server = env;
        server.insert(
            QStringLiteral("KALMORA_CONEXAO"),
            QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=d;User ID=u;Password=segredo"));
        std::tie(code, err) = run({QStringLiteral("--create-schema")}, server);
        QCOMPARE(code, 1);
        QVERIFY2(err.contains(QStringLiteral("127.0.0.1, porta 1")), qPrintable(err));
        QFile log(QDir(logs).filePath(QStringLiteral("kalmora.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString logged = QString::fromUtf8(log.readAll());
        QVERIFY2(logged.contains(QStringLiteral("Connection refused")), qPrintable(logged));
        QVERIFY2(!logged.contains(QStringLiteral("segredo")), qPrintable(logged));
    }

private:
    static QString besideLauncher() {
        return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kalmora.conexao"));
    }

    QTemporaryDir m_home;
    std::vector<std::unique_ptr<EnvGuard>> m_env;
};

QTEST_GUILESS_MAIN(TestHostConexao)
#include "tst_hostconexao.moc"
