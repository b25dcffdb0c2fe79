// The keyboard, search and colour screens driven as an operator would: keys
// touched on screen, typed on the physical keyboard, rows picked and swatches chosen.

#include "Operador.h"

#include <ClientDataSet.h>
#include <TecladoToque.h>
#include <TfrmTeclado.h>
#include <Zub00002.h>
#include <Zub00005.h>

#include <QAbstractButton>
#include <QColorDialog>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <memory>

namespace {

const QString kFiltroEspeciais =
    QStringLiteral("(CDPRODUTO <> '0002')AND(CDPRODUTO <> '0003')AND(CDPRODUTO <> '0099')");

void toca(QWidget* tela, const QString& nome) {
    auto* botao = tela->findChild<QAbstractButton*>(nome);
    if (botao == nullptr) {
        qWarning("no control %s", qPrintable(nome));
        return;
    }
    // Keys ignore touches in their first moments on screen.
    if (auto* teclas = qobject_cast<TecladoToque*>(botao->parentWidget())) [[maybe_unused]]
        const bool pronto = QTest::qWaitFor([teclas] { return teclas->aceitaToques(); }, 5000);
    QTest::mouseClick(botao, Qt::LeftButton);
}

void tocaTeclas(QWidget* tela, const QString& texto) {
    for (const QChar c : texto)
        toca(tela, c == QLatin1Char(' ') ? QStringLiteral("tcbEspaco") : TfrmTeclado::nomeTecla(c));
}

// Types on the physical keyboard; QTest::keyClicks knows ASCII only.
void digita(QWidget* campo, const QString& texto) {
    for (const QChar c : texto)
        QTest::sendKeyEvent(QTest::Click, campo, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

// The product catalogue as the configuration screen loads it: a packet with
// more columns than the dataset's persistent fields.
std::unique_ptr<ClientDataSet> catalogo(const QList<QStringList>& linhas) {
    DataPacket pacote({{QStringLiteral("CDARVPROD"), FieldKind::Text, 20},
                       {QStringLiteral("CDPRODUTO"), FieldKind::Text, 10},
                       {QStringLiteral("NMPRODUTO"), FieldKind::Text, 50},
                       {QStringLiteral("CDBARPRODUTO"), FieldKind::Text, 30},
                       {QStringLiteral("SGUNIDADE"), FieldKind::Text, 3}});
    pacote.reserve(int(linhas.size()));
    for (const QStringList& linha : linhas)
        pacote.appendRow({linha.at(1), linha.at(0), linha.at(2), linha.at(3), QStringLiteral("UN")});
    auto ds = std::make_unique<ClientDataSet>(QStringLiteral("cdsPesqProduto"));
    ds->addFieldDef({QStringLiteral("CDPRODUTO"), FieldKind::Text, 10}, false);
    ds->addFieldDef({QStringLiteral("CDARVPROD"), FieldKind::Text, 20}, true, QStringLiteral("Código"));
    ds->addFieldDef({QStringLiteral("NMPRODUTO"), FieldKind::Text, 50}, true, QStringLiteral("Nome"));
    ds->addFieldDef({QStringLiteral("CDBARPRODUTO"), FieldKind::Text, 30}, false);
    ds->setData(QVariant::fromValue(pacote));
    ds->addIndex(QStringLiteral("Index1"), QStringLiteral("CDARVPROD"));
    ds->setIndexName(QStringLiteral("Index1"));
    return ds;
}

// Stored out of code order; with the special products 0002 and 0003 filtered
// out the list shows 01.002, 01.010, 02.001, 03.001.
std::unique_ptr<ClientDataSet> catalogoFiltrado() {
    auto ds = catalogo({{"0001", "03.001", "Pão de Açúcar", "789001"},
                        {"0002", "01.001", "Couvert", ""},
                        {"0003", "02.005", "Consumação mínima", ""},
                        {"0004", "01.002", "Café expresso", "789004"},
                        {"0005", "02.001", "Água mineral", "789005"},
                        {"0006", "01.010", "Bolo de cenoura", ""}});
    ds->setFilter(kFiltroEspeciais);
    ds->setFiltered(true);
    return ds;
}

bool abrePesquisa(ClientDataSet* ds) {
    return Pesquisa(ds, 0, QStringLiteral("S"), 12960962, 14737632, 8683643, 15658734, 0);
}

QStringList colunaDaLista(QWidget* tela, int coluna) {
    QAbstractItemModel* modelo = tela->findChild<QTableView*>(QStringLiteral("grdPesquisa"))->model();
    QStringList textos;
    for (int r = 0; r < modelo->rowCount(); ++r)
        textos << modelo->index(r, coluna).data().toString();
    return textos;
}

int linhasDaLista(QWidget* tela) {
    return tela->findChild<QTableView*>(QStringLiteral("grdPesquisa"))->model()->rowCount();
}

// The list narrows after a short typing pause: wait for it, then count.
int aguardaLinhas(QWidget* tela, const std::function<bool(int)>& pronta) {
    [[maybe_unused]] const bool ok = QTest::qWaitFor([&] { return pronta(linhasDaLista(tela)); }, 10000);
    return linhasDaLista(tela);
}

QVariant escolheCor(const std::function<void(QWidget*)>& passos, QVariant resultado) {
    Operador op;
    op.quando("TfrmSelecionaCor", passos);
    CriaTelaKmr00006(QVariantList{QString()}, resultado);
    return resultado;
}

} // namespace

class TstSiblings : public QObject {
    Q_OBJECT
private slots:
    void tecladoNaTela();
    void tecladoAcentosShiftECaps();
    void tecladoFisicoMantemBrancos();
    void tecladoEscOuCancelarDevolveVazio();

    void pesquisaMostraCamposVisiveisSobOFiltroDoCatalogoEscSai();
    void pesquisaFiltraAoDigitarSemAcentos();
    void pesquisaEnterLogoAposDigitarUsaALista();
    void pesquisaSetasPartemDaLinhaAtual();
    void pesquisaDuploToqueETecladoDaTela();
    void pesquisaVaziaNaoEscolhe();
    void pesquisaCemMilLinhas();

    void corAmostraConfirmada();
    void corPorSetasEEnter();
    void corPersonalizada();
    void corEscDevolveX();
    void corResultadoQueNaoELista();
};

void TstSiblings::tecladoNaTela() {
    Operador op;
    op.quando("TfrmTeclado", [](QWidget* tela) {
        tocaTeclas(tela, QStringLiteral("in"));
        toca(tela, QStringLiteral("tcbShift"));
        tocaTeclas(tela, QStringLiteral("nav = 1"));
        toca(tela, QStringLiteral("tcbConfirmar"));
    });
    QCOMPARE(TecladoAlfaNumerico(0, 0, 0, 0), QStringLiteral("inNav = 1"));
}

void TstSiblings::tecladoAcentosShiftECaps() {
    Operador op;
    op.quando("TfrmTeclado", [](QWidget* tela) {
        toca(tela, QStringLiteral("tcbShift"));
        tocaTeclas(tela, QStringLiteral("çãox")); // shift holds for the first letter only
        toca(tela, QStringLiteral("tcbApagar"));
        tocaTeclas(tela, QStringLiteral(" "));
        toca(tela, QStringLiteral("tcbCaps"));
        tocaTeclas(tela, QStringLiteral("éõàâêíóôú"));
        toca(tela, QStringLiteral("tcbShift")); // shift under caps gives a small letter
        tocaTeclas(tela, QStringLiteral("á"));
        toca(tela, QStringLiteral("tcbCaps"));
        tocaTeclas(tela, QStringLiteral("'d"));
        QTest::keyClick(tela->findChild<QLineEdit*>(QStringLiteral("edtTexto")), Qt::Key_Return);
    });
    QCOMPARE(TecladoAlfaNumerico(0, 0, 0, 0), QStringLiteral("Ção ÉÕÀÂÊÍÓÔÚá'd"));
}

void TstSiblings::tecladoFisicoMantemBrancos() {
    Operador op;
    op.quando("TfrmTeclado", [](QWidget* tela) {
        auto* edt = tela->findChild<QLineEdit*>(QStringLiteral("edtTexto"));
        QTest::keyClicks(edt, QStringLiteral("lixo"));
        toca(tela, QStringLiteral("tcbLimpar"));
        digita(edt, QStringLiteral(" Pão de Açúcar  "));
        QTest::keyClick(edt, Qt::Key_Enter);
    });
    QCOMPARE(TecladoAlfaNumerico(0, 0, 0, 0), QStringLiteral(" Pão de Açúcar  "));
}

void TstSiblings::tecladoEscOuCancelarDevolveVazio() {
    Operador op;
    op.quando("TfrmTeclado", [](QWidget* tela) {
        QTest::keyClicks(tela->findChild<QLineEdit*>(QStringLiteral("edtTexto")), QStringLiteral("abc"));
        QTest::keyClick(tela->findChild<QLineEdit*>(QStringLiteral("edtTexto")), Qt::Key_Escape);
    });
    QCOMPARE(TecladoAlfaNumerico(0, 0, 0, 0), QString());

    op.quando("TfrmTeclado", [](QWidget* tela) {
        tocaTeclas(tela, QStringLiteral("abc"));
        toca(tela, QStringLiteral("tcbCancelar"));
    });
    QCOMPARE(TecladoAlfaNumerico(0, 0, 0, 0), QString());
}

void TstSiblings::pesquisaMostraCamposVisiveisSobOFiltroDoCatalogoEscSai() {
    auto ds = catalogoFiltrado();
    ds->setRecNo(1);
    QStringList cabecalhos, codigos, nomes;
    Operador op;
    op.quando("TfrmPesquisa", [&](QWidget* tela) {
        QAbstractItemModel* modelo = tela->findChild<QTableView*>(QStringLiteral("grdPesquisa"))->model();
        for (int c = 0; c < modelo->columnCount(); ++c)
            cabecalhos << modelo->headerData(c, Qt::Horizontal).toString();
        codigos = colunaDaLista(tela, 0);
        nomes = colunaDaLista(tela, 1);
        auto* edt = tela->findChild<QLineEdit*>(QStringLiteral("edtFiltro"));
        QTest::keyClick(edt, Qt::Key_Down);
        QTest::keyClick(edt, Qt::Key_Escape);
    });
    QVERIFY(!abrePesquisa(ds.get()));
    QCOMPARE(cabecalhos, QStringList({"Código", "Nome"}));
    QCOMPARE(codigos, QStringList({"01.002", "01.010", "02.001", "03.001"}));
    QCOMPARE(nomes.at(2), QStringLiteral("Água mineral"));
    QCOMPARE(ds->filter(), kFiltroEspeciais);
    QVERIFY(ds->filtered());
    QCOMPARE(ds->recNo(), 1); // leaving picks nothing
}

void TstSiblings::pesquisaFiltraAoDigitarSemAcentos() {
    auto ds = catalogoFiltrado();
    int linhasCafe = -1, linhasAgua = -1, linhasCouvert = -1;
    Operador op;
    op.quando("TfrmPesquisa", [&](QWidget* tela) {
        auto* edt = tela->findChild<QLineEdit*>(QStringLiteral("edtFiltro"));
        QTest::keyClicks(edt, QStringLiteral("CAFE"));
        linhasCafe = aguardaLinhas(tela, [](int n) { return n == 1; });
        edt->clear();
        QTest::keyClicks(edt, QStringLiteral("couvert")); // present in the dataset, filtered out by the caller
        linhasCouvert = aguardaLinhas(tela, [](int n) { return n == 0; });
        edt->clear();
        QTest::keyClicks(edt, QStringLiteral("min agua")); // every word, in any order
        linhasAgua = aguardaLinhas(tela, [](int n) { return n == 1; });
        QTest::keyClick(edt, Qt::Key_Return);
    });
    QVERIFY(abrePesquisa(ds.get()));
    QCOMPARE(linhasCafe, 1);
    QCOMPARE(linhasCouvert, 0);
    QCOMPARE(linhasAgua, 1);
    QCOMPARE(ds->fieldText(u"CDPRODUTO"), QStringLiteral("0005"));
    QCOMPARE(ds->filter(), kFiltroEspeciais);
    QVERIFY(ds->filtered());
    QCOMPARE(ds->recordCount(), 4);
}

void TstSiblings::pesquisaEnterLogoAposDigitarUsaALista() {
    auto ds = catalogoFiltrado();
    Operador op;
    op.quando("TfrmPesquisa", [](QWidget* tela) {
        auto* edt = tela->findChild<QLineEdit*>(QStringLiteral("edtFiltro"));
        QTest::keyClicks(edt, QStringLiteral("acucar"));
        QTest::keyClick(edt, Qt::Key_Enter); // before the typing pause has passed
    });
    QVERIFY(abrePesquisa(ds.get()));
    QCOMPARE(ds->fieldText(u"NMPRODUTO"), QStringLiteral("Pão de Açúcar"));
}

void TstSiblings::pesquisaSetasPartemDaLinhaAtual() {
    auto ds = catalogoFiltrado();
    ds->setRecNo(3); // 03.001
    Operador op;
    op.quando("TfrmPesquisa", [](QWidget* tela) {
        auto* edt = tela->findChild<QLineEdit*>(QStringLiteral("edtFiltro"));
        QTest::keyClick(edt, Qt::Key_Up);
        QTest::keyClick(edt, Qt::Key_Up);
        QTest::keyClick(edt, Qt::Key_Down);
        QTest::keyClick(edt, Qt::Key_Return);
    });
    QVERIFY(abrePesquisa(ds.get()));
    QCOMPARE(ds->recNo(), 2);
    QCOMPARE(ds->fieldText(u"CDARVPROD"), QStringLiteral("02.001"));
}

void TstSiblings::pesquisaDuploToqueETecladoDaTela() {
    auto ds = catalogoFiltrado();
    Operador op;
    op.quando("TfrmPesquisa", [](QWidget* tela) {
        auto* grade = tela->findChild<QTableView*>(QStringLiteral("grdPesquisa"));
        const QRect linha = grade->visualRect(grade->model()->index(1, 1));
        // A double tap arrives as press, release, double click.
        QTest::mouseClick(grade->viewport(), Qt::LeftButton, {}, linha.center());
        QTest::mouseDClick(grade->viewport(), Qt::LeftButton, {}, linha.center());
    });
    QVERIFY(abrePesquisa(ds.get()));
    QCOMPARE(ds->fieldText(u"CDARVPROD"), QStringLiteral("01.010"));

    // The docked keyboard types the filter; the search ignores accents.
    int linhas = -1;
    op.quando("TfrmPesquisa", [&](QWidget* tela) {
        tocaTeclas(tela, QStringLiteral("acu"));
        linhas = linhasDaLista(tela);
        toca(tela, QStringLiteral("tcbEscolher"));
    });
    QVERIFY(abrePesquisa(ds.get()));
    QCOMPARE(linhas, 1);
    QCOMPARE(ds->fieldText(u"CDPRODUTO"), QStringLiteral("0001"));
}

void TstSiblings::pesquisaVaziaNaoEscolhe() {
    auto ds = catalogo({});
    bool escolherHabilitado = true;
    bool abertaAposEnter = false;
    Operador op;
    op.quando("TfrmPesquisa", [&](QWidget* tela) {
        escolherHabilitado = tela->findChild<QAbstractButton*>(QStringLiteral("tcbEscolher"))->isEnabled();
        QTest::keyClick(tela->findChild<QLineEdit*>(QStringLiteral("edtFiltro")), Qt::Key_Return);
        abertaAposEnter = tela->isVisible();
        QTest::keyClick(tela->findChild<QLineEdit*>(QStringLiteral("edtFiltro")), Qt::Key_Escape);
    });
    QVERIFY(!abrePesquisa(ds.get()));
    QVERIFY(!escolherHabilitado);
    QVERIFY(abertaAposEnter);

    ClientDataSet fechado;
    QVERIFY(!abrePesquisa(&fechado));
    QVERIFY(!abrePesquisa(nullptr));
}

void TstSiblings::pesquisaCemMilLinhas() {
    QList<QStringList> linhas;
    const int total = 100000;
    linhas.reserve(total);
    for (int i = total - 1; i >= 0; --i) {
        const QString n = QString::number(i).rightJustified(6, QLatin1Char('0'));
        linhas.append({n, QStringLiteral("P") + n, QStringLiteral("Produto número ") + n, QString()});
    }
    auto ds = catalogo(linhas);
    int linhasVistas = -1;
    qsizetype controles = -1;
    Operador op;
    op.quando("TfrmPesquisa", [&](QWidget* tela) {
        auto* grade = tela->findChild<QTableView*>(QStringLiteral("grdPesquisa"));
        linhasVistas = grade->model()->rowCount();
        controles = tela->findChildren<QWidget*>().size();
        grade->scrollToBottom();
        const QModelIndex ultimaLinha = grade->model()->index(total - 1, 0);
        [[maybe_unused]] const bool rolou = QTest::qWaitFor(
            [&] { return grade->viewport()->rect().contains(grade->visualRect(ultimaLinha).center()); }, 5000);
        const QRect ultima = grade->visualRect(ultimaLinha);
        QTest::mouseClick(grade->viewport(), Qt::LeftButton, {}, ultima.center());
        toca(tela, QStringLiteral("tcbEscolher"));
    });
    QVERIFY(abrePesquisa(ds.get()));
    QCOMPARE(linhasVistas, total);
    QVERIFY2(controles < 100, "the list must not create a control per row");
    QCOMPARE(ds->fieldText(u"CDARVPROD"), QStringLiteral("P099999"));

    int filtradas = -1;
    op.quando("TfrmPesquisa", [&](QWidget* tela) {
        auto* edt = tela->findChild<QLineEdit*>(QStringLiteral("edtFiltro"));
        QTest::keyClicks(edt, QStringLiteral("numero 04242"));
        filtradas = aguardaLinhas(tela, [total](int n) { return n < total; });
        QTest::keyClick(edt, Qt::Key_Return);
    });
    QVERIFY(abrePesquisa(ds.get()));
    QCOMPARE(filtradas, 11); // 004242, then 042420 to 042429
    QCOMPARE(ds->fieldText(u"CDPRODUTO"), QStringLiteral("004242"));
}

void TstSiblings::corAmostraConfirmada() {
    QVariantList inicial(10);
    inicial[3] = QStringLiteral("mantido");
    const QVariant vermelho = escolheCor(
        [](QWidget* tela) {
            toca(tela, QStringLiteral("tcbCorAzul"));
            toca(tela, QStringLiteral("tcbCorVermelho")); // the last touch counts
            toca(tela, QStringLiteral("tcbConfirmar"));
        },
        inicial);
    const QVariantList lista = vermelho.toList();
    QCOMPARE(lista.size(), 10);
    QCOMPARE(lista.at(0).toString(), QStringLiteral("255"));
    QCOMPARE(lista.at(3).toString(), QStringLiteral("mantido"));

    const QVariant azul = escolheCor(
        [](QWidget* tela) {
            toca(tela, QStringLiteral("tcbConfirmar")); // nothing chosen yet: stays open
            toca(tela, QStringLiteral("tcbCorAzul"));
            toca(tela, QStringLiteral("tcbConfirmar"));
        },
        QVariantList(10));
    QCOMPARE(azul.toList().at(0).toString(), QStringLiteral("16711680"));
}

void TstSiblings::corPorSetasEEnter() {
    // From no choice, Right takes the first swatch; Right, then Down one row of eight.
    const QVariant resultado = escolheCor(
        [](QWidget* tela) {
            QTest::keyClick(tela, Qt::Key_Right);
            QTest::keyClick(tela, Qt::Key_Right);
            QTest::keyClick(tela, Qt::Key_Down);
            QTest::keyClick(tela, Qt::Key_Up);
            QTest::keyClick(tela, Qt::Key_Left); // at the first swatch: stays
            QTest::keyClick(tela, Qt::Key_Left);
            QTest::keyClick(tela, Qt::Key_Down);
            QTest::keyClick(tela, Qt::Key_Right);
            QTest::keyClick(tela, Qt::Key_Return);
        },
        QVariantList(10));
    QCOMPARE(resultado.toList().at(0).toString(), QStringLiteral("128")); // Vinho: red 128
}

void TstSiblings::corPersonalizada() {
    Operador op;
    const QVariant resultado = escolheCor(
        [&op](QWidget* tela) {
            op.quando("QColorDialog", [](QWidget* dialogo) {
                auto* cores = static_cast<QColorDialog*>(dialogo);
                cores->setCurrentColor(QColor(1, 2, 3));
                cores->accept();
            });
            toca(tela, QStringLiteral("tcbPersonalizada"));
            QTest::keyClick(tela, Qt::Key_Enter);
        },
        QVariantList(10));
    QCOMPARE(resultado.toList().at(0).toString(), QStringLiteral("197121")); // 1 + 2*256 + 3*65536
}

void TstSiblings::corEscDevolveX() {
    const QVariant resultado = escolheCor(
        [](QWidget* tela) {
            toca(tela, QStringLiteral("tcbCorVerde")); // chosen but not confirmed
            QTest::keyClick(tela, Qt::Key_Escape);
        },
        QVariantList(10));
    QCOMPARE(resultado.toList().at(0).toString(), QStringLiteral("X"));

    const QVariant cancelado =
        escolheCor([](QWidget* tela) { toca(tela, QStringLiteral("tcbCancelar")); }, QVariantList(10));
    QCOMPARE(cancelado.toList().at(0).toString(), QStringLiteral("X"));
}

void TstSiblings::corResultadoQueNaoELista() {
    const auto sai = [](QWidget* tela) { QTest::keyClick(tela, Qt::Key_Escape); };
    for (const QVariant& estranho : {QVariant(), QVariant(QStringLiteral("abc")), QVariant(QVariantList())}) {
        const QVariant resultado = escolheCor(sai, estranho);
        QCOMPARE(resultado.toList().size(), 10);
        QCOMPARE(resultado.toList().at(0).toString(), QStringLiteral("X"));
    }
}

QTEST_MAIN(TstSiblings)
#include "tst_siblings.moc"
