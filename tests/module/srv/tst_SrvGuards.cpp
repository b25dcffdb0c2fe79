// What the data service refuses before a database sees it (over-wide texts,
// captions with control characters, colours that are not numbers), the form
// of the insert time, the write transaction guard, and a group paste that
// waits for another writer's lock instead of failing at once.

#include "SrvFixture.h"

#include <ConnectionString.h>
#include <HostErrors.h>
#include <OperatorTexts.h>
#include <SqlGuards.h>
#include <SrvArgumentos.h>
#include <SrvChamada.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlQuery>

#include <sqlite3.h>

#include <chrono>
#include <future>
#include <thread>

namespace {
const QString B = QStringLiteral("9999");
const QString C = QStringLiteral("00001");
} // namespace

class SrvGuards : public SrvFixture {
    Q_OBJECT
public:
    using SrvFixture::SrvFixture;

private:
    // The menu table as a host creates it on SQLite: plain VARCHAR columns,
    // neither STRICT nor CHECK, so the database itself stores any length.
    void useHostTable() {
        if (onPostgres())
            return;
        db().exec("DROP TABLE ITMENUCONFTE");
        db().exec("CREATE TABLE ITMENUCONFTE (CDFILIAL VARCHAR(4), NRCONFTELA VARCHAR(5), IDTPBUTTON VARCHAR(1), "
                  "NRBUTTON VARCHAR(5), NRPGCONFTELA VARCHAR(2), IDTPBUTONAUX VARCHAR(1), NRBUTTONAUX VARCHAR(2), "
                  "NRPGCONFTAUX VARCHAR(2), CDIDENTBUTON VARCHAR(10), DSBUTTON VARCHAR(50), NRCOLORTEXT FLOAT, "
                  "NRCOLORBACK FLOAT, DSMESSAGEBUT VARCHAR(100), DSIMAGEMBUT VARCHAR(200), DTULTATUITCT DATE, "
                  "PRIMARY KEY (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
                  "NRBUTTONAUX, NRPGCONFTAUX))");
    }
    static Call insere(const QString& type, const QString& button, const QString& caption, const QString& product,
                       const QString& auxType, const QString& auxButton, const QString& auxPage,
                       const QString& branch = B, const QString& config = C, const QString& message = QString(""),
                       const QString& page = QStringLiteral("1")) {
        return call([&](QVariant& r) {
            return getInsere(branch, config, type, button, caption, 0.0f, 11571344.0f, message, product, page, auxType,
                             auxButton, auxPage, r);
        });
    }
    static Call rename(const QString& button, const QString& caption) {
        return call([&](QVariant& r) { return getMudaNome(B, C, button, "1", caption, "0", "2", "0", "0", r); });
    }
    static Call pasteGroup(const QString& caption, const QString& newButton, const QString& oldButton) {
        return call([&](QVariant& r) {
            return setColarGrup("255", "0", caption, "2", newButton, "1", "0", "0", "0", B, C, "2", oldButton, "1", "0",
                                "0", "0", r);
        });
    }
    void verifyRefused(const Call& c, const QString& text, const QList<QVariantList>& before) {
        QVERIFY2(c.failedWithText(), qPrintable(QStringLiteral("status %1: %2").arg(c.status).arg(c.text())));
        QVERIFY2(c.text().contains(text), qPrintable(c.text()));
        QVERIFY(!rdmConfGrupo->InTransaction());
        QCOMPARE(menu(), before);
    }
    QString sqliteFile() {
        return ConnectionString::parse(db().connectionString()).value(QStringLiteral("Data Source"));
    }

private slots:
    void argumentChecksNameTheirCause();
    void controlCharactersRefusedInCaptions_data();
    void controlCharactersRefusedInCaptions();
    void overWideTextsRefusedOnAHostTable_data();
    void overWideTextsRefusedOnAHostTable();
    void captionsUpToTheWidthAreStored();
    void insertTimeInTheFormOfTheStoredRows();
    void writeTransactionGuard();
    void unexpectedFailureInACallIsReportedPlainly();
    void groupPasteWaitsForAnotherWriter();
};

