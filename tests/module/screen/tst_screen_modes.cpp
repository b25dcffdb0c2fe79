// Display of the two pages and the edit modes of the tool buttons and keys.

#include "ScreenFixture.h"

#include <Cli_Kmr00003.h>
#include <ClientDataSet.h>
#include <DataPacket.h>
#include <Srv_Kmr00003.h>
#include <TBlendedBitBtn.h>
#include <TBlendedShape.h>
#include <TColor.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>
#include <TrdmConfGrupo.h>

#include <QLabel>
#include <QTest>

#include <utility>

namespace {
const QString kTecle =
    QStringLiteral("Clique em um dos botões desta tela para associar produtos ou adicionar grupos de produtos.");
const QStringList kTools = {"tcbLimpar", "tcbNome", "tcbCorButton", "tcbCorTexto", "tcbRecortar", "tcbSair"};
const QStringList kConfirmCancel = {"tcbConfirma", "tcbCancela", "tcbSair"};
const QStringList kCancelOnly = {"tcbCancela", "tcbSair"};

QString item(const QString& tipo, const QString& numero, const QString& nome, int texto, int fundo,
             const QString& aux = QStringLiteral("'0', '0', '0'")) {
    return QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, "
                          "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK) "
                          "VALUES ('9999', '00001', '%1', '%2', '1', %3, '', '%4', %5, %6)")
        .arg(tipo, numero, aux, nome)
        .arg(texto)
        .arg(fundo);
}
} // namespace

class TstScreenModes : public ScreenFixture {
    Q_OBJECT
public:
    TstScreenModes() : ScreenFixture(Tela::PeloTeste) {}

private:
    void verifyCursor(Qt::CursorShape shape) {
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(grupo(n)->cursor().shape(), shape);
        for (int n = 1; n <= 36; ++n)
            QCOMPARE(produto(n)->cursor().shape(), shape);
    }
    QStringList captionsOfProducts() {
        QStringList out;
        for (int n = 1; n <= 36; ++n)
            out << produto(n)->caption();
        return out;
    }
    QStringList captionsOfGroups() {
        QStringList out;
        for (int n = 1; n <= 12; ++n)
            out << grupo(n)->caption();
        return out;
    }
    void breakTable() { db->exec(QStringLiteral("ALTER TABLE ITMENUCONFTE RENAME TO ITMENUCONFTE_X")); }
    void mendTable() { db->exec(QStringLiteral("ALTER TABLE ITMENUCONFTE_X RENAME TO ITMENUCONFTE")); }

private slots:
    void groupPageFromRowsOfEveryType() {
        db->exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE IDTPBUTONAUX = '0' AND NRBUTTON = '05'"));
        db->exec(item("2", "05", "Vermelho", 0, 255));
        db->exec(item("7", "07", "Navegador_Direito_Grp", 255, 65280));
        db->exec(item("8", "08", "Navegador_Esquerdo_Grp", 255, 16711680));
        db->exec(item("2", "13", "Treze", 0, 255));
        db->exec(item("2", "5", "Cinco", 0, 65535));
        // Two rows on one button: the navigator comes later in index order.
        db->exec(item("2", "09", "Grupo Nove", 0, 123456));
        db->exec(item("7", "09", "Navegador_Direito_Grp", 0, 654321));
        openScreen();

        QCOMPARE(grupo(1)->caption(), QStringLiteral("Bebidas"));
        QCOMPARE(grupo(1)->color(), 14461560);
        QCOMPARE(grupo(3)->fontColor(), 16777215);
        QCOMPARE(grupo(5)->caption(), QStringLiteral("Vermelho"));
        QCOMPARE(grupo(5)->fontColor(), 0);
        QCOMPARE(grupo(5)->color(), 255);
        QCOMPARE(marcador(5)->color(), 255);
        QVERIFY(grupo(5)->glyphEmpty());
        // Navigators: background and arrow, no caption, black text.
        QVERIFY(grupo(7)->caption().isEmpty());
        QCOMPARE(grupo(7)->color(), 65280);
        QCOMPARE(grupo(7)->fontColor(), 0);
        QVERIFY(!grupo(7)->glyphEmpty());
        QVERIFY(!grupo(8)->glyphEmpty());
        QVERIFY(grupo(7)->GetGlyph().toImage() != grupo(8)->GetGlyph().toImage());
        QCOMPARE(marcador(8)->color(), 16711680);
        // Which of the two comes later is the order the data service delivers
        // them in (the index keeps it for equal numbers): read it from there.
        QVariant resultado;
        QCOMPARE(getPesqGrupo(QStringLiteral("9999"), QStringLiteral("00001"), QStringLiteral("1"), resultado), 0);
        const DataPacket pacote = resultado.value<DataPacket>();
        const int colNr = pacote.indexOf(u"NRBUTTON");
        const int colTipo = pacote.indexOf(u"IDTPBUTTON");
        QString ultimo;
        for (int r = 0; r < pacote.rowCount(); ++r)
            if (pacote.text(r, colNr) == QLatin1String("09"))
                ultimo = pacote.text(r, colTipo);
        if (ultimo == QLatin1String("7")) {
            QVERIFY(grupo(9)->caption().isEmpty());
            QVERIFY(!grupo(9)->glyphEmpty());
            QCOMPARE(grupo(9)->color(), 654321);
        } else {
            QCOMPARE(ultimo, QStringLiteral("2"));
            QCOMPARE(grupo(9)->caption(), QStringLiteral("Grupo Nove"));
            QVERIFY(grupo(9)->glyphEmpty());
            QCOMPARE(grupo(9)->color(), 123456);
        }
        // "13" and "5" name no button.
        for (int n : {10, 11, 12}) {
            QVERIFY(grupo(n)->caption().isEmpty());
            QVERIFY(grupo(n)->glyphEmpty());
            QCOMPARE(grupo(n)->color(), 11571344);
        }
        // The product page of the group in focus.
        QCOMPARE(produto(1)->caption(), QStringLiteral("Coca-Cola Lata 350ml"));
        QCOMPARE(produto(1)->color(), 16114120);
        QVERIFY(produto(36)->caption().isEmpty());
    }

