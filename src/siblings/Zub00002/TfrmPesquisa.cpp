#include "TfrmPesquisa.h"

#include "CampoTexto.h"
#include "PesquisaFiltroModel.h"
#include "TecladoToque.h"

#include <ClientDataSet.h>
#include <ClientDataSetModel.h>
#include <TBlendedBitBtn.h>
#include <TColor.h>

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProxyStyle>
#include <QScrollBar>
#include <QScroller>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kAlturaLinha = 44; // a row a finger can hit
constexpr int kAlturaCabecalho = 40;
constexpr int kAlturaControle = 56;
const QColor kSelecaoForte(0x1F, 0x4E, 0x9C); // when the caller's selection colour would not stand out

QString corCss(int tcolor) {
    return colorFromTColor(tcolor).name();
}

// Black or white, whichever stands out on the background.
QString textoSobre(int tcolor) {
    return legibleTextOn(tcolor).name();
}

double luminancia(const QColor& cor) {
    return (0.299 * cor.red() + 0.587 * cor.green() + 0.114 * cor.blue()) / 255.0;
}

TBlendedBitBtn* criaBotao(QWidget* pai, const QString& nome, const QString& legenda, int largura) {
    return TBlendedBitBtn::commandButton(pai, nome, legenda, QSize(largura, kAlturaControle));
}

// Finger-sized scroll bar: wide, with large arrows and a long handle.
class EstiloBarraLarga : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metrica, const QStyleOption* opcao, const QWidget* widget) const override {
        if (metrica == PM_ScrollBarExtent)
            return 48;
        if (metrica == PM_ScrollBarSliderMin)
            return 72;
        return QProxyStyle::pixelMetric(metrica, opcao, widget);
    }
};

QString semBrancos(const QString& texto) {
    return texto.simplified().toCaseFolded();
}

} // namespace