// Each refusal carries its cause (which the failure text is chosen by) and the
// operator's text; a value within its width passes.
void SrvGuards::argumentChecksNameTheirCause() {
    using namespace SrvArgumentos;
    const auto causeOf = [](const std::function<void()>& check) {
        try {
            check();
        } catch (const DatabaseError& e) {
            return std::make_pair(e.cause(), e.message());
        }
        return std::make_pair(FailureCause::Other, QString());
    };
    auto r = causeOf([] { verificaNome(QString(51, u'x')); });
    QCOMPARE(r.first, FailureCause::TextTooLong);
    QCOMPARE(r.second, OperatorTexts::textoLongo(51, 50));
    r = causeOf([] { verificaNome(QStringLiteral("Suco\tLaranja")); });
    QCOMPARE(r.first, FailureCause::ControlCharacters);
    QCOMPARE(r.second, OperatorTexts::caracteresControle(QStringLiteral("O nome")));
    r = causeOf([] { verificaLargura(QStringLiteral("P_NRBUTTON_ANT"), QStringLiteral("123456")); });
    QCOMPARE(r.first, FailureCause::ValueTooWide);
    QCOMPARE(r.second, OperatorTexts::valorLargo(QStringLiteral("posição do botão"), QStringLiteral("123456"), 5));
    r = causeOf([] { verificaCor(QStringLiteral("azul")); });
    QCOMPARE(r.first, FailureCause::NotANumber);
    QCOMPARE(r.second, OperatorTexts::corNaoNumerica(QStringLiteral("azul")));
    QCOMPARE(causeOf([] { verificaCor(QStringLiteral("nan")); }).first, FailureCause::NotANumber);
    // A long value is shown short in the operator's text.
    r = causeOf([] { verificaLargura(QStringLiteral("P_CDIDENTBUTON"), QString(500, u'9')); });
    QVERIFY2(r.second.size() < 150, qPrintable(r.second));

    // Within the widths: nothing refused; parameters without a text width pass.
    QCOMPARE(causeOf([] { verificaNome(QString(50, u'x')); }).second, QString());
    QCOMPARE(causeOf([] { verificaLargura(QStringLiteral("P_NRBUTTON"), QStringLiteral("12345")); }).second, QString());
    QCOMPARE(causeOf([] { verificaLargura(QStringLiteral("P_PARAM"), QString(300, u'x')); }).second, QString());
    QCOMPARE(causeOf([] { verificaCor(QStringLiteral("11571344")); }).second, QString());
}

void SrvGuards::controlCharactersRefusedInCaptions_data() {
    QTest::addColumn<QString>("caption");
    QTest::newRow("U+0001") << QStringLiteral("Suco\u0001");
    QTest::newRow("line feed") << QStringLiteral("Suco\nLaranja");
    QTest::newRow("tab") << QStringLiteral("Suco\tLaranja");
    QTest::newRow("DEL") << QStringLiteral("Suco\u007F");
    QTest::newRow("C1 control") << QStringLiteral("Suco\u0085");
    QTest::newRow("zero-width space") << QStringLiteral("Su\u200Bco");
    QTest::newRow("right-to-left override") << QStringLiteral("\u202EocuS");
    QTest::newRow("line separator") << QStringLiteral("Suco\u2028");
    QTest::newRow("isolate") << QStringLiteral("\u2066Suco\u2069");
}

void SrvGuards::controlCharactersRefusedInCaptions() {
    QFETCH(QString, caption);
    useHostTable();
    addGroup("01", "1", "Grupo");
    const auto before = menu();
    const QString text = OperatorTexts::caracteresControle(QStringLiteral("O nome"));
    verifyRefused(insere("2", "02", caption, "", "0", "0", "0"), text, before);
    verifyRefused(rename("01", caption), text, before);
    // The same caption without them is stored.
    QString clean = caption;
    clean.removeIf([](QChar c) { return SrvArgumentos::temCaracteresDeControle(QString(c)); });
    QVERIFY(rename("01", clean).ok());
    QCOMPARE(db().rows("SELECT DSBUTTON FROM ITMENUCONFTE").value(0).value(0).toString(), clean);
}

void SrvGuards::overWideTextsRefusedOnAHostTable_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    const QString caption54 = OperatorTexts::textoLongo(54, 50);
    QTest::newRow("insert caption") << "insertCaption" << caption54;
    QTest::newRow("rename caption") << "renameCaption" << caption54;
    QTest::newRow("paste caption") << "pasteCaption" << caption54;
    QTest::newRow("insert product code") << "insertProduct"
                                         << OperatorTexts::valorLargo("código do produto", "12345678901", 10);
    QTest::newRow("insert branch") << "insertBranch" << OperatorTexts::valorLargo("filial", "99999", 4);
    QTest::newRow("insert configuration")
        << "insertConfig" << OperatorTexts::valorLargo("configuração de tela", "000001", 5);
    QTest::newRow("insert message") << "insertMessage"
                                    << OperatorTexts::valorLargo("mensagem do botão", QString(20, u'm') + QChar(0x2026),
                                                                 100);
    QTest::newRow("insert parent page") << "insertParentPage" << OperatorTexts::valorLargo("página do grupo", "100", 2);
    QTest::newRow("colour key") << "colourKey" << OperatorTexts::valorLargo("posição do botão", "000001", 5);
    QTest::newRow("paste old key") << "pasteOldKey" << OperatorTexts::valorLargo("página", "123", 2);
    QTest::newRow("delete group page") << "deleteGroup" << OperatorTexts::valorLargo("tipo de botão", "22", 1);
}