    void productPageFromRows() {
        const QString aux = QStringLiteral("'2', '04', '1'");
        db->exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE IDTPBUTONAUX = '2' AND NRBUTTONAUX = '04'"));
        db->exec(item("1", "08", "Oito", 255, 65280, aux));
        db->exec(item("9", "20", "Navegador_Direito_Prod", 0, 255, aux));
        db->exec(item("1", "37", "Trinta e sete", 0, 255, aux));
        db->exec(item("1", "5", "Cinco", 0, 255, aux));
        openScreen();
        toca(grupo(4));
        QCOMPARE(screen->focusGroup(), QStringLiteral("04"));
        QVERIFY(marcador(4)->isVisible());
        QVERIFY(!marcador(1)->isVisible());
        QCOMPARE(produto(8)->caption(), QStringLiteral("Oito"));
        QCOMPARE(produto(8)->fontColor(), 255);
        QCOMPARE(produto(8)->color(), 65280);
        QCOMPARE(produto(20)->caption(), QStringLiteral("Navegador_Direito_Prod")); // kept; the arrow is drawn
        QVERIFY(!produto(20)->glyphEmpty());
        QCOMPARE(produto(20)->color(), 255);
        int filled = 0;
        for (const QString& c : captionsOfProducts())
            filled += c.isEmpty() ? 0 : 1;
        QCOMPARE(filled, 2);
        QCOMPARE(produto(5)->color(), 11571344);

        // A group without products: 36 blank buttons.
        db->exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE IDTPBUTONAUX = '2' AND NRBUTTONAUX = '04'"));
        toca(grupo(4));
        QCOMPARE(captionsOfProducts(), QStringList(36));
        QVERIFY(presenter->calls.isEmpty());
    }

    void failedGroupLoadKeepsThePage() {
        openScreen();
        const QStringList before = captionsOfGroups();
        tecla(Qt::Key_F3);
        toca(grupo(2)); // marked for clearing
        QVERIFY(grupo(2)->caption().isEmpty());
        breakTable();
        tecla(Qt::Key_F2); // cancel redraws from the store, which fails
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(presenter->calls.first().tipo, 3);
        QVERIFY(grupo(2)->caption().isEmpty()); // the page as it was
        QCOMPARE(grupo(1)->caption(), before[0]);
        QCOMPARE(enabledTools(), kConfirmCancel); // still in clear mode
        mendTable();
        tecla(Qt::Key_F2);
        QCOMPARE(captionsOfGroups(), before);
        QCOMPARE(enabledTools(), kTools);
    }

