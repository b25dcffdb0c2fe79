// The keyboard, search and colour screens used with one finger: touches are
// mouse presses and releases at widget coordinates, as resistive till panels
// report them. Set KALMORA_TEST_SHOTS to a folder to keep a picture of each
// screen as the operator sees it.

#include "Operador.h"

#include <CampoTexto.h>
#include <ClientDataSet.h>
#include <ClientDataSetModel.h>
#include <PesquisaFiltroModel.h>
#include <TecladoToque.h>
#include <TfrmPesquisa.h>
#include <TfrmSelecionaCor.h>
#include <TfrmTeclado.h>
#include <Zub00002.h>
#include <Zub00005.h>

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QScroller>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

void foto(QWidget* tela, const QString& nome) {
    const QString pasta = qEnvironmentVariable("KALMORA_TEST_SHOTS");
    if (!pasta.isEmpty())
        tela->grab().save(QDir(pasta).filePath(nome + QStringLiteral(".png")));
}

void aguardaTeclas(QWidget* tela) {
    auto* teclas = tela->findChild<TecladoToque*>();
    QVERIFY(teclas != nullptr);
    QVERIFY(QTest::qWaitFor([teclas] { return teclas->aceitaToques(); }, 5000));
}

void toca(QWidget* tela, const QString& nome) {
    auto* botao = tela->findChild<QAbstractButton*>(nome);
    QVERIFY2(botao != nullptr, qPrintable(nome));
    QTest::mouseClick(botao, Qt::LeftButton, {}, botao->rect().center());
}

void tocaTeclas(QWidget* tela, const QString& texto) {
    for (const QChar c : texto)
        toca(tela, c == QLatin1Char(' ') ? QStringLiteral("tcbEspaco") : TecladoToque::nomeTecla(c));
}

QLineEdit* campo(QWidget* tela, const char* nome) {
    return tela->findChild<QLineEdit*>(QLatin1String(nome));
}

QString texto(QWidget* tela, const char* nomeRotulo) {
    auto* rotulo = tela->findChild<QLabel*>(QLatin1String(nomeRotulo));
    return rotulo ? rotulo->text() : QStringLiteral("<sem rótulo>");
}

QString teclado(const OpcoesTeclado& opcoes, std::function<void(QWidget*)> passos) {
    Operador op;
    op.quando("TfrmTeclado", std::move(passos));
    return TecladoAlfaNumerico(0, 0, 0, 0, opcoes);
}

// A catalogue as the configuration screen loads it: hidden code, visible tree code and name.
std::unique_ptr<ClientDataSet> catalogo(int linhas) {
    DataPacket pacote({{QStringLiteral("CDPRODUTO"), FieldKind::Text, 10},
                       {QStringLiteral("CDARVPROD"), FieldKind::Text, 20},
                       {QStringLiteral("NMPRODUTO"), FieldKind::Text, 50}});
    const QStringList nomes = {QStringLiteral("Café expresso"), QStringLiteral("Água mineral"),
                               QStringLiteral("Pão de queijo"), QStringLiteral("Suco de laranja")};
    for (int i = 0; i < linhas; ++i) {
        const QString n = QString::number(i + 1).rightJustified(4, QLatin1Char('0'));
        const QString nome = i < nomes.size() ? nomes.at(i) : QStringLiteral("Produto ") + n;
        pacote.appendRow({n, QStringLiteral("01.") + n, nome});
    }
    auto ds = std::make_unique<ClientDataSet>(QStringLiteral("cdsPesqProduto"));
    ds->addFieldDef({QStringLiteral("CDPRODUTO"), FieldKind::Text, 10}, false);
    ds->addFieldDef({QStringLiteral("CDARVPROD"), FieldKind::Text, 20}, true, QStringLiteral("Código"));
    ds->addFieldDef({QStringLiteral("NMPRODUTO"), FieldKind::Text, 50}, true, QStringLiteral("Nome"));
    ds->setData(QVariant::fromValue(pacote));
    return ds;
}

