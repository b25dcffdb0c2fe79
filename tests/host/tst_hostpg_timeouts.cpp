// The data service on a PostgreSQL server that keeps it waiting: a row held
// by another station and a backend that stops answering. Each call ends
// within its bound with the operator's text, no transaction is left open,
// and the next call works once the lock is gone or the server goes on.

#include <Srv_Kmr00003.h>
#include <TestDatabase.h>
#include <TrdmConfGrupo.h>

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QtTest>

#include <csignal>

namespace {

struct Call {
    int32_t status = -1;
    QVariant result;
    qint64 elapsedMs = 0;
    QString text() const { return result.toString(); }
    bool ok() const { return status == 0 && result.typeId() == QMetaType::QString && text().isEmpty(); }
};

Call rename(const QString& caption) {
    Call c;
    QElapsedTimer timer;
    timer.start();
    c.status =
        getMudaNome(QStringLiteral("9999"), QStringLiteral("00001"), QStringLiteral("01"), QStringLiteral("1"), caption,
                    QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("0"), c.result);
    c.elapsedMs = timer.elapsed();
    return c;
}

} // namespace

class TestHostPgTimeouts : public QObject {
    Q_OBJECT

private slots:
    void init() {
        KMR_REQUIRE_POSTGRES();
        m_db = std::make_unique<TestDatabase>(TestDatabase::Engine::PostgreSQL);
        m_db->exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, "
                                  "NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, DSBUTTON) VALUES "
                                  "('9999', '00001', '2', '01', '1', '0', '0', '0', 'Antes')"));
        m_db->makeCurrent();
        m_servico = std::make_unique<Srv_Kmr00003::Sessao>();
    }
    void cleanup() {
        m_servico.reset();
        m_db.reset();
    }

    void rowHeldByAnotherStation() {
        QSqlDatabase other = m_db->db();
        QVERIFY(other.transaction());
        QSqlQuery hold(other);
        QVERIFY(hold.exec(QStringLiteral("SELECT * FROM ITMENUCONFTE FOR UPDATE")));

        const Call busy = rename(QStringLiteral("Novo"));
        QCOMPARE(busy.status, 0);
        QVERIFY2(busy.text().contains(QStringLiteral("ocupado por outro terminal")), qPrintable(busy.text()));
        QVERIFY2(busy.elapsedMs >= 4000 && busy.elapsedMs < 9000, qPrintable(QString::number(busy.elapsedMs)));
        QVERIFY(!rdmConfGrupo->adcConfGrupo.inTransaction());

        hold.finish();
        QVERIFY(other.rollback());
        QVERIFY2(rename(QStringLiteral("Novo")).ok(), "the rename after the lock is gone");
        QCOMPARE(caption(), QStringLiteral("Novo"));
    }

    void backendStopsAnswering() {
        QSqlQuery pidQuery(rdmConfGrupo->adcConfGrupo.database());
        QVERIFY(pidQuery.exec(QStringLiteral("SELECT pg_backend_pid()")) && pidQuery.next());
        const pid_t backend = pid_t(pidQuery.value(0).toLongLong());
        pidQuery = QSqlQuery();
        QVERIFY(::kill(backend, SIGSTOP) == 0);
        auto resume = qScopeGuard([backend] { ::kill(backend, SIGCONT); });

        const Call lost = rename(QStringLiteral("Parado"));
        QCOMPARE(lost.status, 0);
        QVERIFY2(lost.text().contains(QStringLiteral("parou de responder")), qPrintable(lost.text()));
        QVERIFY2(lost.elapsedMs < 25000, qPrintable(QString::number(lost.elapsedMs)));
        QVERIFY(!rdmConfGrupo->adcConfGrupo.inTransaction());

        ::kill(backend, SIGCONT);
        resume.dismiss();
        QVERIFY2(rename(QStringLiteral("Depois")).ok(), "the next call connects again");
        QCOMPARE(caption(), QStringLiteral("Depois"));
    }

private:
    QString caption() {
        return m_db->rows(QStringLiteral("SELECT DSBUTTON FROM ITMENUCONFTE")).value(0).value(0).toString();
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<Srv_Kmr00003::Sessao> m_servico;
};

QTEST_GUILESS_MAIN(TestHostPgTimeouts)
#include "tst_hostpg_timeouts.moc"
