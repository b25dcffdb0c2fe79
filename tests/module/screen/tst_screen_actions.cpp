// Whole editing sessions an operator runs on the screen, each read back from
// both the buttons and the store. Most run on SQLite and on PostgreSQL.

#include "ScreenFixture.h"

#include <Cli_Kmr00003.h>
#include <ClientDataSet.h>
#include <HostUi.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>

#include <QTest>

namespace {
const QString kTecle =
    QStringLiteral("Clique em um dos botões desta tela para associar produtos ou adicionar grupos de produtos.");
const QStringList kTools = {"tcbLimpar", "tcbNome", "tcbCorButton", "tcbCorTexto", "tcbRecortar", "tcbSair"};
const QStringList kConfirmCancel = {"tcbConfirma", "tcbCancela", "tcbSair"};
} // namespace

class TstScreenActions : public ScreenFixture {
    Q_OBJECT
private:
    QString groupWhere(const QString& numero) {
        return QStringLiteral("IDTPBUTONAUX = '0' AND NRBUTTON = '%1'").arg(numero);
    }
    QString productsOf(const QString& grupo) {
        return QStringLiteral("IDTPBUTONAUX = '2' AND NRBUTTONAUX = '%1' AND NRPGCONFTAUX = '1'").arg(grupo);
    }
    // Makes the update of one button's background colour fail in the store.
    void refuseColourOf(const QString& numero) {
        if (db->engine() == TestDatabase::Engine::SQLite) {
            db->exec(QStringLiteral("CREATE TRIGGER recusa BEFORE UPDATE OF NRCOLORBACK ON ITMENUCONFTE "
                                    "WHEN NEW.NRBUTTON = '%1' AND NEW.IDTPBUTONAUX = '0' "
                                    "BEGIN SELECT RAISE(ABORT, 'cor recusada'); END")
                         .arg(numero));
        } else {
            db->exec(QStringLiteral("CREATE FUNCTION recusa() RETURNS trigger AS $$ BEGIN "
                                    "RAISE EXCEPTION 'cor recusada'; END $$ LANGUAGE plpgsql"));
            db->exec(QStringLiteral("CREATE TRIGGER recusa BEFORE UPDATE OF NRCOLORBACK ON ITMENUCONFTE "
                                    "FOR EACH ROW WHEN (NEW.NRBUTTON = '%1' AND NEW.IDTPBUTONAUX = '0') "
                                    "EXECUTE FUNCTION recusa()")
                         .arg(numero));
        }
    }
    void acceptColours() {
        if (db->engine() == TestDatabase::Engine::SQLite)
            db->exec(QStringLiteral("DROP TRIGGER recusa"));
        else
            db->exec(QStringLiteral("DROP TRIGGER recusa ON ITMENUCONFTE"));
    }
    int colour(const QString& where, const char* column = "NRCOLORBACK") {
        return qRound(itens(where, QLatin1String(column)).value(0).value(0).toDouble());
    }
    int firstEmptyProduct() {
        for (int n = 1; n <= 36; ++n)
            if (produto(n)->caption().isEmpty())
                return n;
        return 0;
    }

private slots:
    void addGroupAssignTwoProductsRenameOne_data() { engines(); }
    void addGroupAssignTwoProductsRenameOne() {
        teclado = {QStringLiteral("Sucos Naturais")};
        toca(grupo(7));
        QCOMPARE(grupo(7)->caption(), QStringLiteral("Sucos Naturais"));
        QCOMPARE(screen->focusGroup(), QStringLiteral("07"));
        QVERIFY(marcador(7)->isVisible());
        QCOMPARE(firstEmptyProduct(), 1);
        const auto group = itens(groupWhere("07"), "IDTPBUTTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, NRPGCONFTELA, "
                                                   "NRBUTTONAUX, NRPGCONFTAUX");
        QCOMPARE(group.size(), 1);
        QCOMPARE(group[0][0].toString(), QStringLiteral("2"));
        QCOMPARE(group[0][2].toDouble(), 0.0);
        QCOMPARE(group[0][3].toDouble(), 11571344.0);
        QCOMPARE(group[0][4].toString(), QStringLiteral("1"));
        QCOMPARE(group[0][5].toString(), QStringLiteral("0"));

        produtoEscolhido = QStringLiteral("101001");
        toca(produto(7));
        produtoEscolhido = QStringLiteral("101003");
        toca(produto(2));
        QCOMPARE(produto(7)->caption(), QStringLiteral("Coca-Cola Lata 350ml"));
        QCOMPARE(produto(2)->caption(), QStringLiteral("Guaraná Antarctica Lata 350ml"));
        const auto products = itens(productsOf("07"), "NRBUTTON, IDTPBUTTON, CDIDENTBUTON, NRPGCONFTELA, DSBUTTON");
        QCOMPARE(products.size(), 2);
        QCOMPARE(products[0][0].toString(), QStringLiteral("02"));
        QCOMPARE(products[1][0].toString(), QStringLiteral("07"));
        QCOMPARE(products[1][1].toString(), QStringLiteral("1"));
        QCOMPARE(products[1][2].toString(), QStringLiteral("101001"));
        QCOMPARE(products[1][3].toString(), QStringLiteral("1"));

        // A touch on a filled product in no edit mode does nothing.
        toca(produto(7));
        QCOMPARE(pesquisaChamadas, 2);

        tecla(Qt::Key_F5);
        teclado = {QStringLiteral("   ")};
        toca(produto(7)); // a blank name: nothing, rename mode stays
        QCOMPARE(produto(7)->caption(), QStringLiteral("Coca-Cola Lata 350ml"));
        teclado = {QStringLiteral("Coca Gelada")};
        toca(produto(7));
        QCOMPARE(produto(7)->caption(), QStringLiteral("Coca Gelada"));
        QCOMPARE(mensagem(), kTecle);
        QCOMPARE(enabledTools(), kTools);
        QCOMPARE(itens(productsOf("07") + " AND NRBUTTON = '07'").value(0).value(0).toString(),
                 QStringLiteral("Coca Gelada"));
        QVERIFY(presenter->calls.isEmpty());
    }

