// Moving a button by dragging it on the screen: a product and a group (with
// its products) let go on an empty place and confirmed, a move to another
// page by holding the button over a page arrow, a drop on a place already
// held, a release over its own place or over no place, a tap that moves less
// than the threshold, and a drag while a cut waits for its place. Every move
// is read back from the store after the confirmation.

#include "ScreenFixture.h"

#include <ClientDataSet.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>
#include <TTouchDrag.h>
#include <TfrmConfGrupo.h>

#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTimer>

using Mark = TTouchButton::PendingMark;

class TstScreenArrasto : public ScreenFixture {
    Q_OBJECT
private:
    TTouchDrag* drag() const { return screen->arrasto(); }
    TTouchButton* seta(const char* name) const { return screen->findChild<TTouchButton*>(QLatin1String(name)); }
    QString aviso() const { return label("lblPendentes")->text(); }

    // The finger stays on the button it pressed, which receives every move
    // and the release: points elsewhere are given in its coordinates.
    QPoint em(TTouchButton* origem, QWidget* alvo) const {
        return origem->mapFrom(screen.get(), alvo->mapTo(screen.get(), alvo->rect().center()));
    }
    void levanta(TTouchButton* origem) {
        const QPoint centro = origem->rect().center();
        QTest::mousePress(origem, Qt::LeftButton, {}, centro);
        QTest::mouseMove(origem, centro + QPoint(TTouchDrag::kThreshold / 2, 0));
        QTest::mouseMove(origem, centro + QPoint(TTouchDrag::kThreshold + 8, 0));
    }
    void vaiPara(TTouchButton* origem, QWidget* alvo) { QTest::mouseMove(origem, em(origem, alvo)); }
    void solta(TTouchButton* origem, QWidget* alvo) {
        QTest::mouseRelease(origem, Qt::LeftButton, {}, em(origem, alvo));
    }
    void arrasta(TTouchButton* origem, QWidget* alvo) {
        levanta(origem);
        QVERIFY(drag()->dragging());
        vaiPara(origem, alvo);
        solta(origem, alvo);
    }
    // Nothing waits for confirmation and the tools are back.
    void nadaPendente() {
        QCOMPARE(screen->pendingChanges().recordCount(), 0);
        QCOMPARE(screen->cutSet().recordCount(), 0);
        QVERIFY(ferramenta("tcbRecortar")->isEnabled());
        QVERIFY(!ferramenta("tcbConfirma")->isEnabled());
        QVERIFY(aviso().isEmpty());
        QVERIFY(!drag()->dragging());
    }
    static QString produtoEm(const QString& numero, const QString& grupo, const QString& pagina = QStringLiteral("1"),
                             const QString& paginaGrupo = QStringLiteral("1")) {
        return QStringLiteral("IDTPBUTTON = '1' AND NRBUTTON = '%1' AND NRPGCONFTELA = '%3' AND IDTPBUTONAUX = '2' "
                              "AND NRBUTTONAUX = '%2' AND NRPGCONFTAUX = '%4'")
            .arg(numero, grupo, pagina, paginaGrupo);
    }
    static QString produtosDe(const QString& grupo, const QString& paginaGrupo = QStringLiteral("1")) {
        return QStringLiteral("IDTPBUTONAUX = '2' AND NRBUTTONAUX = '%1' AND NRPGCONFTAUX = '%2'")
            .arg(grupo, paginaGrupo);
    }

private slots:
    // A product let go on an empty place of its page: marked as the cut tool
    // and two touches mark it, nothing written until confirmed, then moved
    // with its product code.
    void productDraggedToAnEmptyPlaceAndConfirmed_data() { engines(); }
    void productDraggedToAnEmptyPlaceAndConfirmed() {
        const QString nome = produto(1)->caption();
        QVERIFY(!nome.isEmpty());
        QVERIFY(produto(30)->caption().isEmpty());
        const QVariant codigo = itens(produtoEm("01", "01"), "CDIDENTBUTON").value(0).value(0);

        levanta(produto(1));
        QVERIFY(drag()->dragging());
        QVERIFY(drag()->floatingCopy()->isVisible());
        // Its place shows what a cut leaves: empty, outlined, the caption faint.
        QVERIFY(produto(1)->caption().isEmpty());
        QCOMPARE(produto(1)->pendingMark(), Mark::Cut);
        QCOMPARE(produto(1)->ghostCaption(), nome);
        vaiPara(produto(1), produto(30));
        QCOMPARE(drag()->target(), produto(30));
        QVERIFY(drag()->targetAccepted());
        solta(produto(1), produto(30));

        QVERIFY(!drag()->dragging());
        QCOMPARE(produto(30)->caption(), nome);
        QCOMPARE(produto(30)->pendingMark(), Mark::Changed);
        QVERIFY(produto(1)->caption().isEmpty());
        QCOMPARE(produto(1)->pendingMark(), Mark::Cut);
        QCOMPARE(screen->pendingChanges().recordCount(), 1);
        QCOMPARE(screen->cutSet().recordCount(), 1);
        QCOMPARE(aviso(), QStringLiteral("Colagem feita: confirme (Ctrl+Enter) para gravar ou cancele (F2)."));
        QCOMPARE(enabledTools(), (QStringList{"tcbConfirma", "tcbCancela", "tcbSair"}));
        QCOMPARE(conta(produtoEm("30", "01")), 0);
        QCOMPARE(conta(produtoEm("01", "01")), 1);
        // One move per confirmation, as with the cut tool: nothing more lifts.
        levanta(produto(2));
        QVERIFY(!drag()->dragging());
        QTest::mouseRelease(produto(2), Qt::LeftButton, {}, produto(2)->rect().center());
        QCOMPARE(screen->pendingChanges().recordCount(), 1);

        tecla(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(presenter->calls.isEmpty());
        QCOMPARE(itens(produtoEm("30", "01"), "DSBUTTON, CDIDENTBUTON"), (QList<QVariantList>{{nome, codigo}}));
        QCOMPARE(conta(produtoEm("01", "01")), 0);
        QCOMPARE(produto(30)->caption(), nome);
        QCOMPARE(produto(30)->pendingMark(), Mark::None);
        nadaPendente();
    }

    // A group let go on an empty place of the group page takes its products.
    void groupDraggedWithItsProductsAndConfirmed_data() { engines(); }
    void groupDraggedWithItsProductsAndConfirmed() {
        const int produtos = conta(produtosDe("02"));
        QVERIFY(produtos > 0);
        QVERIFY(grupo(9)->caption().isEmpty());
        arrasta(grupo(2), grupo(9));
        QCOMPARE(grupo(9)->caption(), QStringLiteral("Lanches"));
        QCOMPARE(grupo(9)->pendingMark(), Mark::Changed);
        QCOMPARE(grupo(2)->pendingMark(), Mark::Cut);
        QCOMPARE(conta("IDTPBUTTON = '2' AND NRBUTTON = '02' AND DSBUTTON = 'Lanches'"), 1);

        tecla(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(presenter->calls.isEmpty());
        QCOMPARE(conta("IDTPBUTTON = '2' AND NRBUTTON = '09' AND NRPGCONFTELA = '1' AND DSBUTTON = 'Lanches'"), 1);
        QCOMPARE(conta("IDTPBUTTON = '2' AND NRBUTTON = '02'"), 0);
        QCOMPARE(conta(produtosDe("09")), produtos);
        QCOMPARE(conta(produtosDe("02")), 0);
        // The moved group is in focus and shows its products from their new place.
        QCOMPARE(screen->focusGroup(), QStringLiteral("09"));
        QVERIFY(!produto(1)->caption().isEmpty());
        nadaPendente();
    }

    // Held over a page arrow the page turns under the lifted button, which
    // is let go on the other page.
    void draggedToAnotherPageThroughTheArrow_data() { engines(); }
    void draggedToAnotherPageThroughTheArrow() {
        const int produtos = conta(produtosDe("01"));
        levanta(grupo(1));
        vaiPara(grupo(1), seta("tcbPgGrupoProx"));
        QVERIFY(drag()->targetAccepted());
        QTRY_VERIFY_WITH_TIMEOUT(screen->groupPage() >= 2, 10000);
        vaiPara(grupo(1), grupo(4)); // off the arrow: no further turn
        const int pagina = screen->groupPage();
        QVERIFY(drag()->dragging());
        QVERIFY(drag()->targetAccepted());
        solta(grupo(1), grupo(4));
        QCOMPARE(screen->groupPage(), pagina);
        QCOMPARE(grupo(4)->caption(), QStringLiteral("Bebidas"));
        QCOMPARE(grupo(4)->pendingMark(), Mark::Changed);
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(conta(QStringLiteral("IDTPBUTTON = '2' AND NRBUTTON = '04' AND NRPGCONFTELA = '%1' AND "
                                      "DSBUTTON = 'Bebidas'")
                           .arg(pagina)),
                 1);
        QCOMPARE(conta("IDTPBUTTON = '2' AND NRBUTTON = '01' AND NRPGCONFTELA = '1'"), 0);
        QCOMPARE(conta(produtosDe("04", QString::number(pagina))), produtos);

        // A product of group 03 taken to the next product page of its group.
        while (screen->groupPage() > 1)
            tecla(Qt::Key_PageUp);
        QCOMPARE(screen->groupPage(), 1);
        toca(grupo(3));
        const QString nome = produto(2)->caption();
        QVERIFY(!nome.isEmpty());
        levanta(produto(2));
        vaiPara(produto(2), seta("tcbPgProdProx"));
        QTRY_VERIFY_WITH_TIMEOUT(screen->productPage() >= 2, 10000);
        vaiPara(produto(2), produto(5));
        const int paginaProduto = screen->productPage();
        QVERIFY(produto(5)->caption().isEmpty());
        solta(produto(2), produto(5));
        QCOMPARE(produto(5)->caption(), nome);
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(itens(produtoEm("05", "03", QString::number(paginaProduto))).value(0).value(0).toString(), nome);
        QCOMPARE(conta(produtoEm("02", "03")), 0);
    }

    // A cut and a placed paste keep their marks when their page is shown again.
    void marksStayAcrossPageTurns_data() { engines(); }
    void marksStayAcrossPageTurns() {
        tecla(Qt::Key_F6);
        toca(grupo(1));
        tecla(Qt::Key_PageDown);
        tecla(Qt::Key_PageUp);
        QVERIFY(grupo(1)->caption().isEmpty());
        QCOMPARE(grupo(1)->pendingMark(), Mark::Cut);
        QCOMPARE(grupo(1)->ghostCaption(), QStringLiteral("Bebidas"));
        toca(grupo(8));
        QCOMPARE(grupo(8)->pendingMark(), Mark::Changed);
        tecla(Qt::Key_F2);

        // So does the place a button was lifted from, while it is held.
        const QString foco = screen->focusGroup();
        levanta(grupo(1));
        vaiPara(grupo(1), seta("tcbPgGrupoProx"));
        QTRY_VERIFY_WITH_TIMEOUT(screen->groupPage() >= 2, 10000);
        vaiPara(grupo(1), seta("tcbPgGrupoAnt"));
        QTRY_COMPARE_WITH_TIMEOUT(screen->groupPage(), 1, 10000);
        vaiPara(grupo(1), grupo(10));
        QCOMPARE(grupo(1)->pendingMark(), Mark::Cut);
        QVERIFY(grupo(1)->caption().isEmpty());
        // Let go on no place after the pages turned: back as it was.
        solta(grupo(1), label("lblMensagem"));
        QCOMPARE(screen->groupPage(), 1);
        QCOMPARE(grupo(1)->caption(), QStringLiteral("Bebidas"));
        QCOMPARE(grupo(1)->pendingMark(), Mark::None);
        QCOMPARE(screen->focusGroup(), foco);
        QCOMPARE(conta("IDTPBUTTON = '2' AND NRBUTTON = '01' AND NRPGCONFTELA = '1' AND DSBUTTON = 'Bebidas'"), 1);
        nadaPendente();
    }

    // A place already held takes no drop, as it takes no paste: nothing is
    // marked, no message, the button shows again where it was.
    void dropOnAHeldPlaceIsRefused_data() { engines(); }
    void dropOnAHeldPlaceIsRefused() {
        const QString um = produto(1)->caption();
        const QString dois = produto(2)->caption();
        levanta(produto(1));
        vaiPara(produto(1), produto(2));
        QCOMPARE(drag()->target(), produto(2));
        QVERIFY(!drag()->targetAccepted());
        solta(produto(1), produto(2));
        QCOMPARE(produto(1)->caption(), um);
        QCOMPARE(produto(1)->pendingMark(), Mark::None);
        QCOMPARE(produto(2)->caption(), dois);
        nadaPendente();

        toca(grupo(3));
        arrasta(grupo(3), grupo(2));
        QCOMPARE(grupo(3)->caption(), QStringLiteral("Pratos"));
        QCOMPARE(grupo(2)->caption(), QStringLiteral("Lanches"));
        QCOMPARE(screen->focusGroup(), QStringLiteral("03"));
        nadaPendente();

        // A product goes to no place of the group page, a group to none of the product page.
        arrasta(produto(1), grupo(9));
        arrasta(grupo(3), produto(30));
        nadaPendente();

        // A product page whose group position is empty takes no product: it
        // would belong to no group. Given up there, the product is back on
        // the page it came from.
        const QString nome = produto(1)->caption();
        levanta(produto(1));
        vaiPara(produto(1), seta("tcbPgGrupoProx"));
        QTRY_VERIFY_WITH_TIMEOUT(screen->groupPage() >= 2, 10000);
        vaiPara(produto(1), produto(30));
        QVERIFY(grupo(1)->caption().isEmpty());
        QVERIFY(produto(30)->caption().isEmpty());
        QVERIFY(!drag()->targetAccepted());
        solta(produto(1), produto(30));
        QCOMPARE(screen->groupPage(), 1);
        QCOMPARE(screen->focusGroup(), QStringLiteral("03"));
        QCOMPARE(produto(1)->caption(), nome);
        nadaPendente();

        // While a cut waits, its own place is held until it is confirmed.
        tecla(Qt::Key_F6);
        toca(produto(3));
        arrasta(produto(1), produto(3));
        QCOMPARE(screen->cutSet().recordCount(), 1);
        QCOMPARE(screen->pendingChanges().recordCount(), 0);
        QCOMPARE(produto(3)->pendingMark(), Mark::Cut);
        QCOMPARE(produto(1)->pendingMark(), Mark::None);
        QVERIFY(presenter->calls.isEmpty());
        tecla(Qt::Key_F2);
        QCOMPARE(conta(produtosDe("03")), 12);
    }

    // Less than the threshold is a touch as it always was.
    void aShortMovementIsATouch_data() { engines(); }
    void aShortMovementIsATouch() {
        const QPoint centro = grupo(2)->rect().center();
        QTest::mousePress(grupo(2), Qt::LeftButton, {}, centro);
        QTest::mouseMove(grupo(2), centro + QPoint(6, 5));
        QVERIFY(!drag()->dragging());
        QTest::mouseRelease(grupo(2), Qt::LeftButton, {}, centro + QPoint(6, 5));
        QCOMPARE(screen->focusGroup(), QStringLiteral("02"));

        // An empty button does not lift however far it goes; tapped, it adds a group.
        const QPoint longe = grupo(9)->rect().center() + QPoint(0, 40); // below the button
        QTest::mousePress(grupo(9), Qt::LeftButton, {}, grupo(9)->rect().center());
        QTest::mouseMove(grupo(9), longe);
        QVERIFY(!drag()->dragging());
        QTest::mouseRelease(grupo(9), Qt::LeftButton, {}, longe);
        QCOMPARE(tecladoChamadas, 0);
        QTest::mousePress(grupo(9), Qt::LeftButton, {}, grupo(9)->rect().center());
        QTest::mouseMove(grupo(9), grupo(9)->rect().center() + QPoint(4, 4));
        QTest::mouseRelease(grupo(9), Qt::LeftButton, {}, grupo(9)->rect().center() + QPoint(4, 4));
        QCOMPARE(tecladoChamadas, 1);

        // No drag in an edit mode: a touch there is the mode's.
        tecla(Qt::Key_F3);
        levanta(produto(1));
        QVERIFY(!drag()->dragging());
        QTest::mouseRelease(produto(1), Qt::LeftButton, {}, produto(1)->rect().center());
        QCOMPARE(screen->pendingChanges().recordCount(), 1); // marked for clearing by the touch
        tecla(Qt::Key_F2);
        nadaPendente();
    }

    // Let go over its own place, over nothing, or given up with a key:
    // nothing changes, and there is no touch either.
    void releasedOverItsPlaceOrNowhere_data() { engines(); }
    void releasedOverItsPlaceOrNowhere() {
        levanta(grupo(3));
        vaiPara(grupo(3), grupo(8));
        vaiPara(grupo(3), grupo(3));
        solta(grupo(3), grupo(3));
        QCOMPARE(grupo(3)->caption(), QStringLiteral("Pratos"));
        QCOMPARE(grupo(3)->pendingMark(), Mark::None);
        QCOMPARE(screen->focusGroup(), QStringLiteral("01")); // not touched: no focus
        nadaPendente();

        const QString nome = produto(1)->caption();
        arrasta(produto(1), label("lblMensagem"));
        QCOMPARE(produto(1)->caption(), nome);
        nadaPendente();

        levanta(produto(1));
        vaiPara(produto(1), produto(30));
        tecla(Qt::Key_F3);
        QVERIFY(!drag()->dragging());
        QCOMPARE(produto(1)->caption(), nome);
        QVERIFY(ferramenta("tcbLimpar")->isEnabled()); // the key did not choose the clear tool
        solta(produto(1), produto(30));
        QVERIFY(produto(30)->caption().isEmpty());
        nadaPendente();
        QVERIFY(presenter->calls.isEmpty());
    }

    // The moved button shows its picture in its new place, with the caption,
    // also after its page is drawn again; a drag given up, a cancel, leave
    // the picture where it was. The same for a cut and a touch.
    void theMovedButtonTakesItsPicture_data() { engines(); }
    void theMovedButtonTakesItsPicture() {
        const QString imagem = produto(1)->picture();
        QVERIFY(!imagem.isEmpty());
        QVERIFY(produto(30)->picture().isEmpty());
        arrasta(produto(1), label("lblMensagem"));
        QCOMPARE(produto(1)->picture(), imagem);

        arrasta(produto(1), produto(30));
        QCOMPARE(produto(30)->pendingMark(), Mark::Changed);
        QCOMPARE(produto(30)->picture(), imagem);
        QCOMPARE(produto(1)->pendingMark(), Mark::Cut);
        QVERIFY(produto(1)->picture().isEmpty());
        tecla(Qt::Key_PageDown, Qt::ControlModifier);
        tecla(Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(produto(30)->pendingMark(), Mark::Changed);
        QCOMPARE(produto(30)->picture(), imagem);
        tecla(Qt::Key_F2);
        QCOMPARE(produto(1)->picture(), imagem);
        QVERIFY(produto(30)->picture().isEmpty());
        nadaPendente();

        const QString lanches = grupo(2)->picture();
        QVERIFY(!lanches.isEmpty());
        tecla(Qt::Key_F6);
        toca(grupo(2));
        toca(grupo(9));
        QCOMPARE(grupo(9)->picture(), lanches);
        QCOMPARE(grupo(9)->caption(), QStringLiteral("Lanches"));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(grupo(9)->picture(), lanches);
        QCOMPARE(itens(QStringLiteral("IDTPBUTTON = '2' AND NRBUTTON = '09'"), QStringLiteral("DSIMAGEMBUT"))
                     .value(0)
                     .value(0)
                     .toString(),
                 QStringLiteral("hamburguer.svg"));
    }

    // While a cut waits for its place, a drag of another button takes its
    // turn: the waiting cut is given back, and only the dragged one moves.
    void aDragWhileACutWaitsTakesItsTurn_data() { engines(); }
    void aDragWhileACutWaitsTakesItsTurn() {
        const QString tres = produto(3)->caption();
        const QString um = produto(1)->caption();
        tecla(Qt::Key_F6);
        toca(produto(3));
        QCOMPARE(produto(3)->pendingMark(), Mark::Cut);
        arrasta(produto(1), produto(30));
        QCOMPARE(produto(3)->caption(), tres);
        QCOMPARE(produto(3)->pendingMark(), Mark::None);
        QCOMPARE(produto(30)->caption(), um);
        QCOMPARE(screen->cutSet().recordCount(), 1);
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(itens(produtoEm("30", "01")).value(0).value(0).toString(), um);
        QCOMPARE(itens(produtoEm("03", "01")).value(0).value(0).toString(), tres);
        QCOMPARE(conta(produtoEm("01", "01")), 0);
    }

    // A picture of a drag in progress, when KALMORA_SHOTS names a folder.
    void screenshot() {
        const QString pasta = qEnvironmentVariable("KALMORA_SHOTS");
        if (pasta.isEmpty())
            QSKIP("KALMORA_SHOTS names no folder for the pictures");
        QDir().mkpath(pasta);
        levanta(produto(2));
        QTest::mouseMove(produto(2), em(produto(2), produto(27)) + QPoint(-14, -9));
        QVERIFY(drag()->targetAccepted());
        QVERIFY(screen->grab().save(pasta + QStringLiteral("/arrasto-produto.png")));
        QTest::mouseMove(produto(2), em(produto(2), produto(4)) + QPoint(-10, 8));
        QVERIFY(!drag()->targetAccepted());
        QVERIFY(screen->grab().save(pasta + QStringLiteral("/arrasto-recusado.png")));
        solta(produto(2), produto(4));
        levanta(grupo(5));
        QTest::mouseMove(grupo(5), em(grupo(5), seta("tcbPgGrupoProx")));
        QVERIFY(screen->grab().save(pasta + QStringLiteral("/arrasto-seta.png")));
        solta(grupo(5), label("lblMensagem"));
    }
};

QTEST_MAIN(TstScreenArrasto)
#include "tst_screen_arrasto.moc"