TfrmPesquisa::TfrmPesquisa(ClientDataSet* dataSet, int cor1, int cor2, int cor3, int cor5, const OpcoesPesquisa& opcoes,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_dataSet(dataSet) {
    setObjectName(QStringLiteral("frmPesquisa"));
    setWindowTitle(QStringLiteral("Pesquisa"));
    setModal(true);
    m_modelo = new ClientDataSetModel(m_dataSet, this);
    m_filtro = new PesquisaFiltroModel(m_modelo, this);
    montaTela(opcoes.titulo);
    aplicaCores(cor1, cor2, cor3, cor5);
    marcaNoCardapio(opcoes.noCardapio);
    ajustaColunas();
    setFixedSize(780, opcoes.titulo.isEmpty() ? 546 : 580);
    selecionaLinha(qMax(0, m_filtro->linhaDe(m_dataSet->recNo())));
    m_edtFiltro->setFocus();
}

QString TfrmPesquisa::corSelecao(int cor2, int cor5) {
    const QColor lista = colorFromTColor(cor2);
    const QColor selecao = colorFromTColor(cor5);
    return std::abs(luminancia(lista) - luminancia(selecao)) >= 0.3 ? selecao.name() : kSelecaoForte.name();
}

void TfrmPesquisa::montaTela(const QString& titulo) {
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(10, 8, 10, 10);
    raiz->setSpacing(6);
    if (!titulo.isEmpty()) {
        auto* rotulo = new QLabel(titulo, this);
        rotulo->setObjectName(QStringLiteral("lblTitulo"));
        QFont fonte = rotulo->font();
        fonte.setPointSize(15);
        fonte.setBold(true);
        rotulo->setFont(fonte);
        rotulo->setFixedHeight(28);
        raiz->addWidget(rotulo);
    }
    montaTopo(raiz);
    montaLista();
    raiz->addWidget(m_grade, 1);
    m_teclas = new TecladoToque(m_edtFiltro, TecladoToque::Disposicao::Compacta, this);
    raiz->addWidget(m_teclas);
}

void TfrmPesquisa::montaTopo(QVBoxLayout* raiz) {
    auto* topo = new QHBoxLayout;
    topo->setSpacing(6);
    m_edtFiltro = new CampoTexto(this);
    m_edtFiltro->setObjectName(QStringLiteral("edtFiltro"));
    m_edtFiltro->setPlaceholderText(QStringLiteral("Pesquisar por código ou nome"));
    m_edtFiltro->setFixedHeight(kAlturaControle);
    m_edtFiltro->installEventFilter(this);
    // The list narrows with each key, typed or touched.
    connect(m_edtFiltro, &QLineEdit::textChanged, this, &TfrmPesquisa::aplicaFiltro);
    QFont fonte = m_edtFiltro->font();
    fonte.setPointSize(18);
    m_edtFiltro->setFont(fonte);
    m_tcbTeclado = criaBotao(this, QStringLiteral("tcbTeclado"), QStringLiteral("Ocultar teclado"), 140);
    connect(m_tcbTeclado, &QAbstractButton::clicked, this, &TfrmPesquisa::alternaTeclado);
    auto* cancelar = criaBotao(this, QStringLiteral("tcbCancelar"), QStringLiteral("Cancelar"), 130);
    connect(cancelar, &QAbstractButton::clicked, this, &QDialog::reject);
    m_tcbEscolher = criaBotao(this, QStringLiteral("tcbEscolher"), QStringLiteral("Escolher"), 130);
    connect(m_tcbEscolher, &QAbstractButton::clicked, this, [this] { escolhe(); });
    topo->addWidget(m_edtFiltro, 1);
    topo->addWidget(m_tcbTeclado);
    topo->addWidget(cancelar);
    topo->addWidget(m_tcbEscolher);
    raiz->addLayout(topo);
}

void TfrmPesquisa::montaLista() {
    m_grade = new QTableView(this);
    m_grade->setObjectName(QStringLiteral("grdPesquisa"));
    // Fixed, uniform rows: the view never measures rows, so a long list opens
    // at once. Set before the model: a new size set afterwards goes through
    // every row's section (a million of them in a big catalogue).
    m_grade->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grade->verticalHeader()->setDefaultSectionSize(kAlturaLinha);
    m_grade->setModel(m_filtro);
    m_grade->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grade->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grade->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grade->setFocusPolicy(Qt::ClickFocus);
    m_grade->setWordWrap(false);
    m_grade->setAlternatingRowColors(false);
    m_grade->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_grade->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* estilo = new EstiloBarraLarga;
    estilo->setParent(m_grade);
    m_grade->verticalScrollBar()->setStyle(estilo);
    // A finger dragging the list scrolls it, also on panels that report
    // touches as mouse events; a tap without a drag still selects a row.
    QScroller::grabGesture(m_grade->viewport(), QScroller::LeftMouseButtonGesture);
    m_grade->verticalHeader()->hide();
    m_grade->horizontalHeader()->setFixedHeight(kAlturaCabecalho);
    m_grade->horizontalHeader()->setHighlightSections(false);
    m_grade->setMinimumHeight(kAlturaCabecalho + linhasMinimas() * kAlturaLinha + 2 * m_grade->frameWidth());
    QFont fonte = m_grade->font();
    fonte.setPointSize(14);
    m_grade->setFont(fonte);
    connect(m_grade, &QAbstractItemView::doubleClicked, this, [this] { escolhe(); });
    connect(m_grade->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmPesquisa::selecaoMudou);
}

void TfrmPesquisa::aplicaCores(int cor1, int cor2, int cor3, int cor5) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colorFromTColor(cor1));
    pal.setColor(QPalette::WindowText, QColor(textoSobre(cor1)));
    setPalette(pal);
    const QString selecao = corSelecao(cor2, cor5);
    const QString textoSelecao = textoSobre(tcolorFromColor(QColor(selecao)));
    m_grade->setStyleSheet(
        QStringLiteral("QTableView { background: %1; color: %2; gridline-color: %3;"
                       " selection-background-color: %4; selection-color: %5; }"
                       "QTableView::item { padding-left: 6px; }"
                       "QTableView::item:selected { background: %4; color: %5; font-weight: bold; }"
                       "QHeaderView::section { background: %3; color: %6; padding: 4px; border: 0px;"
                       " font-weight: bold; }")
            .arg(corCss(cor2), textoSobre(cor2), corCss(cor3), selecao, textoSelecao, textoSobre(cor3)));
}