    // Every data service call reaches MensagemMetodo with its function's name,
    // the unit and its call key: the values of the call joined by "-".
    void callKeysOfAnEditingSession() {
        QStringList calls;
        bool otherUnit = false;
        const auto previous = setMensagemMetodoObserver([&](const QString& m, const QString& u, const QString& k) {
            otherUnit = otherUnit || u != QLatin1String("Cli_Kmr00003");
            calls << m + QLatin1Char('|') + k;
        });
        screen->MontaMenuGrupo();
        screen->MontaMenuProduto();
        teclado = {QStringLiteral("Sucos")};
        toca(grupo(7));
        produtoEscolhido = QStringLiteral("101001");
        toca(produto(1));
        tecla(Qt::Key_F5);
        teclado = {QStringLiteral("Coca Gelada")};
        toca(produto(1));
        tecla(Qt::Key_F5);
        teclado = {QStringLiteral("Sucos Naturais")};
        toca(grupo(7));
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(produto(1));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        cores = {QStringLiteral("65280")};
        tecla(Qt::Key_F4);
        toca(grupo(7));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        toca(grupo(1));
        const int fundo = produto(1)->color();
        const int texto = produto(1)->fontColor();
        const QString nome = produto(1)->caption();
        const int alvo = firstEmptyProduct();
        const QString n = QStringLiteral("%1").arg(alvo, 2, 10, QLatin1Char('0'));
        tecla(Qt::Key_F6);
        toca(produto(1));
        toca(produto(alvo));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        presenter->answers = {true};
        tecla(Qt::Key_F3);
        toca(produto(alvo));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        setMensagemMetodoObserver(previous);

        QVERIFY(!otherUnit);
        const QStringList expected = {
            "getPesqGrupo|9999-00001-1",
            "getPesqProdGrupo|9999-00001-1-01-1",
            "getInsere|9999-00001-2-07-Sucos-0-11571344-1-0-0-0",
            "getPesqProdGrupo|9999-00001-1-07-1",
            "getProduto|9999",
            "getfiltroProd|9999-01-",
            "getInsere|9999-00001-1-01-Coca-Cola Lata 350ml-0-11571344-101001-1-2-07-1",
            "getMudaNomeConferido|9999-00001-9999-00001-01-1-Coca Gelada-07-1-2-1",
            "getMudaNomeConferido|9999-07-1-Sucos Naturais-0-2-0-0",
            "getMudaCorConferido|9999-00001-01-1-2-07-1-255-1",
            "getMudaFonteConferido|9999-00001-07-1-65280-2-0-0-0",
            QStringLiteral("setColarProdConferido|%1-%2-%3-1-%4-1-2-01-1-9999-1-01-1-2-01-1-00001")
                .arg(fundo)
                .arg(texto)
                .arg(nome, n),
            QStringLiteral("getDelProdutoConferido|9999-00001-2-%1-1-01-1").arg(n),
        };
        for (const QString& call : expected)
            QVERIFY2(calls.contains(call), qPrintable(call + QStringLiteral("\n  among: ") + calls.join("\n  ")));
    }