bool pesquisa(ClientDataSet* ds, const OpcoesPesquisa& opcoes, std::function<void(QWidget*)> passos) {
    Operador op;
    op.quando("TfrmPesquisa", std::move(passos));
    return Pesquisa(ds, 0, QStringLiteral("S"), 12960962, 14737632, 8683643, 15658734, 0, opcoes);
}

QTableView* grade(QWidget* tela) {
    return tela->findChild<QTableView*>(QStringLiteral("grdPesquisa"));
}

int linhasVisiveis(QTableView* g) {
    return g->viewport()->height() / g->verticalHeader()->defaultSectionSize();
}

QString colorTitle(const OpcoesCor& opcoes) {
    QString titulo;
    Operador op;
    op.quando("TfrmSelecionaCor", [&](QWidget* tela) {
        titulo = texto(tela, "lblTitulo");
        foto(tela, QStringLiteral("cor_") + (opcoes.titulo.isEmpty() ? QStringLiteral("padrao") : opcoes.titulo));
        QTest::keyClick(tela, Qt::Key_Escape);
    });
    QVariant resultado(QVariantList(10));
    CriaTelaKmr00006(QVariantList{QString()}, resultado, opcoes);
    return titulo;
}

} // namespace

class TstSiblingsToque : public QObject {
    Q_OBJECT
private slots:
    void renomearComecaDoNomeAtualEditadoComOCursor();
    void limiteDeCaracteresComContador();
    void caracteresDeControleNuncaEntram();
    void toqueDeAberturaIgnorado();

    void tecladoEncaixadoEstreitaAListaVisivel();
    void arrastarRolaSemEscolherETocarEscolhe();
    void produtoJaNoCardapioMarcado();
    void filtroDaListaIgualAoDeCadaLinha();

    void corTituloDeCadaChamadaERodapeFixo();
};

void TstSiblingsToque::renomearComecaDoNomeAtualEditadoComOCursor() {
    OpcoesTeclado opcoes{QStringLiteral("Novo nome para \"Lanchs\""), QStringLiteral("Lanchs"), 50};
    QString titulo, selecionado;
    const QString corrigido = teclado(opcoes, [&](QWidget* tela) {
        titulo = texto(tela, "lblTitulo");
        selecionado = campo(tela, "edtTexto")->selectedText();
        aguardaTeclas(tela);
        // A touch in the field puts the cursor there; the typo is mended in place.
        auto* edt = campo(tela, "edtTexto");
        QTest::mouseClick(edt, Qt::LeftButton, {}, QPoint(edt->width() - 10, edt->height() / 2));
        QTest::keyClick(edt, Qt::Key_Left);
        tocaTeclas(tela, QStringLiteral("e"));
        foto(tela, QStringLiteral("teclado_renomear"));
        toca(tela, QStringLiteral("tcbConfirmar"));
    });
    QCOMPARE(titulo, opcoes.titulo);
    QCOMPARE(selecionado, QStringLiteral("Lanchs"));
    QCOMPARE(corrigido, QStringLiteral("Lanches"));

    // Typing over the selection replaces the whole name.
    opcoes.textoInicial = QStringLiteral("Lanches");
    const QString novo = teclado(opcoes, [](QWidget* tela) {
        aguardaTeclas(tela);
        tocaTeclas(tela, QStringLiteral("bar"));
        QTest::keyClick(campo(tela, "edtTexto"), Qt::Key_Return);
    });
    QCOMPARE(novo, QStringLiteral("bar"));
}

