// kalmora --history and --restore-to on the demo database (also on
// PostgreSQL when a server is named): the launcher's own copy and import
// recorded as one entry each, printed newest first with the captions before
// and after, a configuration put back as it was at a moment (then equal to
// its source by --diff), and the refusals (exit 2, a Portuguese message, no
// SQL).

#include "LauncherRun.h"

#include <TestDatabase.h>

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Yesterday: within the journal's age, so that no prune removes it.
static QString ontem() {
    return QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyy-MM-dd"));
}

class TstLauncherHistory : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> db;
    QTemporaryDir dir;

    Saida kalmora(const QStringList& args) {
        return rodaKalmora(args, {{QStringLiteral("KALMORA_CONEXAO"), db->connectionString()},
                                  {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
                                  {QStringLiteral("XDG_DATA_HOME"), dir.path()}});
    }
    static QStringList linhas(const Saida& s) { return s.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    void recusado(const Saida& s, const QString& palavra) {
        QCOMPARE(s.status, 2);
        QVERIFY2(s.err.contains(palavra), qPrintable(palavra + " not in: " + s.err));
        for (const char* tecnico : {"SELECT", "ITMENUCONFTE", "KMRDIARIO", "QSQL", "driver"})
            QVERIFY2(!s.err.contains(QLatin1String(tecnico)), qPrintable(s.err));
    }
    // The demo menu copied to 0002/00003 (at 09:00), then imported there again
    // with one caption changed (at 11:00).
    void duasAcoes() {
        Saida s = kalmora({"--copy-config", "9999", "00001", "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        db->exec(QStringLiteral("UPDATE KMRDIARIO SET DTDIARIO = '") + ontem() + QStringLiteral(" 09:00:00'"));
        const QString xml = dir.filePath(QStringLiteral("menu.xml"));
        s = kalmora({"--export", xml, "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        QFile f(xml);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString texto = QString::fromUtf8(f.readAll());
        f.close();
        const QRegularExpression legenda(QStringLiteral("DSBUTTON=\"([^\"]*)\""));
        const QRegularExpressionMatch m = legenda.match(texto);
        QVERIFY(m.hasMatch());
        antiga = m.captured(1);
        texto.replace(m.capturedStart(), m.capturedLength(), QStringLiteral("DSBUTTON=\"Trocado\""));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(texto.toUtf8());
        f.close();
        s = kalmora({"--import", xml, "--branch", "0002", "--config", "00003", "--replace"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        db->exec(QStringLiteral("UPDATE KMRDIARIO SET DTDIARIO = '%1 11:00:00' WHERE DTDIARIO > '%1 09:00:00'")
                     .arg(ontem()));
    }
    QString antiga;

private slots:
    void init() {
        const bool pg = QByteArray(QTest::currentDataTag()) == "postgresql";
        if (pg && !TestDatabase::postgresAvailable()) {
            if (TestDatabase::postgresRequired())
                QFAIL("PostgreSQL is required (KALMORA_TEST_REQUIRE_PG) but KALMORA_TEST_PG names no server");
            QSKIP("no PostgreSQL test server (KALMORA_TEST_PG)");
        }
        db = std::make_unique<TestDatabase>(pg ? TestDatabase::Engine::PostgreSQL : TestDatabase::Engine::SQLite, true);
    }
    void cleanup() { db.reset(); }

    void engines_data() {
        QTest::addColumn<int>("unused");
        QTest::newRow("sqlite") << 0;
        QTest::newRow("postgresql") << 0;
    }

    void historyPrintsEachActionNewestFirst_data() { engines_data(); }
    void historyPrintsEachActionNewestFirst() {
        Saida s = kalmora({"--history"});
        QVERIFY2(s.status == 0 && s.out.contains(QStringLiteral("Nenhuma alteração")), qPrintable(s.out + s.err));
        duasAcoes();
        s = kalmora({"--history", "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0, qPrintable(s.err));
        const QStringList l = linhas(s);
        QCOMPARE(l.size(), 2);
        QVERIFY2(l[0].startsWith(ontem() + QStringLiteral(" 11:00:00")) && l[0].contains(QStringLiteral("importação")),
                 qPrintable(l[0]));
        QVERIFY2(l[0].contains(QStringLiteral("\"%1\" → \"Trocado\"").arg(antiga)), qPrintable(l[0]));
        QVERIFY2(l[1].contains(QStringLiteral("cópia da configuração 00001 da filial 9999")), qPrintable(l[1]));
        QVERIFY2(l[1].contains(QStringLiteral("(nenhum) →")), qPrintable(l[1]));
        s = kalmora({"--history", "--limit", "1"});
        QCOMPARE(linhas(s).size(), 1);
        recusado(kalmora({"--history", "--limit", "muitos"}), QStringLiteral("limite"));
        recusado(kalmora({"--limit", "3"}), QStringLiteral("--history"));
    }

    void restoreToPutsTheConfigurationBack_data() { engines_data(); }
    void restoreToPutsTheConfigurationBack() {
        duasAcoes();
        Saida d = kalmora({"--diff", "9999", "00001", "--branch", "0002", "--config", "00003"});
        QCOMPARE(d.status, 1);
        Saida s =
            kalmora({"--restore-to", ontem() + QStringLiteral(" 10:00"), "--branch", "0002", "--config", "00003"});
        QVERIFY2(s.status == 0 && s.out.contains(QStringLiteral("voltou")), qPrintable(s.out + s.err));
        d = kalmora({"--diff", "9999", "00001", "--branch", "0002", "--config", "00003"});
        QVERIFY2(d.status == 0, qPrintable(d.out + d.err));
        // The restore is in the history itself.
        s = kalmora({"--history", "--branch", "0002", "--config", "00003", "--limit", "1"});
        QVERIFY2(s.out.contains(QStringLiteral("restauração")), qPrintable(s.out));
        // Before the journal, and bad input.
        recusado(kalmora({"--restore-to", ontem() + QStringLiteral(" 08:00"), "--branch", "0002", "--config", "00003"}),
                 QStringLiteral("não chega"));
        recusado(kalmora({"--restore-to", "10/01/2026", "--branch", "0002", "--config", "00003"}),
                 QStringLiteral("AAAA-MM-DD HH:MM"));
        recusado(kalmora({"--restore-to", ontem() + QStringLiteral(" 10:00")}), QStringLiteral("--branch"));
    }
};

QTEST_GUILESS_MAIN(TstLauncherHistory)
#include "tst_launcher_history.moc"