    void productWithoutGroupInFocus() {
        db->exec(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE IDTPBUTONAUX = '0' AND NRBUTTON = '01'"));
        tecla(Qt::Key_F3);
        tecla(Qt::Key_F2); // redraws: group 01 is gone, its products stay
        toca(produto(30));
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(presenter->calls.first().texto, QStringLiteral("Grupo do produto deve ser informado."));
        QCOMPARE(presenter->calls.first().codigo, QString());
        QCOMPARE(pesquisaChamadas, 0);
    }

    void clearTwoProductsAndTheirGroup_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("sqlite yes") << true;
        QTest::newRow("sqlite no") << false;
    }
    void clearTwoProductsAndTheirGroup() {
        QFETCH(bool, yes);
        const int before = conta(QStringLiteral("1 = 1"));
        toca(grupo(3));
        tecla(Qt::Key_F3);
        toca(produto(1));
        toca(produto(2));
        toca(grupo(3));
        toca(grupo(8)); // empty: nothing
        QCOMPARE(screen->pendingChanges().recordCount(), 3);
        QVERIFY(grupo(3)->caption().isEmpty());
        QCOMPARE(conta(QStringLiteral("1 = 1")), before);
        presenter->answers = {yes};
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(presenter->calls.size(), 1);
        const MensagemArgs& q = presenter->calls.first();
        QCOMPARE(q.texto,
                 QStringLiteral("Todos os grupos e produtos selecionados serão excluídos. Confirma operação?"));
        QCOMPARE(q.pergunta, QStringLiteral("S"));
        QCOMPARE(q.tipo, 1);
        QCOMPARE(q.codigo, QStringLiteral("002"));
        QCOMPARE(enabledTools(), kTools);
        QVERIFY(screen->pendingChanges().isEmpty());
        if (yes) {
            QCOMPARE(conta(groupWhere("03")), 0);
            QCOMPARE(conta(productsOf("03")), 0);
            QVERIFY(grupo(3)->caption().isEmpty());
            QCOMPARE(produto(1)->caption(), QString());
        } else {
            QCOMPARE(conta(QStringLiteral("1 = 1")), before);
            QCOMPARE(grupo(3)->caption(), QStringLiteral("Pratos"));
            QCOMPARE(produto(1)->caption(), QStringLiteral("Filé de Frango Grelhado"));
            // A later confirmation in another mode sends none of the cleared rows.
            cores = {QStringLiteral("255")};
            tecla(Qt::Key_F7);
            toca(grupo(4));
            tecla(Qt::Key_Return, Qt::ControlModifier);
            QCOMPARE(conta(QStringLiteral("1 = 1")), before);
            QCOMPARE(colour(groupWhere("04")), 255);
        }
        QCOMPARE(conta(groupWhere("01")), 1);
    }

    void clearingAGroupKeepsTheFocusedPageTrue() {
        // Group 02 in focus; group 04 cleared: the page of 02 must show its products afterwards.
        toca(grupo(2));
        tecla(Qt::Key_F3);
        toca(grupo(4));
        presenter->answers = {true};
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(conta(groupWhere("04")), 0);
        QCOMPARE(produto(1)->caption(), QStringLiteral("X-Burger"));
    }

