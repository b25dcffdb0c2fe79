// Nothing leaves the module's entry points by exception: a presenter that
// fails while the entry point reports a failure is not tried again, and the
// call returns with the screen and the data service gone.

#include "ScreenFixture.h"

#include <Cli_Kmr00003.h>
#include <MessagePresenter.h>
#include <Srv_Kmr00003.h>
#include <TfrmConfGrupo.h>
#include <TrdmConfGrupo.h>

#include <QApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include <new>
#include <stdexcept>

extern "C" void CriaTelaKmr00003(const QVariant* arParams, int highIndex, QVariant* result);
extern "C" void Cli_Kmr00003_CriaTelaKmr00003(const QVariant* arParams, int highIndex, QVariant* result);

namespace {

// A message presenter that fails: throws what it is told to on its first
// `failures` calls, then records; counts every call.
class ThrowingPresenter : public MessagePresenter {
public:
    enum class Kind { Runtime, BadAlloc, NotAnException };
    ThrowingPresenter(Kind kind, int failures, QList<MensagemArgs>* calls)
        : m_kind(kind), m_failures(failures), m_calls(calls) {}
    bool present(const MensagemArgs& args) override {
        m_calls->append(args);
        if (m_calls->size() > m_failures)
            return false;
        switch (m_kind) {
        case Kind::Runtime:
            throw std::runtime_error("the message box could not be shown");
        case Kind::BadAlloc:
            throw std::bad_alloc();
        case Kind::NotAnException:
            throw 42;
        }
        return false;
    }

private:
    Kind m_kind;
    int m_failures;
    QList<MensagemArgs>* m_calls;
};

} // namespace

class TstScreenGuard : public ScreenFixture {
    Q_OBJECT
public:
    TstScreenGuard() : ScreenFixture(Tela::PeloTeste) {}

private:
    // Runs an entry (0 the C++ one, 1 the export, 2 the unit-qualified
    // export) with a presenter that throws on its first `failures` calls.
    void callEntry(ThrowingPresenter::Kind kind, int failures, int entry, QList<MensagemArgs>& calls, bool& escaped,
                   QVariant& result) {
        auto previous = setMessagePresenter(std::make_unique<ThrowingPresenter>(kind, failures, &calls));
        const QVariant params[] = {QStringLiteral("x"), 1};
        try {
            if (entry == 0)
                Cli_Kmr00003::CriaTelaKmr00003({params[0], params[1]}, result);
            else if (entry == 1)
                ::CriaTelaKmr00003(params, 1, &result);
            else
                ::Cli_Kmr00003_CriaTelaKmr00003(params, 1, &result);
        } catch (...) {
            escaped = true;
        }
        setMessagePresenter(std::move(previous));
    }

private slots:
    void failingReportNeverEscapesTheEntryPoint_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("entry");
        for (int kind = 0; kind < 3; ++kind) {
            const char* names[] = {"runtime_error", "bad_alloc", "int"};
            QTest::addRow("%s, C++ entry", names[kind]) << kind << 0;
            QTest::addRow("%s, exported entry", names[kind]) << kind << 1;
            QTest::addRow("%s, unit-qualified export", names[kind]) << kind << 2;
        }
    }
    // A start that fails on an unreadable parameter file is reported by the
    // entry point; the presenter fails at that report. The call returns, the
    // report is not tried again, nothing is left behind.
    void failingReportNeverEscapesTheEntryPoint() {
        QFETCH(int, kind);
        QFETCH(int, entry);
        QFile file(TfrmConfGrupo::parameterFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>");
        file.close();
        QList<MensagemArgs> calls;
        bool escaped = false;
        QVariant result;
        callEntry(ThrowingPresenter::Kind(kind), 1000, entry, calls, escaped, result);
        QVERIFY(!escaped);
        QCOMPARE(calls.size(), 1);
        QVERIFY(!result.isValid());
        QVERIFY(!rdmConfGrupo);
        QVERIFY(!frmConfGrupo);

        // The next call works as before.
        QVERIFY(file.remove());
        QVERIFY(runEntry());
        QVERIFY(presenter->calls.isEmpty());
    }

    // The presenter fails at the first report of a start on a database
    // without the module's tables. Whichever report that is, no report is
    // tried twice, and one that the entry point makes of a failure without a
    // text of its own is in the operator's words.
    void unexpectedFailureReportedOnceInPortuguese_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("bad_alloc") << int(ThrowingPresenter::Kind::BadAlloc);
        QTest::newRow("int") << int(ThrowingPresenter::Kind::NotAnException);
    }
    void unexpectedFailureReportedOnceInPortuguese() {
        QFETCH(int, kind);
        const QString file = paramDir->path() + QStringLiteral("/sem_tabelas.db");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sem_tabelas"));
            other.setDatabaseName(file);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("CREATE TABLE OUTRA (A TEXT)")));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("sem_tabelas"));
        qputenv("KALMORA_CONEXAO", QStringLiteral("Provider=SQLite;Data Source=%1").arg(file).toUtf8());
        QList<MensagemArgs> calls;
        bool escaped = false;
        QVariant result;
        callEntry(ThrowingPresenter::Kind(kind), 1, 1, calls, escaped, result);
        QVERIFY(!escaped);
        QVERIFY(!rdmConfGrupo);
        QVERIFY(calls.size() == 1 || calls.size() == 2);
        if (calls.size() == 2) { // the first report was the screen's, inside the start
            QCOMPARE(calls[1].tipo, 3);
            QVERIFY2(calls[1].texto.startsWith(QStringLiteral("Ocorreu um erro inesperado")),
                     qPrintable(calls[1].texto));
            QVERIFY(calls[1].texto != calls[0].texto);
        }
    }

    // The exported entry accepts an empty parameter array and no result.
    void exportedEntryWithoutParametersOrResult() {
        bool shown = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget* tela = QApplication::activeModalWidget()) {
                shown = true;
                QTest::keyClick(tela, Qt::Key_Escape);
            }
        });
        poll.start(10);
        ::CriaTelaKmr00003(nullptr, -1, nullptr);
        poll.stop();
        QVERIFY(shown);
        QVERIFY(!rdmConfGrupo);
    }
};

QTEST_MAIN(TstScreenGuard)
#include "tst_screen_guard.moc"