void TstSiblingsToque::limiteDeCaracteresComContador() {
    QStringList contadores;
    bool piscouNaTecla = false, piscouNoTeclado = false, piscouNaColagem = false;
    const QString resultado = teclado(
        {QStringLiteral("Nome do novo grupo (botão 06) — ou inNav = 1 / inNav = 2 para um navegador"), QString(), 5},
        [&](QWidget* tela) {
            auto* t = static_cast<TfrmTeclado*>(tela);
            auto* edt = campo(tela, "edtTexto");
            contadores << texto(tela, "lblContador");
            foto(tela, QStringLiteral("teclado_vazio"));
            aguardaTeclas(tela);
            tocaTeclas(tela, QStringLiteral("abcd"));
            foto(tela, QStringLiteral("teclado_digitando"));
            tocaTeclas(tela, QStringLiteral("e"));
            contadores << texto(tela, "lblContador");
            QVERIFY(!t->contadorPiscando());
            tocaTeclas(tela, QStringLiteral("f")); // past the limit: nothing typed, the counter flashes
            piscouNaTecla = t->contadorPiscando();
            foto(tela, QStringLiteral("teclado_no_limite"));
            QVERIFY(QTest::qWaitFor([t] { return !t->contadorPiscando(); }, 3000));
            QTest::keyClick(edt, Qt::Key_G); // the physical keyboard alike
            piscouNoTeclado = t->contadorPiscando();
            contadores << texto(tela, "lblContador");
            toca(tela, QStringLiteral("tcbApagar"));
            toca(tela, QStringLiteral("tcbApagar"));
            // A paste keeps what fits.
            QGuiApplication::clipboard()->setText(QStringLiteral("xyz"));
            QTest::keySequence(edt, QKeySequence::Paste);
            piscouNaColagem = t->contadorPiscando();
            contadores << texto(tela, "lblContador");
            toca(tela, QStringLiteral("tcbConfirmar"));
        });
    QCOMPARE(contadores, QStringList({"0/5", "5/5", "5/5", "5/5"}));
    QVERIFY(piscouNaTecla);
    QVERIFY(piscouNoTeclado);
    QVERIFY(piscouNaColagem);
    QCOMPARE(resultado, QStringLiteral("abcxy"));

    // Without a limit there is no counter and no cut.
    bool contadorVisivel = true;
    const QString longo(80, QLatin1Char('x'));
    const QString semLimite = teclado({}, [&](QWidget* tela) {
        contadorVisivel = tela->findChild<QLabel*>(QStringLiteral("lblContador"))->isVisible();
        campo(tela, "edtTexto")->insert(longo);
        QTest::keyClick(campo(tela, "edtTexto"), Qt::Key_Enter);
    });
    QVERIFY(!contadorVisivel);
    QCOMPARE(semLimite, longo);
}

void TstSiblingsToque::caracteresDeControleNuncaEntram() {
    // Each forbidden range at both of its ends, and the neighbours that stay.
    const QList<char32_t> proibidos = {0x00,   0x09,   0x0A,   0x1F,   0x7F,   0x2028, 0x2029,
                                       0x200B, 0x200F, 0x202A, 0x202E, 0x2066, 0x2069};
    const QList<char32_t> permitidos = {0x20, 0x7E, 0xE7, 0x200A, 0x2010, 0x2027, 0x2030, 0x2065, 0x206A};
    for (const char32_t c : proibidos)
        QVERIFY2(CampoTexto::proibido(c), qPrintable(QString::number(c, 16)));
    for (const char32_t c : permitidos)
        QVERIFY2(!CampoTexto::proibido(c), qPrintable(QString::number(c, 16)));

    const QString resultado = teclado({QString(), QString(), 50}, [](QWidget* tela) {
        auto* edt = campo(tela, "edtTexto");
        aguardaTeclas(tela);
        tocaTeclas(tela, QStringLiteral("pa"));
        // Typed: a key event whose text is a control or an invisible mark.
        for (const QString& invisivel : {QStringLiteral("\u200B"), QStringLiteral("\u202E"), QStringLiteral("\x07")})
            QTest::sendKeyEvent(QTest::Click, edt, Qt::Key_unknown, invisivel, Qt::NoModifier);
        // Pasted: the controls go, the rest of the text stays, the cursor after it.
        QGuiApplication::clipboard()->setText(QStringLiteral("o\u2066 de\tque\u2028ijo\r\n\u007F"));
        QTest::keySequence(edt, QKeySequence::Paste);
        tocaTeclas(tela, QStringLiteral("s"));
        toca(tela, QStringLiteral("tcbConfirmar"));
    });
    QCOMPARE(resultado, QStringLiteral("pao dequeijos"));
}