    void recolourSeveralButtons_data() { engines(); }
    void recolourSeveralButtons() {
        cores = {QStringLiteral("255"), QStringLiteral("65280")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        toca(grupo(2));
        toca(produto(3));
        toca(produto(3)); // twice: the same update twice
        QCOMPARE(grupo(1)->color(), 255);
        QCOMPARE(marcador(2)->color(), 255);
        QCOMPARE(colour(groupWhere("01")), 14461560);
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(colour(groupWhere("01")), 255);
        QCOMPARE(colour(groupWhere("02")), 255);
        QCOMPARE(colour(productsOf("01") + " AND NRBUTTON = '03'"), 255);
        QCOMPARE(colour(productsOf("01") + " AND NRBUTTON = '04'"), 16114120);

        tecla(Qt::Key_F4);
        toca(grupo(3));
        toca(produto(4));
        QCOMPARE(produto(4)->fontColor(), 65280);
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(colour(groupWhere("03"), "NRCOLORTEXT"), 65280);
        QCOMPARE(colour(productsOf("01") + " AND NRBUTTON = '04'", "NRCOLORTEXT"), 65280);
        QCOMPARE(enabledTools(), kTools);
        QVERIFY(presenter->calls.isEmpty());
    }

    void recolourWithOneFailingWrite_data() { engines(); }
    void recolourWithOneFailingWrite() {
        refuseColourOf(QStringLiteral("02"));
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        toca(grupo(2));
        toca(grupo(3));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(presenter->calls.size(), 1); // the failure text, once
        QCOMPARE(presenter->calls.first().tipo, 3);
        QCOMPARE(colour(groupWhere("01")), 255); // written before the failure
        QCOMPARE(colour(groupWhere("02")), 3970790);
        QCOMPARE(colour(groupWhere("03")), 4608200);
        // The confirmation kept its rows and mode: confirming again sends them all.
        QCOMPARE(enabledTools(), kConfirmCancel);
        QCOMPARE(screen->pendingChanges().recordCount(), 3);
        acceptColours();
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(colour(groupWhere("02")), 255);
        QCOMPARE(colour(groupWhere("03")), 255);
        QCOMPARE(enabledTools(), kTools);
    }

    void cutProductOfGroup03PasteOnGroup05_data() { engines(); }
    void cutProductOfGroup03PasteOnGroup05() {
        toca(grupo(3));
        tecla(Qt::Key_F6);
        toca(produto(1));
        QVERIFY(produto(1)->caption().isEmpty());
        QCOMPARE(mensagem(), QStringLiteral("Clique no botão onde deseja colar a configuração."));
        toca(grupo(5));
        QCOMPARE(screen->focusGroup(), QStringLiteral("05"));
        const int alvo = firstEmptyProduct();
        QVERIFY(alvo > 0);
        toca(grupo(7)); // empty group: a product cut does not land there
        QVERIFY(grupo(7)->caption().isEmpty());
        toca(produto(alvo));
        QCOMPARE(produto(alvo)->caption(), QStringLiteral("Filé de Frango Grelhado"));
        QCOMPARE(screen->pendingChanges().recordCount(), 1);
        QCOMPARE(screen->cutSet().recordCount(), 1);
        QCOMPARE(screen->pendingChanges().fieldText(u"NRBUTONAUX"), QStringLiteral("05"));
        QCOMPARE(screen->cutSet().fieldText(u"NRBUTONAUX"), QStringLiteral("03"));
        QCOMPARE(enabledTools(), kConfirmCancel);
        const int outro = firstEmptyProduct();
        toca(produto(outro)); // no second paste
        QVERIFY(produto(outro)->caption().isEmpty());
        tecla(Qt::Key_Return, Qt::ControlModifier);
        const QString pos = QStringLiteral("%1").arg(alvo, 2, 10, QLatin1Char('0'));
        const auto moved = itens(productsOf("05") + QStringLiteral(" AND NRBUTTON = '%1'").arg(pos),
                                 "CDIDENTBUTON, DSBUTTON, NRCOLORBACK");
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved[0][0].toString(), QStringLiteral("301001"));
        QCOMPARE(conta(productsOf("03") + " AND NRBUTTON = '01'"), 0);
        QCOMPARE(produto(alvo)->caption(), QStringLiteral("Filé de Frango Grelhado"));
        QVERIFY(presenter->calls.isEmpty());
    }

