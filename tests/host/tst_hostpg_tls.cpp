// The data service on a PostgreSQL server of the test's own that speaks TLS
// with certificates the test makes: verify-full accepted with the right
// root and refused (another name, another authority) in the operator's
// words with nothing read or written; require without verification; a
// till's own certificate; the password file and the service file when the
// connection string holds no password.

#include "EnvGuard.h"
#include "PgScratchCluster.h"

#include <AdoSession.h>
#include <DatabaseSchema.h>
#include <HostErrors.h>
#include <Srv_Kmr00003.h>
#include <TestDatabase.h>
#include <TrdmConfGrupo.h>

#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kDatabase = QStringLiteral("caixa");
const QString kTlsPassword = QStringLiteral("segredo-tls");
const QString kPwPassword = QStringLiteral("segredo-arquivo");

void openssl(const QString& folder, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        throw std::runtime_error(
            ("openssl " + arguments.join(u' ') + ": " + QString::fromUtf8(process.readAll())).toStdString());
}

// A certificate authority, a server certificate for "localhost" signed by
// it, a till certificate for the role kmr_cert, and an authority of nobody's.
void makeCertificates(const QString& folder) {
    const QStringList ec{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                         QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    for (const QString& ca : {QStringLiteral("ca"), QStringLiteral("outra")})
        openssl(folder, QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec +
                            QStringList{QStringLiteral("-keyout"), ca + QStringLiteral(".key"), QStringLiteral("-out"),
                                        ca + QStringLiteral(".crt"), QStringLiteral("-days"), QStringLiteral("2"),
                                        QStringLiteral("-subj"), QStringLiteral("/CN=Autoridade ") + ca});
    const auto signedBy = [&](const QString& name, const QString& subject, const QString& extension) {
        openssl(folder,
                QStringList{QStringLiteral("req")} + ec +
                    QStringList{QStringLiteral("-keyout"), name + QStringLiteral(".key"), QStringLiteral("-out"),
                                name + QStringLiteral(".csr"), QStringLiteral("-subj"), subject});
        QFile ext(folder + u'/' + name + QStringLiteral(".ext"));
        if (!ext.open(QIODevice::WriteOnly) || ext.write(extension.toUtf8()) < 0)
            throw std::runtime_error("cannot write an extension file");
        ext.close();
        openssl(folder, {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                         name + QStringLiteral(".csr"), QStringLiteral("-CA"), QStringLiteral("ca.crt"),
                         QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                         QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"),
                         name + QStringLiteral(".ext"), QStringLiteral("-out"), name + QStringLiteral(".crt")});
        QFile::setPermissions(folder + u'/' + name + QStringLiteral(".key"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    };
    signedBy(QStringLiteral("servidor"), QStringLiteral("/CN=localhost"),
             QStringLiteral("subjectAltName=DNS:localhost\n"));
    signedBy(QStringLiteral("terminal"), QStringLiteral("/CN=kmr_cert"), QStringLiteral("keyUsage=digitalSignature\n"));
}

void writeFile(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        throw std::runtime_error(("cannot write " + path).toStdString());
    file.close();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

class TestHostPgTls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (PgScratchCluster::binDir().isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty()) {
            if (TestDatabase::postgresRequired())
                QFAIL("KALMORA_TEST_REQUIRE_PG=1 but PostgreSQL's server programs or openssl are missing");
            QSKIP("PostgreSQL's server programs or openssl are not installed");
        }
        QVERIFY(m_dir.isValid());
        m_certs = m_dir.filePath(QStringLiteral("certs"));
        QVERIFY(QDir().mkpath(m_certs));
        try {
            makeCertificates(m_certs);
            m_cluster = std::make_unique<PgScratchCluster>(m_dir.filePath(QStringLiteral("pg")));
            m_cluster->init();
            for (const QString& file :
                 {QStringLiteral("servidor.crt"), QStringLiteral("servidor.key"), QStringLiteral("ca.crt")})
                m_cluster->installFile(m_certs + u'/' + file, file);
            m_cluster->addConfig(QStringLiteral("ssl = on\nssl_cert_file = 'servidor.crt'\nssl_key_file = "
                                                "'servidor.key'\nssl_ca_file = 'ca.crt'\n"
                                                "password_encryption = 'scram-sha-256'"));
            // As a server of the chain would be set up: the tills over TLS
            // with their passwords (or their certificate), nothing in clear.
            m_cluster->setHba(QStringLiteral("local all all trust\n"
                                             "host all postgres 127.0.0.1/32 trust\n"
                                             "hostssl %1 kmr_cert 127.0.0.1/32 cert\n"
                                             "hostssl %1 kmr_tls 127.0.0.1/32 scram-sha-256\n"
                                             "host %1 kmr_pw 127.0.0.1/32 scram-sha-256\n")
                                  .arg(kDatabase));
            m_cluster->start();
            setUpDatabase();
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
    }
    void cleanupTestCase() {
        Srv_Kmr00003::fecha();
        m_cluster.reset();
    }
    void cleanup() { Srv_Kmr00003::fecha(); }

    void verifyFullWithTheRightRoot() {
        QCOMPARE(connectService(tls(QStringLiteral("localhost"), QStringLiteral("verify-full"),
                                    m_certs + QStringLiteral("/ca.crt"))),
                 QString());
        QVERIFY(encrypted());
        QCOMPARE(rename(QStringLiteral("Cifrado")), QString());
        QCOMPARE(caption(), QStringLiteral("Cifrado"));
    }

    void verifyFullRefusesAnotherName_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("says");
        QTest::newRow("certificate of another name")
            << QStringLiteral("127.0.0.1") << QStringLiteral("ca.crt") << QStringLiteral("é de outro nome");
        QTest::newRow("signed by another authority") << QStringLiteral("localhost") << QStringLiteral("outra.crt")
                                                     << QStringLiteral("não foi assinado pela autoridade");
        QTest::newRow("root certificate missing") << QStringLiteral("localhost") << QStringLiteral("nenhuma.crt")
                                                  << QStringLiteral("certificado raiz que confere o servidor");
    }
    void verifyFullRefusesAnotherName() {
        QFETCH(QString, host);
        QFETCH(QString, root);
        QFETCH(QString, says);
        const QString before = caption();
        const QString text = connectService(tls(host, QStringLiteral("verify-full"), m_certs + u'/' + root));
        QVERIFY2(text.contains(says), qPrintable(text));
        QVERIFY2(text.contains(host), qPrintable(text));
        for (const char* driverWord : {"certificate", "verify", "does not", ".crt", "/"})
            QVERIFY2(!text.contains(QLatin1String(driverWord)), qPrintable(text));
        // No session was opened: nothing was read or written.
        QVERIFY(!rdmConfGrupo->adcConfGrupo.connected());
        QCOMPARE(caption(), before);
    }

    void requireWithoutVerification() {
        QCOMPARE(connectService(tls(QStringLiteral("127.0.0.1"), QStringLiteral("require"), {})), QString());
        QVERIFY(encrypted());
        QCOMPARE(rename(QStringLiteral("Exigido")), QString());
        // The server takes this role over TLS only.
        const QString refused = connectService(tls(QStringLiteral("127.0.0.1"), QStringLiteral("disable"), {}));
        QVERIFY2(refused.contains(QStringLiteral("recusou o acesso")), qPrintable(refused));
    }

    void tillCertificateInsteadOfPassword() {
        const QString cs = QStringLiteral("Provider=PostgreSQL;Host=localhost;Port=%1;Database=%2;User ID=kmr_cert;"
                                          "SSL Mode=verify-full;SSL Root Cert=%3/ca.crt;SSL Cert=%3/terminal.crt;"
                                          "SSL Key=%3/terminal.key")
                               .arg(m_cluster->port())
                               .arg(kDatabase, m_certs);
        QCOMPARE(connectService(cs), QString());
        QCOMPARE(rename(QStringLiteral("Certificado")), QString());
        // Without its key the till is not let in, and is told so.
        const QString without =
            connectService(QString(cs).replace(QStringLiteral("terminal.key"), QStringLiteral("nenhuma.key")));
        QVERIFY2(without.contains(QStringLiteral("a chave deste terminal")), qPrintable(without));
    }

    void passwordFile() {
        const QString cs = QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Database=%2;User ID=kmr_pw")
                               .arg(m_cluster->port())
                               .arg(kDatabase);
        EnvGuard passFile("PGPASSFILE");
        const QString path = m_dir.filePath(QStringLiteral("pgpass"));
        writeFile(path,
                  QStringLiteral("127.0.0.1:%1:%2:kmr_pw:%3\n").arg(m_cluster->port()).arg(kDatabase, kPwPassword));
        qputenv("PGPASSFILE", QFile::encodeName(path));
        QCOMPARE(connectService(cs), QString());
        QCOMPARE(rename(QStringLiteral("Arquivo")), QString());

        qputenv("PGPASSFILE", QFile::encodeName(m_dir.filePath(QStringLiteral("nenhum"))));
        const QString refused = connectService(cs);
        QVERIFY2(refused.contains(QStringLiteral("recusou o acesso")), qPrintable(refused));
    }

    void serviceFile() {
        EnvGuard passFile("PGPASSFILE");
        EnvGuard serviceFile("PGSERVICEFILE");
        const QString pass = m_dir.filePath(QStringLiteral("pgpass"));
        writeFile(pass, QStringLiteral("*:*:*:kmr_pw:%1\n").arg(kPwPassword));
        const QString services = m_dir.filePath(QStringLiteral("pg_service.conf"));
        writeFile(services, QStringLiteral("[kalmora_caixa]\nhost=127.0.0.1\nport=%1\ndbname=%2\nuser=kmr_pw\n")
                                .arg(m_cluster->port())
                                .arg(kDatabase));
        qputenv("PGPASSFILE", QFile::encodeName(pass));
        qputenv("PGSERVICEFILE", QFile::encodeName(services));
        QCOMPARE(connectService(QStringLiteral("Provider=PostgreSQL;Service=kalmora_caixa")), QString());
        QCOMPARE(rename(QStringLiteral("Servico")), QString());
        QCOMPARE(caption(), QStringLiteral("Servico"));
    }

private:
    void setUpDatabase() {
        const QString name = QStringLiteral("kmr_tls_admin");
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            admin.setHostName(QStringLiteral("127.0.0.1"));
            admin.setPort(m_cluster->port());
            admin.setUserName(QStringLiteral("postgres"));
            admin.setDatabaseName(QStringLiteral("postgres"));
            if (!admin.open())
                throw std::runtime_error(admin.lastError().text().toStdString());
            exec(admin, QStringLiteral("CREATE DATABASE %1").arg(kDatabase));
            admin.close();
            admin.setDatabaseName(kDatabase);
            if (!admin.open())
                throw std::runtime_error(admin.lastError().text().toStdString());
            DatabaseSchema::create(admin, SqlDialect::PostgreSQL, false);
            for (const QString& statement : DatabaseSchema::grantStatements())
                exec(admin, statement);
            exec(admin,
                 QStringLiteral("CREATE ROLE kmr_tls LOGIN PASSWORD '%1' IN ROLE kalmora_terminal").arg(kTlsPassword));
            exec(admin,
                 QStringLiteral("CREATE ROLE kmr_pw LOGIN PASSWORD '%1' IN ROLE kalmora_terminal").arg(kPwPassword));
            exec(admin, QStringLiteral("CREATE ROLE kmr_cert LOGIN IN ROLE kalmora_terminal"));
            exec(admin, QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, "
                                       "NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, DSBUTTON) VALUES "
                                       "('9999', '00001', '2', '01', '1', '0', '0', '0', 'Antes')"));
        }
        m_admin = name;
    }
    static void exec(QSqlDatabase& db, const QString& statement) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            throw std::runtime_error((statement + ": " + query.lastError().text()).toStdString());
    }

    QString tls(const QString& host, const QString& mode, const QString& root) const {
        QString cs = QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=kmr_tls;Password=%4;"
                                    "SSL Mode=%5")
                         .arg(host)
                         .arg(m_cluster->port())
                         .arg(kDatabase, kTlsPassword, mode);
        if (!root.isEmpty())
            cs += QStringLiteral(";SSL Root Cert=") + root;
        return cs;
    }

    // A data service of its own on the connection string; "" when it
    // connected, else the operator's text.
    QString connectService(const QString& cs) {
        Srv_Kmr00003::fecha();
        qputenv("KALMORA_CONEXAO", cs.toUtf8());
        try {
            Srv_Kmr00003::abre();
        } catch (const DatabaseError& e) {
            return rdmConfGrupo ? ADOExceptionMessage(e, rdmConfGrupo->adcConfGrupo, QString()) : e.message();
        }
        return {};
    }

    bool encrypted() {
        QSqlQuery query(rdmConfGrupo->adcConfGrupo.database());
        return query.exec(QStringLiteral("SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()")) && query.next() &&
               query.value(0).toBool();
    }

    QString rename(const QString& text) {
        QVariant result;
        const int32_t status = getMudaNome(QStringLiteral("9999"), QStringLiteral("00001"), QStringLiteral("01"),
                                           QStringLiteral("1"), text, QStringLiteral("0"), QStringLiteral("2"),
                                           QStringLiteral("0"), QStringLiteral("0"), result);
        return status == 0 ? result.toString() : QStringLiteral("status %1").arg(status);
    }

    QString caption() {
        QSqlQuery query(QSqlDatabase::database(m_admin));
        if (!query.exec(QStringLiteral("SELECT DSBUTTON FROM ITMENUCONFTE")) || !query.next())
            return QStringLiteral("(unread)");
        return query.value(0).toString();
    }

    QTemporaryDir m_dir;
    QString m_certs;
    QString m_admin;
    std::unique_ptr<PgScratchCluster> m_cluster;
};

QTEST_GUILESS_MAIN(TestHostPgTls)
#include "tst_hostpg_tls.moc"
