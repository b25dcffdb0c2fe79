// A primary and a streaming standby of the test's own on loopback ports, the
// standby synchronous so that a confirmed change is on both. The data
// service on both hosts with a read-write session writes, the primary stops,
// the standby is promoted, and the service writes again: at most one
// lost-connection message, and every change confirmed before the stop is on
// the new primary. A service that lands on the standby before it is promoted
// is told, in its own words, that the server only reads.

#include "PgScratchCluster.h"

#include <AdoSession.h>
#include <DatabaseSchema.h>
#include <HostErrors.h>
#include <Srv_Kmr00003.h>
#include <TestDatabase.h>
#include <TrdmConfGrupo.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

const QString kDatabase = QStringLiteral("caixa");
constexpr int kButtons = 5;

QString button(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

void exec(QSqlDatabase db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw std::runtime_error((statement + ": " + query.lastError().text()).toStdString());
}

// A connection of the test's own to one server, as its superuser.
class Admin {
public:
    Admin(int port, const QString& database) : m_name(QStringLiteral("kmr_failover_%1_%2").arg(port).arg(database)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(port);
        db.setUserName(QStringLiteral("postgres"));
        db.setDatabaseName(database);
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
    }
    ~Admin() {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    Admin(const Admin&) = delete;
    Admin& operator=(const Admin&) = delete;
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    QString value(const QString& query) const {
        QSqlQuery q(db());
        return q.exec(query) && q.next() ? q.value(0).toString() : QString();
    }

private:
    QString m_name;
};

} // namespace

class TestHostPgFailover : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (PgScratchCluster::binDir().isEmpty()) {
            if (TestDatabase::postgresRequired())
                QFAIL("KALMORA_TEST_REQUIRE_PG=1 but PostgreSQL's server programs are missing");
            QSKIP("PostgreSQL's server programs are not installed");
        }
        QVERIFY(m_dir.isValid());
        try {
            m_primary = std::make_unique<PgScratchCluster>(m_dir.filePath(QStringLiteral("primario")));
            m_primary->init();
            m_primary->start();
            setUpDatabase();
            m_standby = std::make_unique<PgScratchCluster>(m_dir.filePath(QStringLiteral("reserva")));
            m_standby->initStandbyOf(*m_primary, QStringLiteral("reserva"));
            m_standby->start();
            // From now on a commit on the primary waits for the standby. Set
            // after the copy: a promoted standby has no standby to wait for.
            {
                Admin primary(m_primary->port(), QStringLiteral("postgres"));
                exec(primary.db(), QStringLiteral("ALTER SYSTEM SET synchronous_standby_names = 'reserva'"));
                exec(primary.db(), QStringLiteral("SELECT pg_reload_conf()"));
            }
            waitForSynchronousStandby();
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
    }
    void cleanupTestCase() {
        Srv_Kmr00003::fecha();
        m_standby.reset();
        m_primary.reset();
    }
    void cleanup() { Srv_Kmr00003::fecha(); }

    void standbyOnlyReads() {
        QCOMPARE(connectService(QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Database=%2;"
                                               "User ID=kmr_caixa")
                                    .arg(m_standby->port())
                                    .arg(kDatabase)),
                 QString());
        QVariant groups;
        QCOMPARE(getPesqGrupo(QStringLiteral("9999"), QStringLiteral("00001"), QStringLiteral("1"), groups), 0);
        QVERIFY2(groups.typeId() != QMetaType::QString, qPrintable(groups.toString()));

        const QString text = rename(1, QStringLiteral("Na reserva"));
        QVERIFY2(text.contains(QStringLiteral("só aceita leitura")), qPrintable(text));
        QVERIFY2(text.contains(QString::number(m_standby->port())), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String("read-only")), qPrintable(text));
        Admin primary(m_primary->port(), kDatabase);
        QCOMPARE(primary.value(QStringLiteral("SELECT COUNT(*) FROM ITMENUCONFTE WHERE DSBUTTON = 'Na reserva'")),
                 QStringLiteral("0"));

        // Asking for a read-write session, the standby alone is refused.
        const QString refused = connectService(QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=%1;"
                                                              "Database=%2;User ID=kmr_caixa;"
                                                              "Target Session Attrs=read-write")
                                                   .arg(m_standby->port())
                                                   .arg(kDatabase));
        QVERIFY2(refused.contains(QStringLiteral("só aceita leitura")), qPrintable(refused));
    }

    void standbyTakesOver() {
        const QString both = QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1,127.0.0.1;Port=%1,%2;Database=%3;"
                                            "User ID=kmr_caixa;Target Session Attrs=read-write")
                                 .arg(m_primary->port())
                                 .arg(m_standby->port())
                                 .arg(kDatabase);
        QCOMPARE(connectService(both), QString());
        QCOMPARE(serverPort(), m_primary->port());
        QStringList confirmed;
        for (int n = 1; n <= kButtons; ++n) {
            const QString caption = QStringLiteral("Confirmado %1").arg(n);
            QCOMPARE(rename(n, caption), QString());
            confirmed << caption;
        }

        m_primary->stop(QStringLiteral("immediate"));
        m_standby->promote();

        int lost = 0;
        QString text = rename(1, QStringLiteral("Depois da troca"));
        if (!text.isEmpty()) {
            QVERIFY2(text.contains(QStringLiteral("caiu ou o servidor parou de responder")), qPrintable(text));
            ++lost;
            text = rename(1, QStringLiteral("Depois da troca"));
        }
        QVERIFY2(text.isEmpty(), qPrintable(text));
        QVERIFY(lost <= 1);
        QCOMPARE(serverPort(), m_standby->port());
        QCOMPARE(rename(2, QStringLiteral("Segunda depois")), QString());

        Admin promoted(m_standby->port(), kDatabase);
        QStringList onNewPrimary;
        QSqlQuery rows(promoted.db());
        QVERIFY(rows.exec(QStringLiteral("SELECT DSBUTTON FROM ITMENUCONFTE ORDER BY NRBUTTON")));
        while (rows.next())
            onNewPrimary << rows.value(0).toString();
        confirmed[0] = QStringLiteral("Depois da troca");
        confirmed[1] = QStringLiteral("Segunda depois");
        QCOMPARE(onNewPrimary, confirmed);
    }

