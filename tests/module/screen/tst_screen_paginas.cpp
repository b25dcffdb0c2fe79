// Menus of more than one page: group pages and product pages reached by key,
// arrow and navigator, navigators of the product page made from the search
// list, work on page 2 read back from the store, and the branch and
// configuration handed over by the entry's parameter array.

#include "ScreenFixture.h"

#include <Cli_Kmr00003.h>
#include <ClientDataSet.h>
#include <Srv_Kmr00003.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>
#include <TrdmConfGrupo.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

class TstScreenPaginas : public ScreenFixture {
    Q_OBJECT
private:
    TTouchButton* seta(const char* name) const { return screen->findChild<TTouchButton*>(QLatin1String(name)); }
    QString paginaGrupo() const { return label("lblPgGrupo")->text(); }
    QString paginaProduto() const { return label("lblPgProduto")->text(); }
    // The search list answers with the row whose name is `nome`.
    void escolheNaLista(const QString& nome, QStringList* primeiros = nullptr) {
        Pesquisa = [this, nome, primeiros](ClientDataSet* ds, int, const QString&, int, int, int, int, int) {
            ++pesquisaChamadas;
            if (primeiros) {
                primeiros->clear();
                for (ds->first(); !ds->eof() && primeiros->size() < 3; ds->next())
                    *primeiros << ds->fieldText(u"NMPRODUTO");
            }
            return ds->locate(QStringLiteral("NMPRODUTO"), {nome});
        };
    }
    int vazios(bool produtos) const {
        int n = 0;
        for (int i = 1; i <= (produtos ? 36 : 12); ++i) {
            TTouchButton* b = produtos ? produto(i) : grupo(i);
            n += b->caption().isEmpty() && b->glyphEmpty();
        }
        return n;
    }
    // A group with products on two product pages at position 02 of group page 2.
    void grupoNaPagina2ComDuasPaginas() {
        const QString item = QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK) VALUES ('9999', '00001', "
            "'%1', '%2', '%3', '%4', '%5', '%6', '%7', '%8', 0, 11571344)");
        db->exec(item.arg("2", "02", "2", "0", "0", "0", "", "Sobremesas"));
        db->exec(item.arg("1", "01", "1", "2", "02", "2", "101001", "Pudim"));
        db->exec(item.arg("1", "02", "2", "2", "02", "2", "101002", "Torta"));
        db->exec(item.arg("9", "36", "1", "2", "02", "2", "", "Navegador_Direito_Prod"));
    }