    void cutGroupWithProductsPasteElsewhere_data() { engines(); }
    void cutGroupWithProductsPasteElsewhere() {
        const int products = conta(productsOf("02"));
        QVERIFY(products > 0);
        tecla(Qt::Key_F6);
        toca(grupo(2));
        QVERIFY(grupo(2)->caption().isEmpty());
        toca(grupo(1)); // filled: no paste, focus moves
        QCOMPARE(grupo(1)->caption(), QStringLiteral("Bebidas"));
        toca(grupo(9));
        QCOMPARE(grupo(9)->caption(), QStringLiteral("Lanches"));
        QCOMPARE(grupo(9)->color(), 3970790);
        QCOMPARE(screen->focusGroup(), QStringLiteral("09"));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(conta(groupWhere("02")), 0);
        QCOMPARE(itens(groupWhere("09")).value(0).value(0).toString(), QStringLiteral("Lanches"));
        QCOMPARE(conta(productsOf("02")), 0);
        QCOMPARE(conta(productsOf("09")), products);
        QCOMPARE(produto(1)->caption(), QStringLiteral("X-Burger"));
        QVERIFY(grupo(2)->caption().isEmpty());
        QCOMPARE(enabledTools(), kTools);
    }

    void cancelInEachMode_data() {
        QTest::addColumn<QString>("mode");
        for (const char* m : {"clear", "background", "text", "rename", "cut", "paste", "pasted"})
            QTest::newRow(m) << QString::fromLatin1(m);
    }
    void cancelInEachMode() {
        QFETCH(QString, mode);
        const auto snapshot = itens(QStringLiteral("1 = 1"), "NRBUTTON, DSBUTTON, NRCOLORBACK, NRCOLORTEXT");
        cores = {QStringLiteral("255")};
        if (mode == "clear") {
            tecla(Qt::Key_F3);
            toca(grupo(2));
            toca(produto(1));
        } else if (mode == "background") {
            tecla(Qt::Key_F7);
            toca(grupo(2));
        } else if (mode == "text") {
            tecla(Qt::Key_F4);
            toca(produto(1));
        } else if (mode == "rename") {
            tecla(Qt::Key_F5);
        } else {
            tecla(Qt::Key_F6);
            if (mode != "cut")
                toca(grupo(2));
            if (mode == "pasted")
                toca(grupo(10));
        }
        tecla(Qt::Key_F2);
        QCOMPARE(mensagem(), kTecle);
        QCOMPARE(enabledTools(), kTools);
        QCOMPARE(grupo(2)->caption(), QStringLiteral("Lanches"));
        QCOMPARE(grupo(2)->color(), 3970790);
        QVERIFY(grupo(10)->caption().isEmpty());
        if (mode == "pasted") {
            // The paste target took the focus; it is empty again as stored.
            QCOMPARE(screen->focusGroup(), QStringLiteral("10"));
            QVERIFY(produto(1)->caption().isEmpty());
        } else {
            QCOMPARE(produto(1)->caption(), QStringLiteral("Coca-Cola Lata 350ml"));
            QCOMPARE(produto(1)->fontColor(), 0);
        }
        QVERIFY(screen->pendingChanges().isEmpty());
        QVERIFY(screen->cutSet().isEmpty());
        // Nothing pending any more: a touch now takes the focus.
        toca(grupo(2));
        QCOMPARE(screen->focusGroup(), QStringLiteral("02"));
        QCOMPARE(itens(QStringLiteral("1 = 1"), "NRBUTTON, DSBUTTON, NRCOLORBACK, NRCOLORTEXT"), snapshot);
        QVERIFY(presenter->calls.isEmpty());
    }

    void specialProductsLeftOutOfTheSearch_data() { engines(); }
    void specialProductsLeftOutOfTheSearch() {
        db->exec(QStringLiteral(
            "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, NMFOTOPROD, NMPRODIMPFIS, CDBARPRODUTO, CDPRODINTE, "
            "SGUNIDADE, IDTIPOPROD, IDPESAPROD, QTTARAPROD, IDCOBTXSERV, IDPRODATIVPR, IDSOLLOCIMP, CDNVPRODUTO) "
            "VALUES ('9''01', '09.09.001', 'Couvert d''Água', NULL, 'COUVERT', NULL, NULL, 'UN', 'P', 'N', 0.0, "
            "'S', 'S', 'N', '3')"));
        db->exec(QStringLiteral("INSERT INTO PRODUTOSEG (CDSEGMER, CDPRODUTO) VALUES ('001', '9''01')"));
        produtoEscolhido.clear();
        toca(produto(30));
        QCOMPARE(pesquisaChamadas, 1);
        QVERIFY(listaPesquisa.contains(QStringLiteral("9'01")));
        for (const char* special : {"901001", "901002", "901003"})
            QVERIFY2(!listaPesquisa.contains(QLatin1String(special)), special);
        QVERIFY(listaPesquisa.contains(QStringLiteral("101001")));

        // The quoted code as a special product: left out, and only it.
        db->exec(QStringLiteral("UPDATE LOJA SET CDPRODCOUVER = '9''01' WHERE CDFILIAL = '9999' AND CDLOJA = '01'"));
        toca(produto(30));
        QCOMPARE(pesquisaChamadas, 2);
        QVERIFY(!listaPesquisa.contains(QStringLiteral("9'01")));
        QVERIFY(listaPesquisa.contains(QStringLiteral("901001")));
        QVERIFY(!listaPesquisa.contains(QStringLiteral("901002")));
        QVERIFY(listaPesquisa.contains(QStringLiteral("101001")));
        QVERIFY(presenter->calls.isEmpty());
        QVERIFY(produto(30)->caption().isEmpty());
    }

