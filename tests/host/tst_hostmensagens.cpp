// What the operator reads for each cause of failure, on SQLite and on
// PostgreSQL: Portuguese, the cause in plain words, no SQL or driver text;
// the detail in the log. The bounded waits of a PostgreSQL session: a held
// row lock and a backend that stops answering.

#include "EnvGuard.h"

#include <AdoSession.h>
#include <HostErrors.h>
#include <KmrLog.h>
#include <TADOConnection.h>
#include <TADOQuery.h>
#include <TestDatabase.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <optional>

namespace {

const QString kInsert = QStringLiteral(
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
    "NRBUTTONAUX, NRPGCONFTAUX, DSBUTTON) VALUES ('9999', '00001', '2', '01', '1', '0', '0', '0', :P_DSBUTTON)");
const QString kRename = QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = :P_DSBUTTON WHERE CDFILIAL = '9999' "
                                       "AND IDTPBUTTON = '2' AND NRBUTTON = '01'");

// Words that show SQL, a driver or a database's own message.
const QStringList kTechnical{"SELECT",  "UPDATE",    "INSERT",   "ITMENUCONFTE", "DSBUTTON", "constraint",
                             "QSQLITE", "QPSQL",     "libpq",    "relation",     "ERROR",    "duplicate",
                             "locked",  "statement", "Password", "/tmp/"};

struct Outcome {
    FailureCause cause = FailureCause::Other;
    QString text;
    qint64 elapsedMs = 0;
    bool failed = false;
};

} // namespace