private slots:
    void groupPagesByKeyArrowAndNavigator_data() { engines(); }
    void groupPagesByKeyArrowAndNavigator() {
        QCOMPARE(paginaGrupo(), QStringLiteral("Grupos:\npágina 1"));
        QVERIFY(!seta("tcbPgGrupoAnt")->isEnabled());
        QCOMPARE(grupo(1)->caption(), QStringLiteral("Bebidas"));

        tecla(Qt::Key_PageDown);
        QCOMPARE(screen->groupPage(), 2);
        QCOMPARE(paginaGrupo(), QStringLiteral("Grupos:\npágina 2"));
        QCOMPARE(vazios(false), 12);
        QCOMPARE(vazios(true), 36);
        QCOMPARE(screen->focusGroup(), QStringLiteral("01"));
        QVERIFY(marcador(1)->isVisible());

        // A group added on page 2 and given a product is stored under page 2.
        teclado = {QStringLiteral("Doces da Casa")};
        toca(grupo(3));
        QCOMPARE(conta("IDTPBUTTON = '2' AND NRBUTTON = '03' AND NRPGCONFTELA = '2' AND IDTPBUTONAUX = '0'"), 1);
        QCOMPARE(conta("DSBUTTON = 'Doces da Casa'"), 1);
        QCOMPARE(screen->focusGroup(), QStringLiteral("03"));
        produtoEscolhido = QStringLiteral("101001");
        toca(produto(4));
        QCOMPARE(conta("IDTPBUTTON = '1' AND NRBUTTON = '04' AND NRPGCONFTELA = '1' AND IDTPBUTONAUX = '2' AND "
                       "NRBUTTONAUX = '03' AND NRPGCONFTAUX = '2'"),
                 1);
        QVERIFY(!produto(4)->caption().isEmpty());

        // Back by key: page 1 as stored, focus on its button 01.
        tecla(Qt::Key_PageUp);
        QCOMPARE(screen->groupPage(), 1);
        QCOMPARE(grupo(1)->caption(), QStringLiteral("Bebidas"));
        QCOMPARE(grupo(3)->caption(),
                 itens("IDTPBUTONAUX = '0' AND NRBUTTON = '03' AND NRPGCONFTELA = '1'").value(0).value(0).toString());
        QVERIFY(!produto(1)->caption().isEmpty()); // the products of Bebidas
        tecla(Qt::Key_PageUp);                     // never below 1
        QCOMPARE(screen->groupPage(), 1);

        // By arrow, there and back.
        toca(seta("tcbPgGrupoProx"));
        QCOMPARE(grupo(3)->caption(), QStringLiteral("Doces da Casa"));
        toca(seta("tcbPgGrupoAnt"));
        QCOMPARE(screen->groupPage(), 1);

        // By navigators made with the operator's convention.
        teclado = {QStringLiteral("inNav = 2")};
        toca(grupo(12));
        QVERIFY(!grupo(12)->glyphEmpty());
        toca(grupo(12));
        QCOMPARE(screen->groupPage(), 2);
        teclado = {QStringLiteral("inNav = 1")};
        toca(grupo(9));
        QCOMPARE(conta("IDTPBUTTON = '8' AND NRBUTTON = '09' AND NRPGCONFTELA = '2'"), 1);
        toca(grupo(9));
        QCOMPARE(screen->groupPage(), 1);

        // Not in clear mode: the marks of page 1 would be left behind.
        tecla(Qt::Key_F3);
        QVERIFY(!seta("tcbPgGrupoProx")->isEnabled());
        tecla(Qt::Key_PageDown);
        toca(grupo(12));
        QCOMPARE(screen->groupPage(), 1);
        tecla(Qt::Key_F2);
        QVERIFY(seta("tcbPgGrupoProx")->isEnabled());
    }

    void productPagesThroughANavigatorFromTheSearchList_data() { engines(); }
    void productPagesThroughANavigatorFromTheSearchList() {
        QCOMPARE(paginaProduto(), QStringLiteral("Produtos:\npágina 1"));
        int livre = 0;
        for (int n = 36; n >= 1 && !livre; --n)
            livre = produto(n)->caption().isEmpty() ? n : 0;
        QVERIFY(livre > 0);

        QStringList primeiros;
        escolheNaLista(QStringLiteral("→ Navegador: próxima página"), &primeiros);
        toca(produto(livre));
        QCOMPARE(primeiros.mid(0, 2), QStringList({QStringLiteral("→ Navegador: próxima página"),
                                                   QStringLiteral("← Navegador: página anterior")}));
        const QString onde = QStringLiteral("IDTPBUTTON = '9' AND NRBUTTON = '%1' AND NRPGCONFTELA = '1' AND "
                                            "IDTPBUTONAUX = '2' AND NRBUTTONAUX = '01' AND NRPGCONFTAUX = '1'")
                                 .arg(livre, 2, 10, QLatin1Char('0'));
        QCOMPARE(itens(onde, QStringLiteral("DSBUTTON, COALESCE(CDIDENTBUTON, '')")),
                 QList<QVariantList>({{QStringLiteral("Navegador_Direito_Prod"), QString()}}));
        QVERIFY(!produto(livre)->glyphEmpty());   // drawn with an arrow
        QVERIFY(produto(livre)->captionHidden()); // the stored caption stays, under the arrow only

        // The navigator turns the page; the page is empty and takes a product.
        toca(produto(livre));
        QCOMPARE(screen->productPage(), 2);
        QCOMPARE(paginaProduto(), QStringLiteral("Produtos:\npágina 2"));
        QCOMPARE(vazios(true), 36);
        produtoEscolhido = QStringLiteral("101002");
        prepareSearch();
        toca(produto(1));
        QCOMPARE(conta("IDTPBUTTON = '1' AND NRBUTTON = '01' AND NRPGCONFTELA = '2' AND NRBUTTONAUX = '01' AND "
                       "NRPGCONFTAUX = '1'"),
                 1);

        // The left navigator on page 2 leads back.
        escolheNaLista(QStringLiteral("← Navegador: página anterior"));
        toca(produto(36));
        QCOMPARE(conta("IDTPBUTTON = 'A' AND NRBUTTON = '36' AND NRPGCONFTELA = '2'"), 1);
        toca(produto(36));
        QCOMPARE(screen->productPage(), 1);

        // Keys; and another group opens on its page 1.
        tecla(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(screen->productPage(), 2);
        QCOMPARE(screen->groupPage(), 1);
        QVERIFY(!produto(1)->caption().isEmpty());
        toca(grupo(2));
        QCOMPARE(screen->productPage(), 1);
        QCOMPARE(screen->focusGroup(), QStringLiteral("02"));
    }

    void cutAndPasteAcrossPages_data() { engines(); }
    void cutAndPasteAcrossPages() {
        // Group 01 with a second product page, cut on group page 1, pasted on page 2.
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK) VALUES ('9999', '00001', "
            "'1', '01', '2', '2', '01', '1', '101001', 'Segunda página', 0, 11571344)"));
        const int produtos = conta("IDTPBUTONAUX = '2' AND NRBUTTONAUX = '01' AND NRPGCONFTAUX = '1'");
        QVERIFY(produtos > 1);
        tecla(Qt::Key_F6);
        toca(grupo(1));
        tecla(Qt::Key_PageDown);
        tecla(Qt::Key_PageUp);
        QVERIFY(grupo(1)->caption().isEmpty()); // still shown as cut
        tecla(Qt::Key_PageDown);
        toca(grupo(5));
        QCOMPARE(grupo(5)->caption(), QStringLiteral("Bebidas"));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(conta("IDTPBUTTON = '2' AND NRBUTTON = '05' AND NRPGCONFTELA = '2' AND DSBUTTON = 'Bebidas'"), 1);
        QCOMPARE(conta("IDTPBUTTON = '2' AND NRBUTTON = '01' AND NRPGCONFTELA = '1'"), 0);
        QCOMPARE(conta("IDTPBUTONAUX = '2' AND NRBUTTONAUX = '05' AND NRPGCONFTAUX = '2'"), produtos);
        QCOMPARE(conta("IDTPBUTONAUX = '2' AND NRBUTTONAUX = '01' AND NRPGCONFTAUX = '1'"), 0);
        QCOMPARE(grupo(5)->caption(), QStringLiteral("Bebidas"));

        // A product cut on product page 1 of group 02 (page 1), pasted on
        // product page 2 of the moved group on page 2.
        tecla(Qt::Key_PageUp);
        toca(grupo(2));
        const QString nome = produto(1)->caption();
        QVERIFY(!nome.isEmpty());
        tecla(Qt::Key_F6);
        toca(produto(1));
        tecla(Qt::Key_PageDown);
        toca(grupo(5));
        tecla(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(screen->productPage(), 2);
        toca(produto(7));
        QCOMPARE(produto(7)->caption(), nome);
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(itens("IDTPBUTTON = '1' AND NRBUTTON = '07' AND NRPGCONFTELA = '2' AND NRBUTTONAUX = '05' AND "
                       "NRPGCONFTAUX = '2'")
                     .value(0)
                     .value(0)
                     .toString(),
                 nome);
        QCOMPARE(conta("IDTPBUTTON = '1' AND NRBUTTON = '01' AND NRPGCONFTELA = '1' AND NRBUTTONAUX = '02' AND "
                       "NRPGCONFTAUX = '1'"),
                 0);
    }

    void clearGroupOnPage2TakesAllItsProductPages() {
        grupoNaPagina2ComDuasPaginas();
        toca(seta("tcbPgGrupoProx"));
        QCOMPARE(grupo(2)->caption(), QStringLiteral("Sobremesas"));
        toca(grupo(2));
        QCOMPARE(produto(1)->caption(), QStringLiteral("Pudim"));
        QVERIFY(!produto(36)->glyphEmpty());
        toca(produto(36)); // the stored navigator
        QCOMPARE(produto(2)->caption(), QStringLiteral("Torta"));

        // Renamed and recoloured on product page 2 of group page 2: the stored item changes.
        const QString torta = QStringLiteral("NRBUTTON = '02' AND NRPGCONFTELA = '2' AND NRBUTTONAUX = '02' AND "
                                             "NRPGCONFTAUX = '2'");
        tecla(Qt::Key_F5);
        teclado = {QStringLiteral("Torta de Limão")};
        toca(produto(2));
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(produto(2));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(itens(torta, QStringLiteral("DSBUTTON, NRCOLORBACK")),
                 QList<QVariantList>({{QStringLiteral("Torta de Limão"), 255.0}}));
        QCOMPARE(screen->productPage(), 2);

        presenter->answers = {true};
        tecla(Qt::Key_F3);
        toca(grupo(2));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(conta("NRBUTTONAUX = '02' AND NRPGCONFTAUX = '2'"), 0);
        QCOMPARE(conta("NRBUTTON = '02' AND NRPGCONFTELA = '2'"), 0);
        // Page 1 untouched.
        QCOMPARE(conta("IDTPBUTTON = '2' AND NRPGCONFTELA = '1'"), 6);
        QCOMPARE(conta("NRBUTTONAUX = '02' AND NRPGCONFTAUX = '1'"), 10);
    }

    void entryTakesBranchConfigurationAndStoreFromItsParameters() {
        screen.reset();
        rdmConfGrupo.reset();
        db->exec(QStringLiteral("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, "
                                "IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, "
                                "NRCOLORBACK) VALUES ('0001', '00002', '2', '04', '1', '0', '0', '0', '', 'Filial 1', "
                                "0, 11571344)"));
        const auto abre = [this](const QVariantList& parametros, QString* grupo4, QString* rotulo) {
            bool shown = false;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                auto* tela = qobject_cast<TfrmConfGrupo*>(QApplication::activeModalWidget());
                if (!tela || shown)
                    return;
                shown = true;
                poll.stop();
                *grupo4 = tela->findChild<TTouchButton*>(QStringLiteral("tcbGrupo04"))->caption();
                *rotulo = tela->findChild<QLabel*>(QStringLiteral("lblConfiguracao"))->text();
                QTest::keyClick(tela, Qt::Key_Escape);
            });
            poll.start(10);
            QVariant result;
            Cli_Kmr00003::CriaTelaKmr00003(parametros, result);
            return shown;
        };
        QString g4, rotulo;
        QVERIFY(abre({QVariantMap{{"CDFILIAL", "0001"}, {"NRCONFTELA", "00002"}, {"CDLOJA", "02"}}}, &g4, &rotulo));
        QCOMPARE(g4, QStringLiteral("Filial 1"));
        QCOMPARE(rotulo, QStringLiteral("Filial 0001\nConf. 00002"));

        // Over-wide or empty values: the screen does not open, the reason is shown.
        for (const QVariantMap& ruim :
             {QVariantMap{{"CDFILIAL", "12345"}}, QVariantMap{{"NRCONFTELA", ""}}, QVariantMap{{"CDLOJA", "123"}}}) {
            presenter->calls.clear();
            QVERIFY(!abre({ruim}, &g4, &rotulo));
            QCOMPARE(presenter->calls.size(), 1);
            QVERIFY2(presenter->texts().value(0).contains(QStringLiteral("não")),
                     qPrintable(presenter->texts().value(0)));
        }
        // Elements that are not a map are ignored, as before.
        QVERIFY(abre({QStringLiteral("ignorado"), 42}, &g4, &rotulo));
        QCOMPARE(rotulo, QStringLiteral("Filial 9999\nConf. 00001"));
    }

private:
    void prepareSearch() {
        Pesquisa = [this](ClientDataSet* ds, int, const QString&, int, int, int, int, int) {
            ++pesquisaChamadas;
            return ds->locate(QStringLiteral("CDPRODUTO"), {produtoEscolhido});
        };
    }
};

QTEST_MAIN(TstScreenPaginas)
#include "tst_screen_paginas.moc"