    // The search list at each touch shows the catalogue as the store holds
    // it then: the same rows while nothing changed (the navigators once), a
    // product another station added or removed at the next touch; a pick
    // from the kept catalogue is written as any other.
    void searchShowsTheCatalogueAsItIsAtEachTouch_data() { engines(); }
    void searchShowsTheCatalogueAsItIsAtEachTouch() {
        produtoEscolhido.clear();
        toca(produto(30));
        const QStringList first = listaPesquisa;
        QVERIFY(first.contains(QStringLiteral("101001")));
        toca(produto(30));
        QCOMPARE(listaPesquisa, first);
        QCOMPARE(listaPesquisa.count(QString()), first.count(QString()));
        db->exec(QStringLiteral(
            "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, NMFOTOPROD, NMPRODIMPFIS, CDBARPRODUTO, CDPRODINTE, "
            "SGUNIDADE, IDTIPOPROD, IDPESAPROD, QTTARAPROD, IDCOBTXSERV, IDPRODATIVPR, IDSOLLOCIMP, CDNVPRODUTO) "
            "VALUES ('777001', '00.00.001', 'Produto novo', NULL, 'NOVO', NULL, NULL, 'UN', 'P', 'N', 0.0, "
            "'S', 'S', 'N', '3')"));
        db->exec(QStringLiteral("INSERT INTO PRODUTOSEG (CDSEGMER, CDPRODUTO) VALUES ('001', '777001')"));
        db->exec(QStringLiteral("DELETE FROM PRODUTOSEG WHERE CDPRODUTO = '101001'"));
        toca(produto(30));
        QCOMPARE(pesquisaChamadas, 3);
        QVERIFY(listaPesquisa.contains(QStringLiteral("777001")));
        QVERIFY(!listaPesquisa.contains(QStringLiteral("101001")));
        QCOMPARE(listaPesquisa.size(), first.size());
        // Unchanged again, and picked from what was kept.
        produtoEscolhido = QStringLiteral("777001");
        toca(produto(30));
        QCOMPARE(produto(30)->caption(), QStringLiteral("Produto novo"));
        QCOMPARE(conta(QStringLiteral("NRBUTTON = '30' AND IDTPBUTTON = '1' AND CDIDENTBUTON = '777001'")), 1);
        QVERIFY(presenter->calls.isEmpty());
    }