void TstSiblingsToque::toqueDeAberturaIgnorado() {
    // The second tap of the double tap that opened the keyboard lands on a key
    // as the keyboard appears: it types nothing.
    TfrmTeclado tela;
    tela.show();
    QVERIFY(!tela.aceitaToques());
    toca(&tela, TecladoToque::nomeTecla(QLatin1Char('0')));
    QTest::mouseDClick(tela.findChild<QAbstractButton*>(TecladoToque::nomeTecla(QLatin1Char('0'))), Qt::LeftButton);
    QCOMPARE(campo(&tela, "edtTexto")->text(), QString());
    aguardaTeclas(&tela);
    tocaTeclas(&tela, QStringLiteral("07"));
    QCOMPARE(campo(&tela, "edtTexto")->text(), QStringLiteral("07"));
}

void TstSiblingsToque::tecladoEncaixadoEstreitaAListaVisivel() {
    auto ds = catalogo(30);
    QList<int> linhas;
    int visiveisComTeclado = 0, visiveisSemTeclado = 0;
    const bool escolheu =
        pesquisa(ds.get(), {QStringLiteral("Produto para o botão 07 do grupo \"Lanches\""), {}}, [&](QWidget* tela) {
            auto* g = grade(tela);
            auto* teclas = tela->findChild<TecladoToque*>();
            visiveisComTeclado = teclas->isVisible() ? linhasVisiveis(g) : 0;
            aguardaTeclas(tela);
            tocaTeclas(tela, QStringLiteral("de")); // "Pão de queijo", "Suco de laranja"
            linhas << g->model()->rowCount();
            foto(tela, QStringLiteral("pesquisa_teclado_encaixado"));
            tocaTeclas(tela, QStringLiteral(" su"));
            linhas << g->model()->rowCount();
            toca(tela, QStringLiteral("tcbApagar"));
            toca(tela, QStringLiteral("tcbApagar"));
            toca(tela, QStringLiteral("tcbApagar"));
            linhas << g->model()->rowCount();
            toca(tela, QStringLiteral("tcbTeclado")); // the physical keyboard's operator hides the keys
            [[maybe_unused]] const bool cresceu =
                QTest::qWaitFor([&] { return linhasVisiveis(g) > visiveisComTeclado; }, 3000);
            visiveisSemTeclado = teclas->isHidden() ? linhasVisiveis(g) : 0;
            toca(tela, QStringLiteral("tcbEscolher"));
        });
    QVERIFY(escolheu);
    QCOMPARE(linhas, QList<int>({2, 1, 2}));
    QVERIFY2(visiveisComTeclado >= TfrmPesquisa::linhasMinimas(), qPrintable(QString::number(visiveisComTeclado)));
    QVERIFY(visiveisSemTeclado > visiveisComTeclado);
    QCOMPARE(ds->fieldText(u"NMPRODUTO"), QStringLiteral("Pão de queijo"));
}

