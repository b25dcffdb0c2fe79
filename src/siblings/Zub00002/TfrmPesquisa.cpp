#include "TfrmPesquisa.h"

#include "PesquisaFiltroModel.h"
#include "Zub00002.h"

#include <ClientDataSet.h>
#include <ClientDataSetModel.h>
#include <TBlendedBitBtn.h>
#include <TColor.h>

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScroller>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kAlturaLinha = 44;    // a row a finger can hit
constexpr int kPausaFiltroMs = 150; // typing pause before the list narrows

QString corCss(int tcolor) {
    return colorFromTColor(tcolor).name();
}

// Black or white, whichever stands out on the background.
QString textoSobre(int tcolor) {
    return legibleTextOn(tcolor).name();
}

TBlendedBitBtn* criaBotao(QWidget* pai, const QString& nome, const QString& legenda) {
    return TBlendedBitBtn::commandButton(pai, nome, legenda, QSize(150, 60));
}

} // namespace

TfrmPesquisa::TfrmPesquisa(ClientDataSet* dataSet, int cor1, int cor2, int cor3, int cor5, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_dataSet(dataSet) {
    setObjectName(QStringLiteral("frmPesquisa"));
    setWindowTitle(QStringLiteral("Pesquisa"));
    setModal(true);
    setFixedSize(780, 560);
    m_modelo = new ClientDataSetModel(m_dataSet, this);
    m_filtro = new PesquisaFiltroModel(m_modelo, this);
    m_pausa = new QTimer(this);
    m_pausa->setSingleShot(true);
    m_pausa->setInterval(kPausaFiltroMs);
    connect(m_pausa, &QTimer::timeout, this, &TfrmPesquisa::aplicaFiltro);
    montaTela();
    aplicaCores(cor1, cor2, cor3, cor5);
    selecionaLinha(qMax(0, m_filtro->linhaDe(m_dataSet->recNo())));
    m_edtFiltro->setFocus();
}

void TfrmPesquisa::montaTela() {
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(12, 10, 12, 12);
    raiz->setSpacing(8);

    auto* topo = new QHBoxLayout;
    auto* rotulo = new QLabel(QStringLiteral("Pesquisar:"), this);
    rotulo->setObjectName(QStringLiteral("lblFiltro"));
    m_edtFiltro = new QLineEdit(this);
    m_edtFiltro->setObjectName(QStringLiteral("edtFiltro"));
    m_edtFiltro->setPlaceholderText(QStringLiteral("Código ou nome"));
    m_edtFiltro->setClearButtonEnabled(true);
    m_edtFiltro->setMinimumHeight(50);
    m_edtFiltro->installEventFilter(this);
    connect(m_edtFiltro, &QLineEdit::textChanged, m_pausa, qOverload<>(&QTimer::start));
    QFont fonte = m_edtFiltro->font();
    fonte.setPointSize(18);
    m_edtFiltro->setFont(fonte);
    rotulo->setFont(fonte);
    topo->addWidget(rotulo);
    topo->addWidget(m_edtFiltro, 1);
    raiz->addLayout(topo);

    montaLista();
    raiz->addWidget(m_grade, 1);
    montaBotoes();
}

void TfrmPesquisa::montaLista() {
    m_grade = new QTableView(this);
    m_grade->setObjectName(QStringLiteral("grdPesquisa"));
    m_grade->setModel(m_filtro);
    m_grade->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grade->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grade->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grade->setFocusPolicy(Qt::ClickFocus);
    m_grade->setWordWrap(false);
    m_grade->setAlternatingRowColors(false);
    m_grade->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // A finger flicks the list; a tap still picks a row.
    QScroller::grabGesture(m_grade->viewport(), QScroller::TouchGesture);
    m_grade->verticalHeader()->hide();
    // Fixed, uniform rows: the view never measures rows, so a long list opens at once.
    m_grade->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grade->verticalHeader()->setDefaultSectionSize(kAlturaLinha);
    m_grade->horizontalHeader()->setMinimumHeight(40);
    m_grade->horizontalHeader()->setHighlightSections(false);
    QFont fonte = m_grade->font();
    fonte.setPointSize(14);
    m_grade->setFont(fonte);
    connect(m_grade, &QAbstractItemView::doubleClicked, this, [this] { escolhe(); });
    connect(m_grade->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmPesquisa::selecaoMudou);
    ajustaColunas();
}

void TfrmPesquisa::montaBotoes() {
    auto* base = new QHBoxLayout;
    auto* teclado = criaBotao(this, QStringLiteral("tcbTeclado"), QStringLiteral("Teclado"));
    connect(teclado, &QAbstractButton::clicked, this, &TfrmPesquisa::abreTeclado);
    auto* limpar = criaBotao(this, QStringLiteral("tcbLimpar"), QStringLiteral("Limpar"));
    connect(limpar, &QAbstractButton::clicked, m_edtFiltro, &QLineEdit::clear);
    auto* cancelar = criaBotao(this, QStringLiteral("tcbCancelar"), QStringLiteral("Cancelar"));
    connect(cancelar, &QAbstractButton::clicked, this, &QDialog::reject);
    m_tcbEscolher = criaBotao(this, QStringLiteral("tcbEscolher"), QStringLiteral("Escolher"));
    connect(m_tcbEscolher, &QAbstractButton::clicked, this, [this] { escolhe(); });
    base->addWidget(teclado);
    base->addWidget(limpar);
    base->addStretch(1);
    base->addWidget(cancelar);
    base->addWidget(m_tcbEscolher);
    static_cast<QVBoxLayout*>(layout())->addLayout(base);
}

void TfrmPesquisa::aplicaCores(int cor1, int cor2, int cor3, int cor5) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colorFromTColor(cor1));
    pal.setColor(QPalette::WindowText, QColor(textoSobre(cor1)));
    setPalette(pal);
    // The selected row also gets a frame in the header colour: the default
    // list and selection colours are two close greys.
    m_grade->setStyleSheet(
        QStringLiteral("QTableView { background: %1; color: %2; gridline-color: %3; }"
                       "QTableView::item { padding-left: 6px; }"
                       "QTableView::item:selected { background: %4; color: %5;"
                       " border-top: 3px solid %3; border-bottom: 3px solid %3; }"
                       "QHeaderView::section { background: %3; color: %6; padding: 4px; border: 0px;"
                       " font-weight: bold; }"
                       "QScrollBar:vertical { width: 44px; }")
            .arg(corCss(cor2), textoSobre(cor2), corCss(cor3), corCss(cor5), textoSobre(cor5), textoSobre(cor3)));
}