class TestHostMensagens : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_logs.isValid());
        m_logDir = std::make_unique<EnvGuard>("KALMORA_LOG_DIR");
        qputenv("KALMORA_LOG_DIR", QFile::encodeName(m_logs.path()));
        KmrLog::install();
    }
    void cleanupTestCase() {
        KmrLog::uninstall();
        m_logDir.reset();
    }

    // Codes and texts of both engines, one cause each.
    void driverErrorsClassified_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cause");
        const auto row = [](const char* name, const char* code, const char* text, FailureCause cause) {
            QTest::newRow(name) << QString::fromLatin1(code) << QString::fromLatin1(text) << int(cause);
        };
        row("sqlite busy", "5", "database is locked", FailureCause::Busy);
        row("sqlite locked", "6", "database table is locked", FailureCause::Busy);
        row("sqlite unique", "2067", "UNIQUE constraint failed: ITMENUCONFTE.CDFILIAL", FailureCause::KeyTaken);
        row("sqlite primary key", "1555", "PRIMARY KEY constraint failed", FailureCause::KeyTaken);
        row("sqlite check caption", "275", "CHECK constraint failed: length(DSBUTTON) <= 50",
            FailureCause::TextTooLong);
        row("sqlite check, primary code", "19", "CHECK constraint failed: length(NRBUTTON) <= 5",
            FailureCause::ValueTooWide);
        row("sqlite no table", "1", "no such table: ITMENUCONFTE", FailureCause::TablesMissing);
        row("pg unique", "23505", "duplicate key value violates unique constraint", FailureCause::KeyTaken);
        row("pg too long", "22001", "value too long for type character varying(50)", FailureCause::ValueTooWide);
        row("pg lock", "55P03", "canceling statement due to lock timeout", FailureCause::Busy);
        row("pg cancelled", "57014", "canceling statement due to statement timeout", FailureCause::TimedOut);
        row("pg connection", "08006", "connection failure", FailureCause::ConnectionLost);
        row("pg admin shutdown", "57P01", "terminating connection due to administrator command",
            FailureCause::ConnectionLost);
        row("pg no table", "42P01", "relation \"itmenuconfte\" does not exist", FailureCause::TablesMissing);
        row("libpq lost, no code", "", "server closed the connection unexpectedly", FailureCause::ConnectionLost);
        row("anything else", "XX000", "internal error", FailureCause::Other);
    }
    void driverErrorsClassified() {
        QFETCH(QString, code);
        QFETCH(QString, text);
        QFETCH(int, cause);
        QCOMPARE(int(classifyFailure(QSqlError(QString(), text, QSqlError::StatementError, code))), cause);
    }

    void engine_data() {
        QTest::addColumn<int>("engine");
        QTest::newRow("sqlite") << int(TestDatabase::Engine::SQLite);
        QTest::newRow("postgresql") << int(TestDatabase::Engine::PostgreSQL);
    }

    // A 51-character name, a held key and missing tables, as the database
    // refuses them: the operator's text for each, the detail in the log.
    void refusedStatementsInPlainWords_data() { engine_data(); }
    void refusedStatementsInPlainWords() {
        auto t = database();
        if (!t)
            return;
        TADOConnection connection;
        open(connection, *t);
        run(connection, kInsert, QStringLiteral("Grupo"));

        Outcome o = run(connection, kRename, QString(51, u'x'));
        QVERIFY(o.failed);
        QVERIFY2(o.text.contains(QStringLiteral("no máximo 50 caracteres")), qPrintable(o.text));
        checkPlain(o.text);

        o = run(connection, kInsert, QStringLiteral("Outro"));
        QCOMPARE(o.cause, FailureCause::KeyTaken);
        QVERIFY2(o.text.contains(QStringLiteral("já está ocupada")), qPrintable(o.text));
        QVERIFY2(o.text.contains(QStringLiteral("mostra o que está gravado")), qPrintable(o.text));
        checkPlain(o.text);
        QVERIFY2(logText().contains(kInsert.left(30)), "the statement is logged");

        o = run(connection, QStringLiteral("UPDATE NAOEXISTE SET A = :P_DSBUTTON"), QStringLiteral("x"));
        QCOMPARE(o.cause, FailureCause::TablesMissing);
        QVERIFY2(o.text.contains(QStringLiteral("kalmora --create-schema")), qPrintable(o.text));
        checkPlain(o.text);

        // Nothing was left half-done: the next statement works.
        QVERIFY(!run(connection, kRename, QStringLiteral("Novo")).failed);
    }

    // Another station holds the lock: the wait ends after the busy time-out
    // with the busy text, and the same write works once the lock is gone.
    void lockHeldByAnotherStation_data() { engine_data(); }
    void lockHeldByAnotherStation() {
        auto t = database();
        if (!t)
            return;
        TADOConnection connection;
        open(connection, *t);
        run(connection, kInsert, QStringLiteral("Grupo"));

        QSqlDatabase other = t->db();
        QVERIFY(other.transaction());
        QSqlQuery hold(other);
        if (t->engine() == TestDatabase::Engine::SQLite)
            QVERIFY(hold.exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Outro'"))); // the write lock
        else
            QVERIFY(hold.exec(QStringLiteral("SELECT * FROM ITMENUCONFTE FOR UPDATE")));

        const Outcome o = run(connection, kRename, QStringLiteral("Meu"));
        QCOMPARE(o.cause, FailureCause::Busy);
        QVERIFY2(o.text.contains(QStringLiteral("ocupado por outro terminal")), qPrintable(o.text));
        QVERIFY2(o.text.contains(QStringLiteral("alguns segundos")), qPrintable(o.text));
        checkPlain(o.text);
        QVERIFY2(o.elapsedMs >= 4000 && o.elapsedMs < 9000, qPrintable(QString::number(o.elapsedMs)));

        hold.finish();
        QVERIFY(other.rollback());
        QVERIFY(!run(connection, kRename, QStringLiteral("Meu")).failed);
        QCOMPARE(t->rows(QStringLiteral("SELECT DSBUTTON FROM ITMENUCONFTE")).value(0).value(0).toString(),
                 QStringLiteral("Meu"));
    }

    // The session's limits on PostgreSQL, and a statement past its limit.
    void postgresSessionIsBounded() {
        auto t = database(TestDatabase::Engine::PostgreSQL);
        if (!t)
            return;
        TADOConnection connection;
        open(connection, *t);
        const auto show = [&](const char* name) {
            QSqlQuery q(connection.database());
            return q.exec(QStringLiteral("SHOW %1").arg(QLatin1String(name))) && q.next() ? q.value(0).toString()
                                                                                          : QString();
        };
        QCOMPARE(show("lock_timeout"), QStringLiteral("5s"));
        QCOMPARE(show("statement_timeout"), QStringLiteral("10s"));
        QVERIFY(QSqlQuery(connection.database()).exec(QStringLiteral("SET statement_timeout = 200")));
        const Outcome o = run(connection, QStringLiteral("SELECT pg_sleep(3), :P_DSBUTTON"), QStringLiteral("x"));
        QCOMPARE(o.cause, FailureCause::TimedOut);
        QVERIFY2(o.text.contains(QStringLiteral("demorou demais")), qPrintable(o.text));
        checkPlain(o.text);
    }

    // A backend that stops answering (SIGSTOP): the statement waiting on it
    // fails within the bound with the lost-connection text; after the
    // backend goes on, a new connection works.
    void stoppedServerEndsTheWait() {
        auto t = database(TestDatabase::Engine::PostgreSQL);
        if (!t)
            return;
        TADOConnection connection;
        open(connection, *t);
        run(connection, kInsert, QStringLiteral("Grupo"));
        QSqlQuery pidQuery(connection.database());
        QVERIFY(pidQuery.exec(QStringLiteral("SELECT pg_backend_pid()")) && pidQuery.next());
        const pid_t backend = pid_t(pidQuery.value(0).toLongLong());
        pidQuery.finish();
        QVERIFY(::kill(backend, SIGSTOP) == 0);
        auto resume = qScopeGuard([backend] { ::kill(backend, SIGCONT); });

        const Outcome o = run(connection, kRename, QStringLiteral("Parado"));
        QCOMPARE(o.cause, FailureCause::ConnectionLost);
        QVERIFY2(o.text.contains(QStringLiteral("caiu ou o servidor parou de responder")), qPrintable(o.text));
        QVERIFY2(o.text.contains(QStringLiteral("127.0.0.1")), qPrintable(o.text));
        checkPlain(o.text);
        QVERIFY2(o.elapsedMs < 25000, qPrintable(QString::number(o.elapsedMs)));

        ::kill(backend, SIGCONT);
        resume.dismiss();
        connection.setConnected(false);
        connection.setConnected(true);
        QVERIFY(!run(connection, kRename, QStringLiteral("Depois")).failed);
        QCOMPARE(t->rows(QStringLiteral("SELECT DSBUTTON FROM ITMENUCONFTE")).value(0).value(0).toString(),
                 QStringLiteral("Depois"));
    }

    // The log rotates at its size; a few older files are kept.
    void logRotates() {
        QTemporaryDir dir;
        EnvGuard guard("KALMORA_LOG_DIR");
        qputenv("KALMORA_LOG_DIR", QFile::encodeName(dir.path()));
        for (int i = 0; i < 60; ++i)
            KmrLog::write(QStringLiteral("line %1 ").arg(i) + QString(40, u'.'), 300);
        const QString log = dir.filePath(QStringLiteral("kalmora.log"));
        for (int n = 1; n <= KmrLog::kKeptFiles; ++n)
            QVERIFY(QFile::exists(QStringLiteral("%1.%2").arg(log).arg(n)));
        QVERIFY(!QFile::exists(QStringLiteral("%1.%2").arg(log).arg(KmrLog::kKeptFiles + 1)));
        QVERIFY(QFileInfo(log).size() <= 300);
        QFile last(log);
        QVERIFY(last.open(QIODevice::ReadOnly));
        QVERIFY(last.readAll().contains("line 59"));
    }

private:
    // The test database of the row's engine (or the one given); null, with
    // the test skipped, when PostgreSQL is not available and not required.
    std::unique_ptr<TestDatabase> database(std::optional<TestDatabase::Engine> only = {}) {
        TestDatabase::Engine chosen = only ? *only : TestDatabase::Engine::SQLite;
        if (!only) {
            QFETCH(int, engine);
            chosen = TestDatabase::Engine(engine);
        }
        if (chosen == TestDatabase::Engine::PostgreSQL && !TestDatabase::postgresForTest(__FILE__, __LINE__))
            return nullptr;
        return std::make_unique<TestDatabase>(chosen);
    }

    static void open(TADOConnection& connection, const TestDatabase& t) {
        connection.setConnectionString(t.connectionString());
        connection.afterConnect = SetADODBSession;
        connection.setConnected(true);
    }

    // Runs one statement as the data service does, the failure turned into
    // the operator's text.
    static Outcome run(TADOConnection& connection, const QString& sql, const QString& caption) {
        Outcome o;
        QElapsedTimer timer;
        timer.start();
        try {
            TADOQuery query(connection, sql);
            query.setParam(QStringLiteral("P_DSBUTTON"), caption);
            query.execute();
        } catch (const DatabaseError& e) {
            o.failed = true;
            o.cause = e.cause() != FailureCause::Other ? e.cause() : classifyFailure(e.sqlError());
            o.text = ADOExceptionMessage(e, connection, QString());
        }
        o.elapsedMs = timer.elapsed();
        return o;
    }

    static void checkPlain(const QString& text) {
        for (const QString& word : kTechnical)
            QVERIFY2(!text.contains(word, Qt::CaseSensitive), qPrintable(word + QStringLiteral(": ") + text));
    }

    QString logText() const {
        QFile file(m_logs.filePath(QStringLiteral("kalmora.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir m_logs;
    std::unique_ptr<EnvGuard> m_logDir;
};

QTEST_GUILESS_MAIN(TestHostMensagens)
#include "tst_hostmensagens.moc"