void TstSiblingsToque::arrastarRolaSemEscolherETocarEscolhe() {
    auto ds = catalogo(60);
    int rolagem = -1, selecionadaAposArrasto = -1, tocada = -1;
    bool abertaAposArrasto = false;
    const bool escolheu = pesquisa(ds.get(), {}, [&](QWidget* tela) {
        auto* g = grade(tela);
        QWidget* vista = g->viewport();
        const QPoint inicio(vista->width() / 2, vista->height() - 10);
        QTest::mousePress(vista, Qt::LeftButton, {}, inicio);
        for (int passo = 1; passo <= 10; ++passo) {
            QTest::qWait(15);
            QTest::mouseMove(vista, inicio - QPoint(0, passo * 20));
        }
        QTest::mouseRelease(vista, Qt::LeftButton, {}, inicio - QPoint(0, 200));
        [[maybe_unused]] const bool rolou = QTest::qWaitFor([g] { return g->verticalScrollBar()->value() > 0; }, 3000);
        // The list glides to a stop; a tap while it glides would only stop it.
        [[maybe_unused]] const bool parou =
            QTest::qWaitFor([vista] { return QScroller::scroller(vista)->state() == QScroller::Inactive; }, 5000);
        rolagem = g->verticalScrollBar()->value();
        selecionadaAposArrasto = g->selectionModel()->selectedRows().value(0).row();
        abertaAposArrasto = tela->isVisible();
        // A tap on a row now in view selects it.
        const QModelIndex alvo = g->indexAt(QPoint(10, vista->height() / 2));
        tocada = alvo.row();
        QTest::mouseClick(vista, Qt::LeftButton, {}, g->visualRect(alvo).center());
        [[maybe_unused]] const bool marcou =
            QTest::qWaitFor([g, alvo] { return g->selectionModel()->isRowSelected(alvo.row(), {}); }, 3000);
        toca(tela, QStringLiteral("tcbEscolher"));
    });
    QVERIFY2(rolagem > 0, "a drag scrolls the list");
    QCOMPARE(selecionadaAposArrasto, 0); // and picks nothing
    QVERIFY(abertaAposArrasto);
    QVERIFY(tocada > 0);
    QVERIFY(escolheu);
    QCOMPARE(ds->recNo(), tocada);
}

void TstSiblingsToque::produtoJaNoCardapioMarcado() {
    auto ds = catalogo(6);
    OpcoesPesquisa opcoes;
    opcoes.noCardapio = {{QStringLiteral("0001"), QString(), QStringLiteral("Lanches / 03")},
                         {QStringLiteral("0001"), QString(), QStringLiteral("Cafés / 01")},
                         {QString(), QStringLiteral(" água  MINERAL "), QStringLiteral("Bebidas / 12")},
                         {QString(), QStringLiteral("Produto inexistente"), QStringLiteral("Bebidas / 11")}};
    QString cabecalho;
    QStringList marcas;
    const bool escolheu = pesquisa(ds.get(), opcoes, [&](QWidget* tela) {
        auto* g = grade(tela);
        QAbstractItemModel* m = g->model();
        cabecalho = m->headerData(2, Qt::Horizontal).toString();
        for (int r = 0; r < m->rowCount(); ++r)
            marcas << m->index(r, 2).data().toString();
        foto(tela, QStringLiteral("pesquisa_no_cardapio"));
        // Still chosen like any other: the operator may want it twice.
        QTest::keyClick(campo(tela, "edtFiltro"), Qt::Key_Return);
    });
    QCOMPARE(cabecalho, QStringLiteral("Já no cardápio"));
    QCOMPARE(marcas, QStringList({"Lanches / 03; Cafés / 01", "Bebidas / 12", "", "", "", ""}));
    QVERIFY(escolheu);
    QCOMPARE(ds->fieldText(u"CDPRODUTO"), QStringLiteral("0001"));

    // The list model keeps the item-model contract through filters and marks.
    ClientDataSetModel origem(ds.get());
    PesquisaFiltroModel filtro(&origem);
    QAbstractItemModelTester tester(&filtro, QAbstractItemModelTester::FailureReportingMode::QtTest);
    filtro.setMarcas({{1, QStringLiteral("Bebidas / 12")}}, QStringLiteral("Já no cardápio"));
    filtro.setFiltro(QStringLiteral("agua"));
    QCOMPARE(filtro.rowCount(), 1);
    QCOMPARE(filtro.marca(0), QStringLiteral("Bebidas / 12"));
    filtro.setFiltro(QStringLiteral("produto 000"));
    QCOMPARE(filtro.rowCount(), 2);
    QCOMPARE(filtro.marca(0), QString());
    filtro.setMarcas({}, QString());
    QCOMPARE(filtro.columnCount(), 2);
    filtro.setFiltro(QString());
    QCOMPARE(filtro.rowCount(), 6);

    // The selected row stands out: the caller's colour when it differs enough
    // from the list's, else a strong blue.
    QCOMPARE(TfrmPesquisa::corSelecao(14737632, 15658734), QStringLiteral("#1f4e9c"));
    QCOMPARE(TfrmPesquisa::corSelecao(14737632, 8388608), QStringLiteral("#000080"));

    // Folding: the Latin-1 short cut and the full folding agree.
    QCOMPARE(PesquisaFiltroModel::dobra(QStringLiteral("ÁÉÍÓÚ àèìòù ÂÊÔ ÃÕ Çç Ñ Üö")),
             QStringLiteral("aeiou aeiou aeo ao cc n uo"));
    QCOMPARE(PesquisaFiltroModel::dobra(QStringLiteral("Straße Ωmega")), QStringLiteral("straße ωmega"));
    QCOMPARE(PesquisaFiltroModel::dobra(QStringLiteral("Pão")), QStringLiteral("pao"));
}