private:
    void setUpDatabase() {
        {
            Admin server(m_primary->port(), QStringLiteral("postgres"));
            exec(server.db(), QStringLiteral("CREATE DATABASE %1").arg(kDatabase));
        }
        Admin admin(m_primary->port(), kDatabase);
        QSqlDatabase db = admin.db();
        DatabaseSchema::create(db, SqlDialect::PostgreSQL, false);
        for (const QString& statement : DatabaseSchema::grantStatements())
            exec(db, statement);
        exec(db, QStringLiteral("CREATE ROLE kmr_caixa LOGIN IN ROLE kalmora_terminal"));
        for (int n = 1; n <= kButtons; ++n)
            exec(db, QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, "
                                    "NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, DSBUTTON) VALUES "
                                    "('9999', '00001', '2', '%1', '1', '0', '0', '0', 'Grupo %1')")
                         .arg(button(n)));
    }

    void waitForSynchronousStandby() {
        Admin primary(m_primary->port(), QStringLiteral("postgres"));
        for (int i = 0; i < 300; ++i) {
            if (primary.value(QStringLiteral("SELECT sync_state FROM pg_stat_replication WHERE application_name = "
                                             "'reserva' AND state = 'streaming'")) == QLatin1String("sync"))
                return;
            QThread::msleep(100);
        }
        throw std::runtime_error("the standby did not become synchronous");
    }

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

    int serverPort() {
        QSqlQuery query(rdmConfGrupo->adcConfGrupo.database());
        return query.exec(QStringLiteral("SELECT inet_server_port()")) && query.next() ? query.value(0).toInt() : 0;
    }

    static QString rename(int n, const QString& caption) {
        QVariant result;
        const int32_t status =
            getMudaNome(QStringLiteral("9999"), QStringLiteral("00001"), button(n), QStringLiteral("1"), caption,
                        QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("0"), result);
        return status == 0 ? result.toString() : QStringLiteral("status %1").arg(status);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<PgScratchCluster> m_primary;
    std::unique_ptr<PgScratchCluster> m_standby;
};

QTEST_GUILESS_MAIN(TestHostPgFailover)
#include "tst_hostpg_failover.moc"