void SrvGuards::overWideTextsRefusedOnAHostTable() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    useHostTable();
    addGroup("01", "1", "Grupo");
    addProduct("01", "1", "01", "1");
    const auto before = menu();
    const QString long54(54, u'n');
    Call c;
    if (kind == "insertCaption")
        c = insere("2", "02", long54, "", "0", "0", "0");
    else if (kind == "renameCaption")
        c = rename("01", long54);
    else if (kind == "pasteCaption")
        c = pasteGroup(long54, "05", "01");
    else if (kind == "insertProduct")
        c = insere("1", "02", "Suco", "12345678901", "2", "01", "1");
    else if (kind == "insertBranch")
        c = insere("2", "02", "Suco", "", "0", "0", "0", "99999");
    else if (kind == "insertConfig")
        c = insere("2", "02", "Suco", "", "0", "0", "0", B, "000001");
    else if (kind == "insertMessage")
        c = insere("2", "02", "Suco", "", "0", "0", "0", B, C, QString(101, u'm'));
    else if (kind == "insertParentPage")
        c = insere("1", "02", "Suco", "101001", "2", "01", "100");
    else if (kind == "colourKey")
        c = call([](QVariant& r) { return getMudaCor(B, C, "000001", "1", "0", "0", "0", "255", "2", r); });
    else if (kind == "pasteOldKey")
        c = call([](QVariant& r) {
            return setColarGrup("255", "0", "G", "2", "05", "1", "0", "0", "0", B, C, "2", "01", "123", "0", "0", "0",
                                r);
        });
    else if (kind == "deleteGroup")
        c = call([](QVariant& r) { return getDeletaGrupo(B, C, "22", "01", "1", r); });
    verifyRefused(c, text, before);
}

// Up to the width, counted in characters as the databases count them (a
// character outside the basic plane is one), a caption is stored whole.
void SrvGuards::captionsUpToTheWidthAreStored() {
    useHostTable();
    const QString fifty(50, u'x');
    QString emoji;
    for (int i = 0; i < 50; ++i)
        emoji += QString::fromUcs4(U"\U0001F354", 1);
    QVERIFY(insere("2", "01", fifty, "", "0", "0", "0").ok());
    QVERIFY(insere("2", "02", emoji, "", "0", "0", "0").ok());
    const auto rows = db().rows("SELECT DSBUTTON FROM ITMENUCONFTE ORDER BY NRBUTTON");
    QCOMPARE(rows.value(0).value(0).toString(), fifty);
    QCOMPARE(rows.value(1).value(0).toString(), emoji);
}

// The insert time in the form of the stored and demo rows, without fraction:
// one text column in one form sorts right within a day.
void SrvGuards::insertTimeInTheFormOfTheStoredRows() {
    QVERIFY(insere("2", "01", "Suco", "", "0", "0", "0").ok());
    if (onPostgres()) {
        const auto rows = db().rows("SELECT to_char(DTULTATUITCT, 'YYYY-MM-DD HH24:MI:SS.US') FROM ITMENUCONFTE");
        QVERIFY2(rows.value(0).value(0).toString().endsWith(".000000"), qPrintable(rows.value(0).value(0).toString()));
        return;
    }
    const QString stamp = db().rows("SELECT DTULTATUITCT FROM ITMENUCONFTE").value(0).value(0).toString();
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    QVERIFY2(form.match(stamp).hasMatch(), qPrintable(stamp));
    const QDateTime when = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY(qAbs(when.secsTo(QDateTime::currentDateTime())) < 5);
}