    void failedInsertRedrawsAsStored_data() { engines(); }
    void failedInsertRedrawsAsStored() {
        // Another till writes group 08 after this screen drew its page.
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK) VALUES ('9999', '00001', "
            "'2', '08', '1', '0', '0', '0', '', 'Outro Caixa', 0, 255)"));
        QVERIFY(grupo(8)->caption().isEmpty());
        teclado = {QStringLiteral("Meu Grupo")};
        toca(grupo(8));
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(presenter->calls.first().codigo, QStringLiteral("002"));
        QCOMPARE(grupo(8)->caption(), QStringLiteral("Outro Caixa"));
        QCOMPARE(grupo(8)->color(), 255);
        QCOMPARE(screen->focusGroup(), QStringLiteral("01"));
        QCOMPARE(itens(groupWhere("08")).size(), 1);

        // The same on the product page: the assign path redraws as stored.
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK) VALUES ('9999', '00001', "
            "'1', '30', '1', '2', '01', '1', '101002', 'Produto Alheio', 0, 255)"));
        produtoEscolhido = QStringLiteral("101001");
        toca(produto(30));
        QCOMPARE(presenter->calls.size(), 2);
        QCOMPARE(produto(30)->caption(), QStringLiteral("Produto Alheio"));
    }

    void refusedRenameShowsTheStoredName() {
        tecla(Qt::Key_F5);
        teclado = {QString(51, QLatin1Char('N'))}; // wider than the store takes
        toca(grupo(2));
        QCOMPARE(presenter->calls.size(), 1);
        QCOMPARE(grupo(2)->caption(), QStringLiteral("Lanches"));
        QCOMPARE(itens(groupWhere("02")).value(0).value(0).toString(), QStringLiteral("Lanches"));
        QCOMPARE(enabledTools(), QStringList({"tcbCancela", "tcbSair"})); // rename mode stays on
    }

    void productNavigatorRenamedAndRecoloured() {
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK) VALUES ('9999', '00001', "
            "'9', '36', '1', '2', '01', '1', '', 'Navegador_Direito_Prod', 0, 255)"));
        toca(grupo(1));
        tecla(Qt::Key_F5);
        teclado = {QStringLiteral("Mais")};
        toca(produto(36));
        const QString where = productsOf("01") + QStringLiteral(" AND NRBUTTON = '36'");
        QCOMPARE(itens(where).value(0).value(0).toString(), QStringLiteral("Mais"));
        cores = {QStringLiteral("65280")};
        tecla(Qt::Key_F4);
        toca(produto(36));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(colour(where, "NRCOLORTEXT"), 65280);
    }

    void navigatorsOfTheGroupPage_data() { engines(); }
    void navigatorsOfTheGroupPage() {
        teclado = {QStringLiteral("inNav = 2"), QStringLiteral("inNav = 1")};
        toca(grupo(10));
        toca(grupo(11));
        QCOMPARE(itens(groupWhere("10"), "IDTPBUTTON, DSBUTTON").value(0),
                 QVariantList({QStringLiteral("7"), QStringLiteral("Navegador_Direito_Grp")}));
        QCOMPARE(itens(groupWhere("11"), "IDTPBUTTON, DSBUTTON").value(0),
                 QVariantList({QStringLiteral("8"), QStringLiteral("Navegador_Esquerdo_Grp")}));
        QVERIFY(grupo(10)->caption().isEmpty());
        QVERIFY(!grupo(10)->glyphEmpty());
        QCOMPARE(screen->focusGroup(), QStringLiteral("01"));
        QCOMPARE(produto(1)->caption(), QStringLiteral("Coca-Cola Lata 350ml")); // the focused page stays

        // A navigator is not empty: no keyboard, nothing written; it turns the page.
        toca(grupo(10));
        QCOMPARE(tecladoChamadas, 2);
        QCOMPARE(screen->groupPage(), 2);
        tecla(Qt::Key_PageUp);
        // Nor does a paste land on it.
        tecla(Qt::Key_F6);
        toca(grupo(2));
        toca(grupo(10));
        QVERIFY(screen->pendingChanges().isEmpty());
        QCOMPARE(screen->groupPage(), 2); // in paste mode it turns the page too
        tecla(Qt::Key_PageUp);
        tecla(Qt::Key_F2);

        // Recolour, then move, then clear it.
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(10));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(colour(groupWhere("10")), 255);
        tecla(Qt::Key_F6);
        toca(grupo(10));
        toca(grupo(12));
        QVERIFY(grupo(12)->caption().isEmpty());
        QVERIFY(!grupo(12)->glyphEmpty());
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(conta(groupWhere("10")), 0);
        QCOMPARE(itens(groupWhere("12"), "IDTPBUTTON, DSBUTTON").value(0),
                 QVariantList({QStringLiteral("7"), QStringLiteral("Navegador_Direito_Grp")}));
        QCOMPARE(colour(groupWhere("12")), 255);
        tecla(Qt::Key_F3);
        toca(grupo(12));
        toca(grupo(11));
        QVERIFY(grupo(12)->glyphEmpty());
        presenter->answers = {true};
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(conta(groupWhere("11")), 0);
        QCOMPARE(conta(groupWhere("12")), 0);
        QCOMPARE(presenter->calls.size(), 1);
    }
};

QTEST_MAIN(TstScreenActions)
#include "tst_screen_actions.moc"