void TfrmPesquisa::ajustaColunas() {
    const QList<FieldDef> campos = m_dataSet->fieldDefs();
    const int colunas = m_modelo->columnCount();
    for (int c = 0; c + 1 < colunas; ++c) {
        const int campo = m_modelo->fieldOfColumn(c);
        const int largura = campo >= 0 && campo < campos.size() ? campos.at(campo).width : 0;
        m_grade->setColumnWidth(c, std::clamp(largura * 11, 120, 320));
    }
    m_grade->horizontalHeader()->setStretchLastSection(true);
}

void TfrmPesquisa::aplicaFiltro() {
    m_pausa->stop();
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
    if (m_pausa->isActive())
        aplicaFiltro(); // Enter right after typing picks from the narrowed list
    const QModelIndexList linhas = m_grade->selectionModel()->selectedRows();
    const int origem = linhas.isEmpty() ? -1 : m_filtro->linhaOrigem(linhas.first().row());
    if (origem < 0)
        return false;
    m_dataSet->setRecNo(origem);
    accept();
    return true;
}

void TfrmPesquisa::abreTeclado() {
    if (!TecladoAlfaNumerico)
        return;
    const QString texto = TecladoAlfaNumerico(0, 0, 0, 0);
    if (!texto.isEmpty()) {
        m_edtFiltro->setText(texto);
        aplicaFiltro();
    }
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
        if (m_pausa->isActive())
            aplicaFiltro();
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

void TfrmPesquisa::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        escolhe();
        return;
    }
    QDialog::keyPressEvent(event);
}
