// The search list marks every product of the configuration already on the
// menu, by product code, wherever it stands: the real list opened over the
// catalogue the screen offers, on both engines. Set KALMORA_TEST_SHOTS to a
// folder to keep a picture of the list with its marks.

#include "ScreenFixture.h"

#include <ClientDataSet.h>
#include <TTouchButton.h>
#include <TfrmPesquisa.h>

#include <QAbstractItemModel>
#include <QDir>
#include <QTableView>
#include <QTest>

class TstScreenNoCardapio : public ScreenFixture {
    Q_OBJECT
private:
    // The marks of the real search list, by product code, as the operator reads them.
    QHash<QString, QString> marcas;
    QString cabecalho;

    // emVista: the product whose row the picture shows.
    void abreListaReal(const QString& emVista) {
        Pesquisa = [this, emVista](ClientDataSet* ds, int, const QString&, int c1, int c2, int c3, int c5, int,
                                   const OpcoesPesquisa& opcoes) {
            opcoesPesquisa = opcoes;
            TfrmPesquisa lista(ds, c1, c2, c3, c5, opcoes, screen.get());
            lista.show();
            if (!QTest::qWaitForWindowExposed(&lista))
                return false;
            auto* grade = lista.findChild<QTableView*>(QStringLiteral("grdPesquisa"));
            if (grade == nullptr)
                return false;
            const QAbstractItemModel* m = grade->model();
            const int coluna = m->columnCount() - 1;
            cabecalho = m->headerData(coluna, Qt::Horizontal).toString();
            const int codigo = ds->fieldIndex(u"CDPRODUTO");
            for (int r = 0; r < m->rowCount(); ++r)
                marcas.insert(ds->visibleValue(r, codigo).toString(), m->index(r, coluna).data().toString());
            if (const QString pasta = qEnvironmentVariable("KALMORA_TEST_SHOTS"); !pasta.isEmpty()) {
                for (int r = 0; r < m->rowCount(); ++r)
                    if (ds->visibleValue(r, codigo).toString() == emVista)
                        grade->scrollTo(m->index(r, 0), QAbstractItemView::PositionAtCenter);
                lista.grab().save(QDir(pasta).filePath(
                    QStringLiteral("pesquisa_no_cardapio_%1_%2.png")
                        .arg(QLatin1String(QTest::currentTestFunction()), QLatin1String(QTest::currentDataTag()))));
            }
            return false; // left without a pick
        };
    }

private slots:
    void productsAnywhereOnTheMenuAreMarkedByCode_data() { engines(); }
    void productsAnywhereOnTheMenuAreMarkedByCode() {
        // A juice under "Pratos" (group 03), on its product page 2, with a
        // caption of its own: it is found by its code, not by its name.
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, "
            "DTULTATUITCT) VALUES ('9999', '00001', '1', '05', '2', '2', '03', '1', '102001', 'Laranja da casa', 0, "
            "11571344, '', '2026-03-01 10:00:00')"));
        // The same product in another configuration does not count.
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, "
            "DTULTATUITCT) VALUES ('9999', '00002', '1', '01', '1', '2', '01', '1', '101011', 'Coca 2L', 0, "
            "11571344, '', '2026-03-01 10:00:00')"));
        const int antes = conta(QStringLiteral("1 = 1"));
        abreListaReal(QStringLiteral("102001"));
        TTouchButton* vazio = produto(11); // group 01 has ten products
        QVERIFY(vazio->caption().isEmpty());
        toca(vazio);

        QCOMPARE(cabecalho, QStringLiteral("Já no cardápio"));
        QCOMPARE(marcas.value(QStringLiteral("102001")), QStringLiteral("Pratos / p.2 / 05"));
        QCOMPARE(marcas.value(QStringLiteral("201003")), QStringLiteral("Lanches / p.1 / 03"));
        QCOMPARE(marcas.value(QStringLiteral("101001")), QStringLiteral("Bebidas / p.1 / 01"));
        QVERIFY(marcas.contains(QStringLiteral("101011")));
        QCOMPARE(marcas.value(QStringLiteral("101011")), QString()); // not on this menu
        QCOMPARE(marcas.value(QStringLiteral("102002")), QString());
        // One read covers the whole configuration, the focused page included.
        int marcados = 0;
        for (const QString& m : std::as_const(marcas))
            marcados += m.isEmpty() ? 0 : 1;
        QCOMPARE(marcados, conta(QStringLiteral("IDTPBUTTON = '1'")));
        QCOMPARE(conta(QStringLiteral("1 = 1")), antes); // nothing picked, nothing written
    }

    void aProductTwiceOnTheMenuShowsBothPlaces_data() { engines(); }
    void aProductTwiceOnTheMenuShowsBothPlaces() {
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, "
            "DTULTATUITCT) VALUES ('9999', '00001', '1', '36', '1', '2', '02', '1', '101001', 'Coca no lanche', 0, "
            "11571344, '', '2026-03-01 10:00:00')"));
        abreListaReal(QStringLiteral("101001"));
        toca(produto(11));
        QCOMPARE(marcas.value(QStringLiteral("101001")), QStringLiteral("Bebidas / p.1 / 01; Lanches / p.1 / 36"));
    }
};

QTEST_MAIN(TstScreenNoCardapio)
#include "tst_screen_nocardapio.moc"
