// Secrets and server settings of the connection string: a connection file
// holding a password that others may read is refused, at start too; a
// password in the environment is logged once, masked; libpq's TLS, service,
// multi-host and session settings reach the driver (and the ODBC driver) as
// written, checked first; a string naming none of them gets what it got
// before.

#include "EnvGuard.h"

#include <ConnectionString.h>
#include <HostErrors.h>
#include <KmrConexao.h>
#include <OdbcConnect.h>
#include <OperatorTexts.h>
#include <PgConnectOptions.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString launcher() {
    return QStringLiteral(KALMORA_LAUNCHER);
}

QStringList g_logged;

void collect(QtMsgType, const QMessageLogContext&, const QString& text) {
    g_logged << text;
}

// The operator's text of a refused setting; "" when none was refused.
QString refusal(const QString& conexao) {
    try {
        PgConnectOptions::forQtDriver(ConnectionString::parse(conexao));
    } catch (const DatabaseError& e) {
        return e.cause() == FailureCause::Configuration ? e.message() : QStringLiteral("wrong cause");
    }
    return {};
}

} // namespace

class TestHostConexaoSenha : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_env.clear();
        for (const char* name : {"KALMORA_CONEXAO", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
            m_env.push_back(std::make_unique<EnvGuard>(name));
        qunsetenv("KALMORA_CONEXAO");
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home->filePath(QStringLiteral("config"))));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_home->filePath(QStringLiteral("etc"))));
        m_file = m_home->filePath(QStringLiteral("config/kalmora/kalmora.conexao"));
        QVERIFY(QDir().mkpath(QFileInfo(m_file).absolutePath()));
    }

    void connectionFileWithPassword_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("refused");
        const QString secret = QStringLiteral("Provider=PostgreSQL;Host=db;Database=pos;User ID=pos;Password=s3gr3d0");
        const QString plain = QStringLiteral("Provider=PostgreSQL;Host=db;Database=pos;User ID=pos");
        QTest::newRow("password, read by all") << secret << 0644 << true;
        QTest::newRow("password, read by the group") << secret << 0640 << true;
        QTest::newRow("password, owner only") << secret << 0600 << false;
        QTest::newRow("odbc password, read by all")
            << QStringLiteral("Provider=ODBC;DSN=pos;PWD=s3gr3d0") << 0604 << true;
        QTest::newRow("no password, read by all") << plain << 0644 << false;
    }
    void connectionFileWithPassword() {
        QFETCH(QString, line);
        QFETCH(int, mode);
        QFETCH(bool, refused);
        write(line, mode);
        if (!refused) {
            QCOMPARE(namedConnectionString(), line);
            return;
        }
        try {
            namedConnectionString();
            QFAIL("a connection file others can read was used");
        } catch (const DatabaseError& e) {
            QCOMPARE(e.cause(), FailureCause::Configuration);
            QVERIFY2(e.message().contains(m_file), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("chmod 600")), qPrintable(e.message()));
            QVERIFY2(!e.message().contains(QStringLiteral("s3gr3d0")), qPrintable(e.message()));
        }
    }

    void launcherRefusesOnStart() {
        write(QStringLiteral("Provider=SQLite;Data Source=%1;Password=s3gr3d0").arg(m_home->filePath("x.db")), 0644);
        QProcess process;
        process.start(launcher(), {QStringLiteral("--create-schema")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("chmod 600 ") + m_file), qPrintable(err));
        QVERIFY(!QFile::exists(m_home->filePath("x.db")));

        QFile::setPermissions(m_file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        process.start(launcher(), {QStringLiteral("--create-schema")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(QFile::exists(m_home->filePath("x.db")));
    }

    void passwordInEnvironmentLoggedOnceMasked() {
        qputenv("KALMORA_CONEXAO", "Provider=PostgreSQL;Host=db;User ID=pos;Password=s3gr3d0");
        g_logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collect);
        namedConnectionString();
        namedConnectionString();
        qInstallMessageHandler(previous);
        const QStringList warnings = g_logged.filter(QStringLiteral("KALMORA_CONEXAO holds a password"));
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains(QStringLiteral("Password=***")), qPrintable(warnings.first()));
        QVERIFY(g_logged.filter(QStringLiteral("s3gr3d0")).isEmpty());
    }

    void driverSettings() {
        const QString waits = QStringLiteral("connect_timeout=10;keepalives=1;keepalives_idle=5;keepalives_interval=2;"
                                             "keepalives_count=3;tcp_user_timeout=15000");
        const auto options = [](const QString& cs) {
            return PgConnectOptions::forQtDriver(ConnectionString::parse(cs));
        };
        QCOMPARE(options(QStringLiteral("Provider=PostgreSQL;Host=h;Port=5432;Database=d;User ID=u;Password=p")),
                 waits);
        QCOMPARE(options(QStringLiteral("Provider=PostgreSQL;Host=a,b;Port=5432,5433;SSL Mode=Verify-Full;"
                                        "SSL Root Cert=/etc/kalmora/raiz d'a.crt;SSL Cert=c.crt;SSL Key=c.key;"
                                        "Service=loja;Target Session Attrs=read-write")),
                 waits + QStringLiteral(";port=5432,5433;sslmode='verify-full';sslrootcert='/etc/kalmora/raiz "
                                        "d\\'a.crt';sslcert='c.crt';sslkey='c.key';service='loja';"
                                        "target_session_attrs='read-write'"));
        // One port for every host is libpq's own form, passed as a port.
        QCOMPARE(options(QStringLiteral("Provider=PostgreSQL;Host=a,b;Port=5432")), waits);
    }

    void refusedSettings() {
        QString text = refusal(QStringLiteral("Provider=PostgreSQL;Host=h;SSL Mode=sempre"));
        QVERIFY2(text.contains(QStringLiteral("SSL Mode")) && text.contains(QStringLiteral("\"sempre\"")) &&
                     text.contains(QStringLiteral("verify-full")),
                 qPrintable(text));
        text = refusal(QStringLiteral("Provider=PostgreSQL;Host=h;Target Session Attrs=escrita"));
        QVERIFY2(text.contains(QStringLiteral("read-write")), qPrintable(text));
        text = refusal(QStringLiteral("Provider=PostgreSQL;Host=a,b,c;Port=1,2"));
        QVERIFY2(text.contains(QStringLiteral("3 servidores")) && text.contains(QStringLiteral("2 portas")),
                 qPrintable(text));
        text = refusal(QStringLiteral("Provider=PostgreSQL;Host=h;SSL Root Cert=\"a;b.crt\""));
        QVERIFY2(text.contains(QStringLiteral("SSL Root Cert")), qPrintable(text));
    }

    void odbcDriverSettings() {
        const auto odbc = [](const QString& cs) {
            return OdbcConnect::driverConnectString(ConnectionString::parse(cs));
        };
        QCOMPARE(odbc(QStringLiteral("Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=h;Database=d;User ID=u;"
                                     "SSL Mode=verify-full;SSL Root Cert=/etc/raiz.crt;Target Session Attrs=any")),
                 QStringLiteral("DRIVER={PostgreSQL Unicode};DATABASE=d;SERVER=h;SSLmode=verify-full;"
                                "pqopt={sslrootcert='/etc/raiz.crt' target_session_attrs='any'};UID=u"));
        // Another driver gets every key as written, as before.
        QCOMPARE(odbc(QStringLiteral("Provider=MSDASQL;Driver={SQLite3};Database=/x.db;SSL Mode=require")),
                 QStringLiteral("DRIVER={SQLite3};DATABASE=/x.db;SSL MODE=require"));
    }

    void serversListedForTheOperator() {
        const QString text =
            OperatorTexts::conexaoPerdida(QStringLiteral("10.0.0.1,10.0.0.2"), QStringLiteral("5432,5433"));
        QVERIFY2(text.contains(QStringLiteral("10.0.0.1, porta 5432 ou 10.0.0.2, porta 5433")), qPrintable(text));
        QVERIFY(OperatorTexts::conexaoPerdida(QStringLiteral("a,b"), QStringLiteral("6000"))
                    .contains(QStringLiteral("a, porta 6000 ou b, porta 6000")));
        QVERIFY(OperatorTexts::conexaoPerdida(QStringLiteral("db"), QString())
                    .contains(QStringLiteral("servidor de banco de dados db, porta 5432 caiu")));
    }

private:
    void write(const QString& line, int mode) {
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(("# till\n" + line + "\n").toUtf8());
        file.close();
        QVERIFY(QFile::setPermissions(
            m_file, QFileDevice::Permissions(((mode & 0400) ? QFileDevice::ReadOwner : QFileDevice::Permissions()) |
                                             ((mode & 0200) ? QFileDevice::WriteOwner : QFileDevice::Permissions()) |
                                             ((mode & 0040) ? QFileDevice::ReadGroup : QFileDevice::Permissions()) |
                                             ((mode & 0004) ? QFileDevice::ReadOther : QFileDevice::Permissions()))));
    }

    std::vector<std::unique_ptr<EnvGuard>> m_env;
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_file;
};

QTEST_GUILESS_MAIN(TestHostConexaoSenha)
#include "tst_hostconexao_senha.moc"
