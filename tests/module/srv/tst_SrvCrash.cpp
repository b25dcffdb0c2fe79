// A till killed in the middle of its writes: a child process pastes a group
// with 36 products back and forth and confirms a colour on each of them, and
// is killed with SIGKILL at random moments. After each kill the database is
// sound, the group moved whole or not at all, and each colour is old or new.
// The same child undoing and redoing its moves: the journal, kept in the same
// transactions, stays consistent with the store.

#include <TestDatabase.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

#include <memory>

class SrvCrash : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> m_db;

    void prepareMenu() {
        m_db->exec("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
                   "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT) VALUES "
                   "('9999', '00001', '2', '01', '1', '0', '0', '0', '', 'Grupo', 0, 11571344, '')");
        for (int b = 1; b <= 36; ++b)
            m_db->exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, "
                                      "NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, "
                                      "NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT) VALUES ('9999', '00001', '1', '%1', "
                                      "'1', '2', '01', '1', '101001', 'P', 0, 11571344, '')")
                           .arg(b, 2, 10, QLatin1Char('0')));
    }

    // The state a kill may leave: checked after every run.
    void verifyConsistent(int run) {
        const QString where = QStringLiteral(" (run %1)").arg(run);
        QCOMPARE(m_db->rows("PRAGMA integrity_check").value(0).value(0).toString(), QStringLiteral("ok"));
        const auto groups = m_db->rows("SELECT NRBUTTON FROM ITMENUCONFTE WHERE IDTPBUTTON = '2'");
        QVERIFY2(groups.size() == 1, qPrintable(QString::number(groups.size()) + where));
        const QString at = groups.first().value(0).toString();
        QVERIFY2(at == QLatin1String("01") || at == QLatin1String("07"), qPrintable(at + where));
        // Every product follows the group: the move is whole or absent.
        const auto links = m_db->rows("SELECT NRBUTTONAUX, COUNT(*) FROM ITMENUCONFTE WHERE IDTPBUTTON = '1' "
                                      "GROUP BY NRBUTTONAUX");
        QVERIFY2(links.size() == 1, qPrintable(QString::number(links.size()) + where));
        QCOMPARE(links.first().value(0).toString(), at);
        QCOMPARE(links.first().value(1).toInt(), 36);
        // Each colour row holds a colour some confirmation wrote whole.
        const auto colours = m_db->rows("SELECT NRCOLORBACK, typeof(NRCOLORBACK) FROM ITMENUCONFTE WHERE "
                                        "IDTPBUTTON = '1'");
        for (const auto& row : colours) {
            const double c = row.value(0).toDouble();
            QVERIFY2(c == 11571344.0 || c == 255.0 || c == 65280.0, qPrintable(row.value(0).toString() + where));
            QCOMPARE(row.value(1).toString(), QStringLiteral("real"));
        }
    }

    // The journal says of every row what the store holds: the newest step of
    // each row that the journal recorded has the row present, or absent,
    // as the store has it.
    void verifyJournal(int run) {
        const auto passos = m_db->rows("SELECT DSANTES, DSDEPOIS FROM KMRDIARIOPASSO ORDER BY NRDIARIO, NRPASSO");
        QMap<QString, bool> presente;
        for (const auto& p : passos) {
            const QString img = p.value(1).isNull() ? p.value(0).toString() : p.value(1).toString();
            if (img.isEmpty())
                continue;
            const QStringList partes = img.mid(1).split(u',');
            presente[partes.mid(0, 8).join(u',')] = !p.value(1).isNull();
        }
        const auto store = m_db->rows("SELECT IDTPBUTTON, NRBUTTON, NRBUTTONAUX FROM ITMENUCONFTE");
        int achados = 0;
        for (auto i = presente.cbegin(); i != presente.cend(); ++i) {
            const QStringList k = i.key().split(u',');
            const QString tipo = k.value(2).remove(u'"');
            const QString botao = k.value(3).remove(u'"');
            const QString grupo = k.value(6).remove(u'"');
            bool la = false;
            for (const auto& row : store)
                la = la || (row.value(0).toString() == tipo && row.value(1).toString() == botao &&
                            row.value(2).toString() == grupo);
            QVERIFY2(la == i.value(), qPrintable(i.key() + QStringLiteral(" (run %1)").arg(run)));
            achados += la;
        }
        QVERIFY2(passos.isEmpty() || achados == 37,
                 qPrintable(QStringLiteral("%1 rows (run %2)").arg(achados).arg(run)));
    }

    void killRuns(const QStringList& args, const char* work, int runs) {
        const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/srv_crash_child");
        QVERIFY2(QFile::exists(child), qPrintable(child));
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KALMORA_CONEXAO"), m_db->connectionString());
        int done = 0;
        for (int run = 1; run <= runs; ++run) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(child, args);
            QVERIFY2(p.waitForStarted(5000), qPrintable(p.errorString()));
            QVERIFY2(p.waitForReadyRead(10000), qPrintable(QString::fromUtf8(p.readAllStandardError())));
            QVERIFY2(p.readLine().trimmed() == "ready", qPrintable(QString::fromUtf8(p.readAllStandardError())));
            QTest::qWait(int(random.bounded(20, 400)));
            ::kill(pid_t(p.processId()), SIGKILL);
            QVERIFY(p.waitForFinished(5000));
            QVERIFY2(p.exitStatus() == QProcess::CrashExit, qPrintable(QString::fromUtf8(p.readAllStandardError())));
            done += int(p.readAllStandardOutput().count(work));
            verifyConsistent(run);
            verifyJournal(run);
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY2(done > 0, "the child never finished its work");
    }

private slots:
    void killedDuringUndoLeavesTheMoveWholeAndTheJournalConsistent() {
        m_db = std::make_unique<TestDatabase>(TestDatabase::Engine::SQLite, false);
        prepareMenu();
        killRuns({QStringLiteral("desfaz")}, "undo", 10);
    }

    void killedAtRandomMomentsLeavesWholeChanges() {
        m_db = std::make_unique<TestDatabase>(TestDatabase::Engine::SQLite, false);
        prepareMenu();
        const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/srv_crash_child");
        QVERIFY2(QFile::exists(child), qPrintable(child));
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KALMORA_CONEXAO"), m_db->connectionString());

        int pastes = 0;
        for (int run = 1; run <= 12; ++run) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(child, {});
            QVERIFY2(p.waitForStarted(5000), qPrintable(p.errorString()));
            QVERIFY2(p.waitForReadyRead(10000), qPrintable(QString::fromUtf8(p.readAllStandardError())));
            QVERIFY2(p.readLine().trimmed() == "ready", qPrintable(QString::fromUtf8(p.readAllStandardError())));
            QTest::qWait(int(random.bounded(20, 400)));
            ::kill(pid_t(p.processId()), SIGKILL);
            QVERIFY(p.waitForFinished(5000));
            QCOMPARE(p.exitStatus(), QProcess::CrashExit); // killed at work, not stopped by a failure
            pastes += int(p.readAllStandardOutput().count("paste"));
            verifyConsistent(run);
            if (QTest::currentTestFailed())
                return;
        }
        // The kills fell in the middle of real work.
        QVERIFY2(pastes > 0, "the child never finished a paste");
    }

    void cleanupTestCase() { m_db.reset(); }
};

QTEST_GUILESS_MAIN(SrvCrash)
#include "tst_SrvCrash.moc"