// The list's filter, which looks for the words in one block of every row's
// folded text, keeps the rows a test of each row's own text keeps: accents,
// letters beyond Latin-1, several words, narrowing and widening, a word at
// the end of one row and the start of the next, and control characters.
void TstSiblingsToque::filtroDaListaIgualAoDeCadaLinha() {
    const QStringList nomes = {QStringLiteral("Pão de queijo"),      QStringLiteral("Água mineral"),
                               QStringLiteral("Ωmega 3 cápsulas"),   QStringLiteral("Chá 🍵 verde"),
                               QStringLiteral("Bolo de aipim"),      QStringLiteral("pimenta"),
                               QStringLiteral("Sem nome\x1eoculto"), QString()};
    DataPacket pacote(
        {{QStringLiteral("CDARVPROD"), FieldKind::Text, 20}, {QStringLiteral("NMPRODUTO"), FieldKind::Text, 50}});
    for (int i = 0; i < 400; ++i)
        pacote.appendRow(
            {QString::number(i * 37 % 1000), nomes.at(i % nomes.size()) + QLatin1Char(' ') + QString::number(i)});
    ClientDataSet ds(QStringLiteral("cdsPesqProduto"));
    ds.setPacket(pacote);
    ClientDataSetModel origem(&ds);
    PesquisaFiltroModel filtro(&origem);
    const auto esperado = [&](const QString& texto) {
        const QStringList termos = PesquisaFiltroModel::dobra(texto).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QList<int> linhas;
        for (int r = 0; r < origem.rowCount(); ++r) {
            const QString chave = PesquisaFiltroModel::dobra(origem.index(r, 0).data().toString()) + QChar(0x1F) +
                                  PesquisaFiltroModel::dobra(origem.index(r, 1).data().toString());
            if (!termos.isEmpty() &&
                std::all_of(termos.begin(), termos.end(), [&](const QString& t) { return chave.contains(t); }))
                linhas << r;
        }
        return linhas;
    };
    const auto mostradas = [&] {
        QList<int> linhas;
        for (int r = 0; r < filtro.rowCount(); ++r)
            linhas << filtro.linhaOrigem(r);
        return linhas;
    };
    for (const QString& texto :
         {QStringLiteral("p"), QStringLiteral("pa"), QStringLiteral("pão 1"), QStringLiteral("PAO 12"),
          QStringLiteral("agua"), QStringLiteral("ωmega"), QStringLiteral("🍵"), QStringLiteral("chá 🍵 3"),
          QStringLiteral("aipim"), QStringLiteral("m 9"), QStringLiteral("9 m"), QStringLiteral("pim"),
          QStringLiteral("oculto"), QStringLiteral("nome\x1eoculto"), QStringLiteral("nome\x1f"), QStringLiteral("zzz"),
          QStringLiteral("3"), QStringLiteral("39"), QStringLiteral("399")}) {
        filtro.setFiltro(texto);
        QVERIFY2(mostradas() == esperado(texto), qPrintable(texto));
    }
    filtro.setFiltro(QString());
    QCOMPARE(filtro.rowCount(), 400);
}

