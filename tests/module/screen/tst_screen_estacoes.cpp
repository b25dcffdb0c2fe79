// Two stations, one menu: this screen is station A, the test's own
// connection station B. What B changes while A's screen is open is never
// overwritten or deleted by A's confirmation; A is told in one message which
// buttons were left alone, sees the store, and sees B's changes on its idle
// screen, with the marks on changed buttons dropped.

#include "ScreenFixture.h"

#include <KmrImagens.h>
#include <OperatorTexts.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>

#include <MessagePresenter.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QTimer>

namespace {
using Marca = TTouchButton::PendingMark;
const QString kItem = QStringLiteral(
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, "
    "NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT) VALUES ('9999', '00001', '%1', "
    "'%2', '1', '%3', '%4', '%5', '%6', '%7', 0, 11571344, '')");
// Shows the real touch message over the screen, photographs both into one
// picture and closes it; a question is answered yes unseen.
class FotoPresenter : public MessagePresenter {
public:
    FotoPresenter(QWidget* tela, QString arquivo) : m_tela(tela), m_arquivo(std::move(arquivo)) {}
    bool present(const MensagemArgs& args) override {
        if (args.pergunta == QLatin1String("S"))
            return true;
        QTimer::singleShot(500, [this] {
            auto* dialogo = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialogo)
                return;
            QPixmap foto = m_tela->grab();
            QPainter pintor(&foto);
            const QPixmap caixa = dialogo->grab();
            pintor.drawPixmap((foto.width() - caixa.width()) / 2, (foto.height() - caixa.height()) / 2, caixa);
            pintor.end();
            foto.save(m_arquivo);
            dialogo->accept();
        });
        return TouchMessagePresenter().present(args);
    }

private:
    QWidget* m_tela;
    QString m_arquivo;
};
} // namespace

class TstScreenEstacoes : public ScreenFixture {
    Q_OBJECT
private:
    static void engines() {
        QTest::addColumn<int>("unused");
        QTest::newRow("sqlite") << 0;
        QTest::newRow("postgresql") << 0;
    }
    // The refresh runs when the test says so, not on the clock.
    QTimer* relogio() const { return screen->findChild<QTimer*>(QStringLiteral("tmrAtualizacao")); }
    void grupoEmB(const QString& botao, const QString& nome) {
        db->exec(kItem.arg(QStringLiteral("2"), botao, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                           QString(), nome));
    }
    void produtoEmB(const QString& botao, const QString& grupo, const QString& nome) {
        db->exec(kItem.arg(QStringLiteral("1"), botao, QStringLiteral("2"), grupo, QStringLiteral("1"),
                           QStringLiteral("301001"), nome));
    }
    QString ultimaMensagem() const { return presenter->texts().value(presenter->texts().size() - 1); }
    QString aviso() const { return label("lblPendentes")->text(); }

private slots:
    void init() {
        prepare();
        if (!db)
            return;
        openScreen();
        QVERIFY(relogio());
        relogio()->stop();
    }
    void cleanup() { tearDown(); }

