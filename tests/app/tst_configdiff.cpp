// The comparison of two configurations on its own: what counts as the same
// position and the same look, and the order of the lines.

#include <ConfigDiff.h>

#include <QTest>

using ConfigDiff::Botao;
using ConfigDiff::Itens;

namespace {

Botao grupo(const char* botao, const char* nome, const char* pagina = "1") {
    return Botao{"2", botao, pagina, "0", "0", "0", nome, {}, {}, 0.0, 11571344.0};
}

Botao produto(const char* grupoBotao, const char* pagina, const char* botao, const char* nome) {
    return Botao{"1", botao, pagina, "2", grupoBotao, "1", nome, "100", {}, 0.0, 11571344.0};
}

DataPacket pacote(const QList<QVariantList>& linhas) {
    DataPacket p({{QStringLiteral("IDTPBUTTON"), FieldKind::Text, 1},
                  {QStringLiteral("NRBUTTON"), FieldKind::Text, 5},
                  {QStringLiteral("NRPGCONFTELA"), FieldKind::Text, 2},
                  {QStringLiteral("IDTPBUTONAUX"), FieldKind::Text, 1},
                  {QStringLiteral("NRBUTTONAUX"), FieldKind::Text, 2},
                  {QStringLiteral("NRPGCONFTAUX"), FieldKind::Text, 2},
                  {QStringLiteral("DSBUTTON"), FieldKind::Text, 50},
                  {QStringLiteral("NRCOLORBACK"), FieldKind::Float, 0}});
    for (const QVariantList& l : linhas)
        p.appendRow(l);
    return p;
}

} // namespace

class TstConfigDiff : public QObject {
    Q_OBJECT
private slots:
    void coloursAreShownAsTheStoreAndAsRgb() {
        QCOMPARE(ConfigDiff::textoCor(11571344.0), QStringLiteral("11571344 (#9090B0)"));
        QCOMPARE(ConfigDiff::textoCor(255.0), QStringLiteral("255 (#FF0000)"));
        QCOMPARE(ConfigDiff::textoCor(std::nullopt), QStringLiteral("(sem cor)"));
        QCOMPARE(ConfigDiff::textoCor(1.5), QStringLiteral("1.5"));
        QCOMPARE(ConfigDiff::textoCor(-1.0), QStringLiteral("-1"));
    }

    void positionsAreTextAndLooksAreCompared() {
        // "1" and "01" are two positions; a missing caption is an empty one;
        // a missing colour is not black.
        Botao semNome = grupo("03", "");
        Botao nomeNulo = grupo("03", "");
        nomeNulo.nome = QString();
        Botao semCor = grupo("04", "Pratos");
        semCor.corFundo.reset();
        const QStringList linhas =
            ConfigDiff::diferencas(Itens{{grupo("01", "Bebidas"), semNome, grupo("04", "Pratos")}},
                                   Itens{{grupo("1", "Bebidas"), nomeNulo, semCor}});
        QCOMPARE(linhas, QStringList({"Grupo p.1 / 01 \"Bebidas\": excluído", "Grupo p.1 / 1 \"Bebidas\": incluído",
                                      "Grupo p.1 / 04 \"Pratos\": cor do botão 11571344 (#9090B0) → (sem cor)"}));
        QVERIFY(ConfigDiff::diferencas(Itens{{semNome}}, Itens{{nomeNulo}}).isEmpty());
        // A caption of two lines stays on the button's one line.
        QCOMPARE(ConfigDiff::diferencas(Itens{{grupo("05", "Dois\nlinhas")}}, Itens{}),
                 QStringList({"Grupo p.1 / 05 \"Dois↵linhas\": excluído"}));
        // A column one side does not carry is not compared.
        QVERIFY(ConfigDiff::diferencas(Itens{{grupo("04", "Pratos")}, ConfigDiff::Todos & ~ConfigDiff::CorFundo},
                                       Itens{{semCor}})
                    .isEmpty());
    }

    void linesComeInTheOrderOfTheMenu() {
        const QList<Botao> antes{produto("10", "1", "01", "A"), produto("02", "10", "01", "B"),
                                 produto("02", "9", "01", "C"), grupo("02", "Lanches"), grupo("01", "X", "10")};
        const QStringList linhas = ConfigDiff::diferencas(Itens{antes}, Itens{});
        QCOMPARE(linhas, QStringList({"Grupo p.1 / 02 \"Lanches\": excluído", "Grupo p.10 / 01 \"X\": excluído",
                                      "Produto Lanches / p.9 / 01 (grupo p.1 / 02) \"C\": excluído",
                                      "Produto Lanches / p.10 / 01 (grupo p.1 / 02) \"B\": excluído",
                                      "Produto p.1 / 01 do grupo p.1 / 10 \"A\": excluído"}));
    }

    void packetsBecomeButtonsOrAreRefused() {
        const auto lidos = ConfigDiff::botoes(pacote({{"2", "01", "1", "0", "0", "0", QVariant(), 255.0}}));
        QVERIFY(std::holds_alternative<Itens>(lidos));
        QCOMPARE(std::get<Itens>(lidos).campos, unsigned(ConfigDiff::Nome | ConfigDiff::CorFundo));
        const QList<Botao>& b = std::get<Itens>(lidos).botoes;
        QCOMPARE(b.size(), 1);
        QVERIFY(b[0].nome.isEmpty());
        QCOMPARE(b[0].corFundo, std::optional<double>(255.0));
        QVERIFY(!b[0].corTexto); // the packet has no such column

        const auto vazio = ConfigDiff::botoes(pacote({{"2", "", "1", "0", "0", "0", "A", 0.0}}));
        QCOMPARE(std::get<QString>(vazio), QStringLiteral("item 1: a coluna de posição NRBUTTON está vazia."));
        const auto dupla = ConfigDiff::botoes(pacote({{"2", "01", "1", "0", "0", "0", "A", 0.0},
                                                      {"2", "02", "1", "0", "0", "0", "B", 0.0},
                                                      {"2", "01", "1", "0", "0", "0", "C", 0.0}}));
        QCOMPARE(std::get<QString>(dupla), QStringLiteral("item 3: a mesma posição de item 1."));
        const auto semColuna = ConfigDiff::botoes(DataPacket({{QStringLiteral("IDTPBUTTON"), FieldKind::Text, 1}}));
        QCOMPARE(std::get<QString>(semColuna), QStringLiteral("falta a coluna de posição NRBUTTON."));
    }
};

QTEST_GUILESS_MAIN(TstConfigDiff)
#include "tst_configdiff.moc"