void TstSiblingsToque::corTituloDeCadaChamadaERodapeFixo() {
    QCOMPARE(colorTitle({QStringLiteral("Cor de fundo")}), QStringLiteral("Cor de fundo"));
    QCOMPARE(colorTitle({QStringLiteral("Cor do texto")}), QStringLiteral("Cor do texto"));
    QCOMPARE(colorTitle({}), QStringLiteral("Escolha a cor"));

    TfrmSelecionaCor tela(QStringLiteral("Cor de fundo"));
    tela.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tela));
    auto* rotulo = tela.findChild<QLabel*>(QStringLiteral("lblCorEscolhida"));
    const QStringList rodape = {"tcbPersonalizada", "panCorEscolhida", "lblCorEscolhida", "tcbCancelar",
                                "tcbConfirmar"};
    const auto geometrias = [&] {
        QList<QRect> g;
        for (const QString& nome : rodape)
            g << tela.findChild<QWidget*>(nome)->geometry();
        return g;
    };
    const QList<QRect> antes = geometrias();
    // Every name, and the text before any choice, fits the label whole.
    const auto cabe = [rotulo](const QString& t) {
        const QRect r = rotulo->fontMetrics().boundingRect(QRect(0, 0, rotulo->width(), 1000), Qt::TextWordWrap, t);
        return r.width() <= rotulo->width() && r.height() <= rotulo->height();
    };
    QVERIFY(cabe(rotulo->text()));
    for (int i = 0; i < TfrmSelecionaCor::paleta().size(); ++i) {
        tela.escolheAmostra(i);
        QCOMPARE(rotulo->text(), TfrmSelecionaCor::paleta().at(i).nome);
        QVERIFY2(cabe(rotulo->text()), qPrintable(rotulo->text()));
        QCOMPARE(geometrias(), antes);
        QVERIFY2(rotulo->text() != QLatin1String("Pink"), "names are Portuguese");
    }
    foto(&tela, QStringLiteral("cor_escolhida"));

    // The full colour dialog speaks Portuguese too.
    QStringList ingles;
    Operador op;
    op.quando("QColorDialog", [&](QWidget* dialogo) {
        const QStringList procurados = {
            "Basic colors", "Custom colors", "Add to Custom Colors", "Hue:", "Red:", "OK", "Cancel"};
        for (const QString& t : procurados) {
            for (QWidget* w : dialogo->findChildren<QWidget*>()) {
                const QString texto = qobject_cast<QLabel*>(w)            ? static_cast<QLabel*>(w)->text()
                                      : qobject_cast<QAbstractButton*>(w) ? static_cast<QAbstractButton*>(w)->text()
                                                                          : QString();
                if (QString(texto).remove(QLatin1Char('&')) == t && w->isVisible())
                    ingles << t;
            }
        }
        foto(dialogo, QStringLiteral("cor_personalizada"));
        static_cast<QDialog*>(dialogo)->reject();
    });
    toca(&tela, QStringLiteral("tcbPersonalizada"));
    QCOMPARE(ingles, QStringList());
    QCOMPARE(rotulo->text(), TfrmSelecionaCor::paleta().last().nome); // left without a colour: the choice stays
}

QTEST_MAIN(TstSiblingsToque)
#include "tst_siblings_toque.moc"