// The guard commits only when asked, rolls back on every other way out, and a
// guard inside an open transaction leaves its end to the outer one.
void SrvGuards::writeTransactionGuard() {
    TADOConnection& connection = rdmConfGrupo->adcConfGrupo;
    const auto insertGroup = [&](const char* button) {
        QSqlQuery q(connection.database());
        QVERIFY2(q.exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, "
                                       "NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX) VALUES ('9999', "
                                       "'00001', '2', '%1', '1', '0', '0', '0')")
                            .arg(QLatin1String(button))),
                 qPrintable(q.lastError().text()));
    };
    {
        WriteTransaction t(connection);
        QVERIFY(SqlGuards::transactionOpen(connection));
        insertGroup("01");
    } // no commit: rolled back
    QVERIFY(!SqlGuards::transactionOpen(connection));
    QCOMPARE(menuCount(), 0);

    try {
        WriteTransaction t(connection);
        insertGroup("02");
        throw std::runtime_error("a failure halfway");
    } catch (const std::runtime_error&) {
    }
    QVERIFY(!SqlGuards::transactionOpen(connection));
    QCOMPARE(menuCount(), 0);

    {
        WriteTransaction outer(connection);
        insertGroup("03");
        {
            WriteTransaction inner(connection);
            insertGroup("04");
            inner.commit(); // joined: the outer one decides
        }
        QVERIFY(SqlGuards::transactionOpen(connection));
        outer.commit();
    }
    QVERIFY(!SqlGuards::transactionOpen(connection));
    QCOMPARE(menuCount(), 2);
}

// A call whose work fails with something other than a database failure
// returns status 0 and the operator's plain text; a write leaves nothing.
void SrvGuards::unexpectedFailureInACallIsReportedPlainly() {
    addGroup("01", "1", "Grupo");
    const auto before = menu();
    QVariant result;
    QCOMPARE(runWrite(result,
                      [](TrdmConfGrupo& dm) {
                          QSqlQuery(dm.adcConfGrupo.database()).exec(QStringLiteral("DELETE FROM ITMENUCONFTE"));
                          throw 42;
                      }),
             0);
    QVERIFY2(result.toString().startsWith(QStringLiteral("Ocorreu um erro inesperado e nada foi gravado")),
             qPrintable(result.toString()));
    QVERIFY(!rdmConfGrupo->InTransaction());
    QCOMPARE(menu(), before);
    QCOMPARE(runQuery(result, [](TrdmConfGrupo&) -> DataPacket { throw std::logic_error("a fault"); }), 0);
    QVERIFY2(result.toString().startsWith(QStringLiteral("Ocorreu um erro inesperado ao ler")),
             qPrintable(result.toString()));
    QVERIFY(!result.toString().contains(QStringLiteral("a fault")));
}

// Another station holds the SQLite write lock for about two seconds while a
// group with products is pasted: the paste waits for it, within the busy
// time-out, and then moves the group whole.
void SrvGuards::groupPasteWaitsForAnotherWriter() {
    if (onPostgres())
        QSKIP("the SQLite write lock");
    if (throughOdbc())
        QSKIP("through the SQLite ODBC driver a statement left open keeps a read lock; the native route is tested");
    addGroup("01", "1", "Grupo");
    for (const char* button : {"01", "02", "03"})
        addProduct(QLatin1String(button), "1", "01", "1");
    addGroup("02", "1", "Outro");

    std::promise<void> locked;
    std::atomic<bool> otherOk{false};
    std::thread other([&, file = sqliteFile().toUtf8()] {
        sqlite3* h = nullptr;
        if (sqlite3_open(file.constData(), &h) == SQLITE_OK &&
            sqlite3_exec(h,
                         "BEGIN IMMEDIATE; UPDATE ITMENUCONFTE SET NRCOLORBACK = 42 WHERE NRBUTTON = '02' AND "
                         "IDTPBUTTON = '2'",
                         nullptr, nullptr, nullptr) == SQLITE_OK) {
            locked.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(2000));
            otherOk = sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        } else {
            locked.set_value();
        }
        sqlite3_close(h);
    });
    locked.get_future().wait();
    QElapsedTimer clock;
    clock.start();
    const Call c = pasteGroup("Grupo", "07", "01");
    const qint64 waited = clock.elapsed();
    other.join();
    QVERIFY(otherOk);
    QVERIFY2(c.ok(), qPrintable(QStringLiteral("after %1 ms: %2").arg(waited).arg(c.text())));
    QVERIFY2(waited >= 1500, qPrintable(QString::number(waited)));
    QCOMPARE(db().rows("SELECT COUNT(*) FROM ITMENUCONFTE WHERE IDTPBUTONAUX = '2' AND NRBUTTONAUX = '07'")
                 .value(0)
                 .value(0)
                 .toInt(),
             3);
    QCOMPARE(db().rows("SELECT NRCOLORBACK FROM ITMENUCONFTE WHERE NRBUTTON = '02' AND IDTPBUTTON = '2'")
                 .value(0)
                 .value(0)
                 .toDouble(),
             42.0);
}

int main(int argc, char** argv) {
    return runOnEngines(argc, argv, [](TestDatabase::Engine e) { return std::make_unique<SrvGuards>(e); });
}

#include "tst_SrvGuards.moc"