    void failedProductLoadReportsOnceAndLeavesThePage() {
        openScreen();
        const QStringList before = captionsOfProducts();
        breakTable();
        toca(grupo(2));
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(captionsOfProducts(), before);
        QVERIFY(screen->isVisible());
        mendTable();
        toca(grupo(2));
        QCOMPARE(produto(1)->caption(), QStringLiteral("X-Burger"));
        QCOMPARE(presenter->calls.size(), 1);
    }

    // After a failed load the page still shows the group in focus before: an
    // edit there must not reach the new group's item at the same position.
    void editAfterFailedProductLoadTouchesNoOtherGroup() {
        openScreen();
        const QString stored = QStringLiteral("SELECT DSBUTTON FROM ITMENUCONFTE WHERE IDTPBUTONAUX = '2' AND "
                                              "NRBUTTONAUX = '02' AND NRBUTTON = '01'");
        const QString before = db->rows(stored).value(0).value(0).toString();
        const QString shown = produto(1)->caption(); // a product of group 01
        breakTable();
        toca(grupo(2));
        mendTable();
        QCOMPARE(produto(1)->caption(), shown);
        tecla(Qt::Key_F5);
        teclado = {QStringLiteral("Renomeado")};
        toca(produto(1));
        QCOMPARE(db->rows(stored).value(0).value(0).toString(), before);
        QCOMPARE(tecladoChamadas, 0);
        QCOMPARE(produto(1)->caption(), before); // the page drawn again, now group 02's
    }

    // The product page reports its own load failures (no service code) once,
    // and leaves the buttons as they were.
    void productPageReportsItsOwnFailure() {
        openScreen();
        const QStringList before = captionsOfProducts();
        rdmConfGrupo.reset(); // the service has no instance: a failure status
        screen->MontaMenuProduto();
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(presenter->calls.first().tipo, 3);
        QCOMPARE(presenter->calls.first().codigo, QString());
        QCOMPARE(captionsOfProducts(), before);
    }