void TfrmPesquisa::marcaNoCardapio(const QList<ProdutoNoCardapio>& produtos) {
    if (produtos.isEmpty())
        return;
    QHash<QString, QStringList> porCodigo;
    QHash<QString, QStringList> porNome;
    for (const ProdutoNoCardapio& p : produtos) {
        if (p.local.isEmpty())
            continue;
        if (!p.codigo.isEmpty())
            porCodigo[p.codigo].append(p.local);
        else if (!p.nome.trimmed().isEmpty())
            porNome[semBrancos(p.nome)].append(p.local);
    }
    const int campoCodigo = m_dataSet->fieldIndex(u"CDPRODUTO");
    const int campoNome = m_dataSet->fieldIndex(u"NMPRODUTO");
    QHash<int, QString> marcas;
    const int linhas = m_dataSet->recordCount();
    for (int r = 0; r < linhas; ++r) {
        QStringList locais;
        if (campoCodigo >= 0 && !porCodigo.isEmpty())
            locais = porCodigo.value(m_dataSet->visibleValue(r, campoCodigo).toString());
        if (locais.isEmpty() && campoNome >= 0 && !porNome.isEmpty())
            locais = porNome.value(semBrancos(m_dataSet->visibleValue(r, campoNome).toString()));
        if (!locais.isEmpty())
            marcas.insert(r, locais.join(QStringLiteral("; ")));
    }
    m_filtro->setMarcas(marcas, QStringLiteral("Já no cardápio"));
}

void TfrmPesquisa::ajustaColunas() {
    const QList<FieldDef> campos = m_dataSet->fieldDefs();
    const int colunas = m_filtro->columnCount();
    const int dadas = m_modelo->columnCount();
    for (int c = 0; c + 1 < colunas && c < dadas; ++c) {
        const int campo = m_modelo->fieldOfColumn(c);
        const int largura = campo >= 0 && campo < campos.size() ? campos.at(campo).width : 0;
        m_grade->setColumnWidth(c, std::clamp(largura * 11, 120, m_filtro->colunaMarcas() >= 0 ? 260 : 320));
    }
    m_grade->horizontalHeader()->setStretchLastSection(true);
}

void TfrmPesquisa::aplicaFiltro() {
    m_filtro->setFiltro(m_edtFiltro->text());
    selecionaLinha(0);
}

void TfrmPesquisa::selecionaLinha(int linha) {
    if (linha < 0 || linha >= m_filtro->rowCount()) {
        m_grade->clearSelection();
        selecaoMudou();
        return;
    }
    const QModelIndex indice = m_filtro->index(linha, 0);
    m_grade->setCurrentIndex(indice);
    m_grade->selectionModel()->select(indice, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_grade->scrollTo(indice, QAbstractItemView::PositionAtCenter);
    selecaoMudou();
}

void TfrmPesquisa::selecaoMudou() {
    m_tcbEscolher->setEnabled(m_grade->selectionModel()->hasSelection());
}

bool TfrmPesquisa::escolhe() {
    const QModelIndexList linhas = m_grade->selectionModel()->selectedRows();
    const int origem = linhas.isEmpty() ? -1 : m_filtro->linhaOrigem(linhas.first().row());
    if (origem < 0)
        return false;
    m_dataSet->setRecNo(origem);
    accept();
    return true;
}

void TfrmPesquisa::alternaTeclado() {
    const bool mostrar = m_teclas->isHidden();
    m_teclas->setVisible(mostrar);
    m_tcbTeclado->setCaption(mostrar ? QStringLiteral("Ocultar teclado") : QStringLiteral("Mostrar teclado"));
    m_edtFiltro->setFocus();
}

bool TfrmPesquisa::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_edtFiltro || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* tecla = static_cast<QKeyEvent*>(event);
    switch (tecla->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // The filter field keeps the focus; the list moves its selection.
        QCoreApplication::sendEvent(m_grade, tecla);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        escolhe();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TfrmPesquisa::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Right after the list is painted, while the docked keys still ignore
    // touches, the row texts are folded for the search.
    QTimer::singleShot(0, this, [this] { m_filtro->preparaChaves(); });
}

void TfrmPesquisa::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        escolhe();
        return;
    }
    QDialog::keyPressEvent(event);
}
