// What the screen tells the keyboard, search and colour screens: which
// button the text is for, the current caption on a rename, the caption limit,
// the products already on the menu, and which colour is being chosen.

#include "ScreenFixture.h"

#include <TTouchButton.h>
#include <TfrmConfGrupo.h>

#include <QTest>

#include <algorithm>

class TstScreenDialogos : public ScreenFixture {
    Q_OBJECT
private slots:
    void tecladoPesquisaECorRecebemOContexto() {
        teclado = {QStringLiteral("Sucos Naturais")};
        toca(grupo(7));
        QVERIFY(opcoesTeclado.titulo.contains(QStringLiteral("botão 07")));
        QVERIFY(opcoesTeclado.titulo.contains(QStringLiteral("inNav = 1")));
        QCOMPARE(opcoesTeclado.textoInicial, QString());
        QCOMPARE(opcoesTeclado.limite, 50);

        produtoEscolhido = QStringLiteral("101001");
        toca(produto(7));
        QVERIFY(opcoesPesquisa.titulo.contains(QStringLiteral("botão 07")));
        for (const ProdutoNoCardapio& p : opcoesPesquisa.noCardapio) // the group's page was empty
            QVERIFY2(!p.local.startsWith(QStringLiteral("Sucos Naturais")), qPrintable(p.local));
        const qsizetype noMenu = opcoesPesquisa.noCardapio.size();

        // The product just placed is marked when the next one is picked.
        produtoEscolhido = QStringLiteral("101003");
        toca(produto(2));
        QCOMPARE(opcoesPesquisa.noCardapio.size(), noMenu + 1);
        const auto novo = std::find_if(opcoesPesquisa.noCardapio.cbegin(), opcoesPesquisa.noCardapio.cend(),
                                       [](const ProdutoNoCardapio& p) { return p.local.startsWith(u"Sucos"); });
        QVERIFY(novo != opcoesPesquisa.noCardapio.cend());
        QCOMPARE(novo->codigo, QStringLiteral("101001"));
        QCOMPARE(novo->nome, QStringLiteral("Coca-Cola Lata 350ml"));
        QCOMPARE(novo->local, QStringLiteral("Sucos Naturais / p.1 / 07"));
        QVERIFY(opcoesPesquisa.titulo.contains(QStringLiteral("\"Sucos Naturais\"")));

        // A rename starts from the caption on the button.
        tecla(Qt::Key_F5);
        teclado = {QStringLiteral("Coca Gelada")};
        toca(produto(7));
        QCOMPARE(opcoesTeclado.textoInicial, QStringLiteral("Coca-Cola Lata 350ml"));
        QCOMPARE(opcoesTeclado.titulo, QStringLiteral("Novo nome para \"Coca-Cola Lata 350ml\""));
        QCOMPARE(opcoesTeclado.limite, 50);
        tecla(Qt::Key_F5);
        teclado = {QStringLiteral("Sucos")};
        toca(grupo(7));
        QCOMPARE(opcoesTeclado.textoInicial, QStringLiteral("Sucos Naturais"));
        QCOMPARE(grupo(7)->caption(), QStringLiteral("Sucos"));

        cores = {QStringLiteral("X")};
        tecla(Qt::Key_F7);
        QCOMPARE(opcoesCor.titulo, QStringLiteral("Cor de fundo"));
        cores = {QStringLiteral("X")};
        tecla(Qt::Key_F4);
        QCOMPARE(opcoesCor.titulo, QStringLiteral("Cor do texto"));
        QCOMPARE(corChamadas, 2);
    }
};

QTEST_MAIN(TstScreenDialogos)
#include "tst_screen_dialogos.moc"