    void toolKeysFromNoEditMode_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("tools");
        QTest::addColumn<int>("cursor");
        QTest::newRow("F3 clear") << int(Qt::Key_F3) << "Clique no botão ou nos botões desejados para limpar."
                                  << kConfirmCancel << int(Qt::PointingHandCursor);
        QTest::newRow("F4 text colour") << int(Qt::Key_F4)
                                        << "Clique no botão ou nos botões desejados para mudar a cor do texto."
                                        << kConfirmCancel << int(Qt::PointingHandCursor);
        QTest::newRow("F5 rename") << int(Qt::Key_F5) << "Clique no botão desejado para mudar seu nome." << kCancelOnly
                                   << int(Qt::ArrowCursor);
        QTest::newRow("F6 cut") << int(Qt::Key_F6) << "Clique no botão que deseja recortar." << kCancelOnly
                                << int(Qt::PointingHandCursor);
        QTest::newRow("F7 background") << int(Qt::Key_F7)
                                       << "Clique no botão ou nos botões desejados para mudar a cor de fundo."
                                       << kConfirmCancel << int(Qt::PointingHandCursor);
    }
    void toolKeysFromNoEditMode() {
        QFETCH(int, key);
        QFETCH(QString, message);
        QFETCH(QStringList, tools);
        QFETCH(int, cursor);
        openScreen();
        cores = {QStringLiteral("255")};
        tecla(Qt::Key(key));
        QCOMPARE(mensagem(), message);
        QCOMPARE(enabledTools(), tools);
        verifyCursor(Qt::CursorShape(cursor));
        auto* swatch = screen->findChild<TBlendedShape*>(QStringLiteral("shpMostraCor"));
        const bool colour = key == Qt::Key_F4 || key == Qt::Key_F7;
        QCOMPARE(swatch->isVisible(), colour);
        if (colour)
            QCOMPARE(swatch->fillColor(), colorFromTColor(255));

        // No other tool key acts now, nor Ctrl+Shift+Enter.
        for (Qt::Key other : {Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F6, Qt::Key_F7})
            tecla(other);
        tecla(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(mensagem(), message);
        QCOMPARE(enabledTools(), tools);
        QCOMPARE(corChamadas, colour ? 1 : 0);

        // Ctrl+Enter only where confirm is enabled; F2 always leaves the mode.
        tecla(Qt::Key_Return, Qt::ControlModifier);
        if (tools.contains(QStringLiteral("tcbConfirma"))) {
            QCOMPARE(mensagem(), kTecle);
        } else {
            QCOMPARE(mensagem(), message);
            tecla(Qt::Key_F2);
            QCOMPARE(mensagem(), kTecle);
        }
        QCOMPARE(enabledTools(), kTools);
        verifyCursor(Qt::ArrowCursor);
        QVERIFY(!swatch->isVisible());
        QVERIFY(presenter->calls.isEmpty());
    }

    void confirmAndCancelKeysDoNothingAtStart() {
        openScreen();
        presenter->answers = {true};
        for (auto [key, mods] : {std::pair{Qt::Key_F2, Qt::NoModifier}, std::pair{Qt::Key_Return, Qt::ControlModifier},
                                 std::pair{Qt::Key_Delete, Qt::ControlModifier}})
            tecla(key, mods);
        QVERIFY(presenter->calls.isEmpty());
        QCOMPARE(enabledTools(), kTools);
        QVERIFY(screen->isVisible());
    }

    void colourScreenLeftWithoutChoice() {
        openScreen();
        cores = {QStringLiteral("X")};
        toca(ferramenta("tcbCorButton"));
        QCOMPARE(CorButton, QStringLiteral("X"));
        QCOMPARE(enabledTools(), kTools);
        QCOMPARE(mensagem(), QStringLiteral("Clique no botão ou nos botões desejados para mudar a cor de fundo."));
        verifyCursor(Qt::ArrowCursor);
        QVERIFY(!screen->findChild<QWidget*>(QStringLiteral("shpMostraCor"))->isVisible());
        // Back in no edit mode: a filled group takes the focus.
        toca(grupo(3));
        QCOMPARE(screen->focusGroup(), QStringLiteral("03"));
    }

    void colourTextThatIsNoNumberDoesNotCrash() {
        openScreen();
        cores = {QStringLiteral("azul")};
        tecla(Qt::Key_F7);
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(presenter->calls.first().tipo, 3);
        QCOMPARE(enabledTools(), kConfirmCancel);
        verifyCursor(Qt::PointingHandCursor);
        QVERIFY(screen->findChild<QWidget*>(QStringLiteral("shpMostraCor"))->isVisible());
        // A touch cannot record a colour that could never be written.
        toca(grupo(2));
        QCOMPARE(presenter->calls.size(), 2);
        QVERIFY(screen->pendingChanges().isEmpty());
        QCOMPARE(grupo(2)->color(), 3970790);
        tecla(Qt::Key_F2);
        QCOMPARE(enabledTools(), kTools);
    }

    void altF4AndCtrlDeleteNeverClose() {
        openScreen();
        tecla(Qt::Key_F3);
        tecla(Qt::Key_F4, Qt::AltModifier); // text-colour tool disabled: nothing at all
        QCOMPARE(corChamadas, 0);
        tecla(Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(screen->isVisible());
        QCOMPARE(mensagem(), QStringLiteral("Clique no botão ou nos botões desejados para limpar."));
        tecla(Qt::Key_F2);
        cores = {QStringLiteral("X")};
        tecla(Qt::Key_F4, Qt::AltModifier); // as F4 does, and no more
        QCOMPARE(corChamadas, 1);
        QVERIFY(screen->isVisible());
        screen->close(); // the window manager's close
        QVERIFY(screen->isVisible());
    }

    void escAndExitButtonCloseInAnyMode() {
        openScreen();
        tecla(Qt::Key_F6);
        tecla(Qt::Key_Escape);
        QVERIFY(!screen->isVisible());
        tearDown();
        prepare();
        openScreen();
        tecla(Qt::Key_F5);
        toca(ferramenta("tcbSair"));
        QVERIFY(!screen->isVisible());
    }
};

QTEST_MAIN(TstScreenModes)
#include "tst_screen_modes.moc"