    // A shows "Pratos" on 03; B clears it and lays out "Massas" with two
    // products there; A clears 03 and says yes: B's group stays whole.
    void clearOfAGroupReplacedElsewhere_data() { engines(); }
    void clearOfAGroupReplacedElsewhere() {
        QCOMPARE(grupo(3)->caption(), QStringLiteral("Pratos"));
        tecla(Qt::Key_F3);
        toca(grupo(3));
        db->exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE NRBUTTON = '03' AND IDTPBUTTON = '2' OR "
                                "NRBUTTONAUX = '03'"));
        grupoEmB(QStringLiteral("03"), QStringLiteral("Massas"));
        produtoEmB(QStringLiteral("01"), QStringLiteral("03"), QStringLiteral("Lasanha"));
        produtoEmB(QStringLiteral("02"), QStringLiteral("03"), QStringLiteral("Nhoque"));
        presenter->answers = {true};
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(conta(QStringLiteral("DSBUTTON IN ('Massas', 'Lasanha', 'Nhoque')")), 3);
        QCOMPARE(ultimaMensagem(), OperatorTexts::botoesAlterados({QStringLiteral("03")}, {}));
        QCOMPARE(presenter->calls.size(), 2); // the question, then one message
        QCOMPARE(grupo(3)->caption(), QStringLiteral("Massas"));
        QCOMPARE(grupo(3)->pendingMark(), Marca::None);
        QVERIFY(screen->pendingChanges().isEmpty());
    }

    // A marks 01 and 02 yellow; B moves "Lanches" from 02 to 09; A confirms:
    // 01 is written, 02 is not, and no yellow "Lanches" is shown anywhere.
    void colourOfAGroupMovedElsewhere_data() { engines(); }
    void colourOfAGroupMovedElsewhere() {
        cores = {QStringLiteral("65535")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        toca(grupo(2));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET NRBUTTON = '09' WHERE IDTPBUTTON = '2' AND NRBUTTON = '02'"));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET NRBUTTONAUX = '09' WHERE NRBUTTONAUX = '02'"));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(ultimaMensagem(), OperatorTexts::botoesAlterados({QStringLiteral("02")}, {}));
        QCOMPARE(presenter->calls.size(), 1);
        const auto cor = [this](const char* botao) {
            return qRound(itens(QStringLiteral("IDTPBUTTON = '2' AND NRBUTTON = '%1'").arg(QLatin1String(botao)),
                                QStringLiteral("NRCOLORBACK"))
                              .value(0)
                              .value(0)
                              .toDouble());
        };
        QCOMPARE(cor("01"), 65535);
        QCOMPARE(cor("09"), 3970790);
        QVERIFY(grupo(2)->caption().isEmpty());
        QCOMPARE(grupo(9)->caption(), QStringLiteral("Lanches"));
        QCOMPARE(grupo(9)->color(), 3970790);
        QCOMPARE(grupo(1)->color(), 65535);
    }

    // A cut of "Lanches" pasted on 10, while B adds a product to it: nothing
    // moves, neither the group nor its products.
    void moveOfAGroupWhoseProductsChanged_data() { engines(); }
    void moveOfAGroupWhoseProductsChanged() {
        const int produtos = conta(QStringLiteral("NRBUTTONAUX = '02'"));
        tecla(Qt::Key_F6);
        toca(grupo(2));
        toca(grupo(10));
        produtoEmB(QStringLiteral("30"), QStringLiteral("02"), QStringLiteral("Misto Quente"));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(ultimaMensagem(), OperatorTexts::botoesAlterados({QStringLiteral("02")}, {}));
        QCOMPARE(conta(QStringLiteral("NRBUTTONAUX = '02'")), produtos + 1);
        QCOMPARE(conta(QStringLiteral("NRBUTTONAUX = '10' OR (IDTPBUTTON = '2' AND NRBUTTON = '10')")), 0);
        QCOMPARE(grupo(2)->caption(), QStringLiteral("Lanches"));
        QVERIFY(grupo(10)->caption().isEmpty());
        QVERIFY(screen->cutSet().isEmpty());
    }

    // A rename of a product that B renamed first: B's name stays and is shown.
    void renameOfAProductRenamedElsewhere_data() { engines(); }
    void renameOfAProductRenamedElsewhere() {
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Coca Gelada' WHERE IDTPBUTTON = '1' AND "
                                "NRBUTTON = '01' AND NRBUTTONAUX = '01'"));
        teclado = {QStringLiteral("Coca Lata")};
        tecla(Qt::Key_F5);
        toca(produto(1));
        QCOMPARE(ultimaMensagem(), OperatorTexts::botoesAlterados({}, {QStringLiteral("01")}));
        QCOMPARE(itens(QStringLiteral("IDTPBUTTON = '1' AND NRBUTTON = '01' AND NRBUTTONAUX = '01'")).value(0).value(0),
                 QVariant(QStringLiteral("Coca Gelada")));
        QCOMPARE(produto(1)->caption(), QStringLiteral("Coca Gelada"));
    }

    // B's changes to both shown pages appear on A's idle screen; the marks on
    // buttons B left alone stay, the one on the button B changed is dropped
    // and the pending line says so.
    void idleScreenShowsAnotherStationsChange_data() { engines(); }
    void idleScreenShowsAnotherStationsChange() {
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        toca(grupo(4));
        toca(produto(2));
        QCOMPARE(screen->pendingChanges().recordCount(), 3);
        screen->atualizaDaBase();
        QCOMPARE(grupo(4)->pendingMark(), Marca::Changed); // nothing changed yet: nothing dropped

        db->exec(
            QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Doces' WHERE IDTPBUTTON = '2' AND NRBUTTON = '04'"));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Suco de Uva' WHERE IDTPBUTTON = '1' AND "
                                "NRBUTTON = '06' AND NRBUTTONAUX = '01'"));
        grupoEmB(QStringLiteral("11"), QStringLiteral("Vinhos"));
        screen->atualizaDaBase();
        QCOMPARE(grupo(4)->caption(), QStringLiteral("Doces"));
        QCOMPARE(grupo(4)->pendingMark(), Marca::None);
        QCOMPARE(grupo(11)->caption(), QStringLiteral("Vinhos"));
        QCOMPARE(produto(6)->caption(), QStringLiteral("Suco de Uva"));
        QCOMPARE(grupo(1)->pendingMark(), Marca::Changed);
        QCOMPARE(grupo(1)->color(), 255);
        QCOMPARE(produto(2)->pendingMark(), Marca::Changed);
        QCOMPARE(screen->pendingChanges().recordCount(), 2);
        QCOMPARE(aviso(), OperatorTexts::marcasRetiradas(1, 2));

        tecla(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(presenter->calls.isEmpty());
        QCOMPARE(conta(QStringLiteral("NRCOLORBACK = 255")), 2);
        QVERIFY(aviso().isEmpty());
    }

    // B gives group 04 and product 06 other pictures: A's idle screen shows
    // them, the mark on 04 is dropped, the one on 01 stays with its colour.
    void idleScreenShowsAnotherStationsPicture_data() { engines(); }
    void idleScreenShowsAnotherStationsPicture() {
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        toca(grupo(4));
        QCOMPARE(screen->pendingChanges().recordCount(), 2);
        const QString antes = grupo(4)->picture();
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = 'outra.svg' WHERE IDTPBUTTON = '2' AND "
                                "NRBUTTON = '04'"));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = 'suco.png' WHERE IDTPBUTTON = '1' AND "
                                "NRBUTTON = '06' AND NRBUTTONAUX = '01'"));
        screen->atualizaDaBase();
        QVERIFY(grupo(4)->picture() != antes);
        QCOMPARE(grupo(4)->picture(), caminhoImagem(QStringLiteral("outra.svg")));
        QCOMPARE(grupo(4)->pendingMark(), Marca::None);
        QCOMPARE(produto(6)->picture(), caminhoImagem(QStringLiteral("suco.png")));
        QCOMPARE(grupo(1)->pendingMark(), Marca::Changed);
        QCOMPARE(grupo(1)->color(), 255);
        QCOMPARE(screen->pendingChanges().recordCount(), 1);
        QCOMPARE(aviso(), OperatorTexts::marcasRetiradas(1, 1));

        // A picture taken away elsewhere is gone from A's screen too.
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = NULL WHERE IDTPBUTTON = '2' AND "
                                "NRBUTTON = '04'"));
        screen->atualizaDaBase();
        QVERIFY(grupo(4)->picture().isEmpty());
    }

    // Pictures of both scenarios as the operator sees them: the message over
    // the screen, then the page redrawn. Only when KALMORA_SHOTS names a folder.
    void screenshots() {
        const QString pasta = qEnvironmentVariable("KALMORA_SHOTS");
        if (pasta.isEmpty())
            QSKIP("KALMORA_SHOTS names no folder for the pictures");
        QDir().mkpath(pasta);
        setMessagePresenter(
            std::make_unique<FotoPresenter>(screen.get(), pasta + QStringLiteral("/cenario1-mensagem.png")));
        tecla(Qt::Key_F3);
        toca(grupo(3));
        db->exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE NRBUTTON = '03' AND IDTPBUTTON = '2' OR "
                                "NRBUTTONAUX = '03'"));
        grupoEmB(QStringLiteral("03"), QStringLiteral("Massas"));
        produtoEmB(QStringLiteral("01"), QStringLiteral("03"), QStringLiteral("Lasanha"));
        produtoEmB(QStringLiteral("02"), QStringLiteral("03"), QStringLiteral("Nhoque"));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        toca(grupo(3));
        QVERIFY(screen->grab().save(pasta + QStringLiteral("/cenario1-pagina.png")));

        setMessagePresenter(
            std::make_unique<FotoPresenter>(screen.get(), pasta + QStringLiteral("/cenario2-mensagem.png")));
        cores = {QStringLiteral("65535"), QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        toca(grupo(2));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET NRBUTTON = '09' WHERE IDTPBUTTON = '2' AND NRBUTTON = '02'"));
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET NRBUTTONAUX = '09' WHERE NRBUTTONAUX = '02'"));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(screen->grab().save(pasta + QStringLiteral("/cenario2-pagina.png")));

        // The pending line after a mark was dropped.
        tecla(Qt::Key_F7);
        toca(grupo(4));
        toca(grupo(5));
        db->exec(
            QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Doces' WHERE IDTPBUTTON = '2' AND NRBUTTON = '04'"));
        screen->atualizaDaBase();
        QVERIFY(screen->grab().save(pasta + QStringLiteral("/marca-retirada.png")));
    }

    // On the clock: a change appears within a few refresh intervals.
    void refreshRunsOnItsOwn_data() { engines(); }
    void refreshRunsOnItsOwn() {
        QVERIFY(TfrmConfGrupo::kIntervaloAtualizacao <= 1000);
        relogio()->start();
        db->exec(
            QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Chás' WHERE IDTPBUTTON = '2' AND NRBUTTON = '05'"));
        QTRY_COMPARE_WITH_TIMEOUT(grupo(5)->caption(), QStringLiteral("Chás"), 10000);
    }

    // A cut whose button changed elsewhere is dropped with its paste mode.
    void cutOfAChangedButtonIsDropped_data() { engines(); }
    void cutOfAChangedButtonIsDropped() {
        tecla(Qt::Key_F6);
        toca(grupo(4));
        QCOMPARE(grupo(4)->pendingMark(), Marca::Cut);
        db->exec(
            QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Doces' WHERE IDTPBUTTON = '2' AND NRBUTTON = '04'"));
        screen->atualizaDaBase();
        QVERIFY(screen->cutSet().isEmpty());
        QCOMPARE(grupo(4)->caption(), QStringLiteral("Doces"));
        QCOMPARE(grupo(4)->pendingMark(), Marca::None);
        QCOMPARE(aviso(), OperatorTexts::marcasRetiradas(1, 0));
        QVERIFY(ferramenta("tcbRecortar")->isEnabled());
    }
};

QTEST_MAIN(TstScreenEstacoes)
#include "tst_screen_estacoes.moc"
