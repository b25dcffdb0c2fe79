#include "TfrmPesquisaImagem.h"

#include "CampoTexto.h"
#include "ImagensModel.h"
#include "PictureImport.h"
#include "TecladoToque.h"

#include <HostUi.h>
#include <TBlendedBitBtn.h>
#include <TColor.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QScroller>
#include <QVBoxLayout>

namespace {

constexpr int kAlturaControle = 56;
// A cell: the thumbnail over two lines of its name, large enough for a finger.
const QSize kCelula(150, 146);

TBlendedBitBtn* criaBotao(QWidget* pai, const QString& nome, const QString& legenda, int largura) {
    return TBlendedBitBtn::commandButton(pai, nome, legenda, QSize(largura, kAlturaControle));
}

} // namespace

TPesquisaImagem PesquisaImagem = [](const QString& pasta, const OpcoesPesquisaImagem& opcoes) {
    TfrmPesquisaImagem picker(pasta, TfrmPesquisaImagem::Forma::Escolha, opcoes, QApplication::activeWindow());
    if (picker.exec() != QDialog::Accepted)
        return ImagemEscolhida{};
    return picker.escolha();
};

TfrmPesquisaImagem::TfrmPesquisaImagem(const QString& pasta, Forma forma, const OpcoesPesquisaImagem& opcoes,
                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_pasta(pasta), m_forma(forma), m_opcoes(opcoes) {
    setObjectName(forma == Forma::Escolha ? QStringLiteral("frmPesquisaImagem") : QStringLiteral("frmImportaImagem"));
    setWindowTitle(forma == Forma::Escolha ? QStringLiteral("Imagem do botão") : QStringLiteral("Importar imagem"));
    setModal(true);
    m_modelo = new ImagensModel(tamanhoMiniatura(), this);
    m_modelo->carrega(pasta);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(10, 8, 10, 10);
    raiz->setSpacing(6);
    const QString titulo = !opcoes.titulo.isEmpty()     ? opcoes.titulo
                           : forma == Forma::Importacao ? QStringLiteral("Importar imagem do pendrive")
                                                        : QString();
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
    raiz->addWidget(m_lista, 1);
    m_lblAviso = new QLabel(this);
    m_lblAviso->setObjectName(QStringLiteral("lblAviso"));
    m_lblAviso->setWordWrap(true);
    QFont fonteAviso = m_lblAviso->font();
    fonteAviso.setPointSize(13);
    m_lblAviso->setFont(fonteAviso);
    raiz->addWidget(m_lblAviso);
    m_teclas = new TecladoToque(m_edtFiltro, TecladoToque::Disposicao::Compacta, this);
    raiz->addWidget(m_teclas);
    aplicaCores(opcoes);
    setFixedSize(780, 580);
    seleciona(qMax(0, m_modelo->linhaDe(opcoes.atual)));
    mostraVazio();
    m_edtFiltro->setFocus();
}

void TfrmPesquisaImagem::montaTopo(QVBoxLayout* raiz) {
    auto* topo = new QHBoxLayout;
    topo->setSpacing(6);
    m_edtFiltro = new CampoTexto(this);
    m_edtFiltro->setObjectName(QStringLiteral("edtFiltro"));
    m_edtFiltro->setPlaceholderText(QStringLiteral("Nome da imagem"));
    m_edtFiltro->setFixedHeight(kAlturaControle);
    m_edtFiltro->installEventFilter(this);
    connect(m_edtFiltro, &QLineEdit::textChanged, this, &TfrmPesquisaImagem::aplicaFiltro);
    QFont fonte = m_edtFiltro->font();
    fonte.setPointSize(18);
    m_edtFiltro->setFont(fonte);
    topo->addWidget(m_edtFiltro, 1);
    m_tcbTeclado = criaBotao(this, QStringLiteral("tcbTeclado"), QStringLiteral("Ocultar\nteclado"), 100);
    connect(m_tcbTeclado, &QAbstractButton::clicked, this, &TfrmPesquisaImagem::alternaTeclado);
    topo->addWidget(m_tcbTeclado);
    if (m_forma == Forma::Escolha) {
        auto* importar = criaBotao(this, QStringLiteral("tcbImportar"), QStringLiteral("Importar"), 100);
        connect(importar, &QAbstractButton::clicked, this, &TfrmPesquisaImagem::importa);
        topo->addWidget(importar);
        auto* sem = criaBotao(this, QStringLiteral("tcbSemImagem"), QStringLiteral("Sem\nimagem"), 100);
        connect(sem, &QAbstractButton::clicked, this, &TfrmPesquisaImagem::semImagem);
        topo->addWidget(sem);
    }
    auto* cancelar = criaBotao(this, QStringLiteral("tcbCancelar"), QStringLiteral("Cancelar"), 100);
    connect(cancelar, &QAbstractButton::clicked, this, &QDialog::reject);
    topo->addWidget(cancelar);
    m_tcbEscolher =
        criaBotao(this, QStringLiteral("tcbEscolher"),
                  m_forma == Forma::Escolha ? QStringLiteral("Escolher") : QStringLiteral("Importar\nesta"), 100);
    connect(m_tcbEscolher, &QAbstractButton::clicked, this, [this] { escolhe(); });
    topo->addWidget(m_tcbEscolher);
    raiz->addLayout(topo);
}

void TfrmPesquisaImagem::montaLista() {
    m_lista = new QListView(this);
    m_lista->setObjectName(QStringLiteral("lstImagens"));
    m_lista->setViewMode(QListView::IconMode);
    m_lista->setMovement(QListView::Static);
    m_lista->setResizeMode(QListView::Adjust);
    m_lista->setFlow(QListView::LeftToRight);
    m_lista->setWrapping(true);
    m_lista->setUniformItemSizes(true); // the view measures one cell, not 500
    m_lista->setIconSize(tamanhoMiniatura());
    m_lista->setGridSize(kCelula);
    m_lista->setWordWrap(true);
    m_lista->setTextElideMode(Qt::ElideMiddle);
    m_lista->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lista->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lista->setFocusPolicy(Qt::ClickFocus);
    m_lista->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_lista->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lista->setModel(m_modelo);
    QScroller::grabGesture(m_lista->viewport(), QScroller::LeftMouseButtonGesture);
    QFont fonte = m_lista->font();
    fonte.setPointSize(11);
    m_lista->setFont(fonte);
    connect(m_lista, &QAbstractItemView::doubleClicked, this, [this] { escolhe(); });
    connect(m_lista->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmPesquisaImagem::selecaoMudou);
}

void TfrmPesquisaImagem::aplicaCores(const OpcoesPesquisaImagem& opcoes) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colorFromTColor(opcoes.cor1));
    pal.setColor(QPalette::WindowText, legibleTextOn(opcoes.cor1));
    setPalette(pal);
    const QColor selecao = colorFromTColor(opcoes.cor5);
    m_lista->setStyleSheet(QStringLiteral("QListView { background: %1; color: %2; }"
                                          "QListView::item { padding: 4px; }"
                                          "QListView::item:selected { background: %3; color: %4; }")
                               .arg(colorFromTColor(opcoes.cor2).name(), legibleTextOn(opcoes.cor2).name(),
                                    selecao.name(), legibleTextOn(opcoes.cor5).name()));
}

void TfrmPesquisaImagem::aplicaFiltro() {
    m_modelo->setFiltro(m_edtFiltro->text());
    seleciona(0);
    mostraVazio();
}

void TfrmPesquisaImagem::seleciona(int linha) {
    if (linha < 0 || linha >= m_modelo->rowCount()) {
        m_lista->clearSelection();
        selecaoMudou();
        return;
    }
    const QModelIndex indice = m_modelo->index(linha, 0);
    m_lista->setCurrentIndex(indice);
    m_lista->selectionModel()->select(indice, QItemSelectionModel::ClearAndSelect);
    m_lista->scrollTo(indice);
    selecaoMudou();
}

void TfrmPesquisaImagem::selecaoMudou() {
    m_tcbEscolher->setEnabled(m_lista->selectionModel()->hasSelection());
}

void TfrmPesquisaImagem::mostraVazio() {
    QString aviso;
    if (m_modelo->total() == 0)
        aviso = m_forma == Forma::Escolha
                    ? QStringLiteral("A pasta de imagens não tem imagens. Toque em \"Importar\" para trazer uma de um "
                                     "pendrive, ou em \"Sem imagem\".")
                    : QStringLiteral("Nenhuma imagem PNG, JPEG ou SVG foi encontrada no pendrive.");
    else if (m_modelo->rowCount() == 0)
        aviso = QStringLiteral("Nenhuma imagem com esse nome. Apague letras do filtro para ver mais.");
    else
        aviso = m_modelo->rowCount() == 1 ? QStringLiteral("1 imagem")
                                          : QStringLiteral("%1 imagens").arg(m_modelo->rowCount());
    m_lblAviso->setText(aviso);
}

QString TfrmPesquisaImagem::caminhoSelecionado() const {
    const QModelIndexList linhas = m_lista->selectionModel()->selectedIndexes();
    return linhas.isEmpty() ? QString() : m_modelo->caminho(linhas.first().row());
}

bool TfrmPesquisaImagem::escolhe() {
    const QModelIndexList linhas = m_lista->selectionModel()->selectedIndexes();
    if (linhas.isEmpty())
        return false;
    m_escolha = {true, m_modelo->referencia(linhas.first().row())};
    accept();
    return true;
}

void TfrmPesquisaImagem::semImagem() {
    m_escolha = {true, QString()};
    accept();
}

void TfrmPesquisaImagem::importa() {
    const QString raiz = PictureImport::raiz();
    TfrmPesquisaImagem origem(raiz, Forma::Importacao, m_opcoes, this);
    if (origem.modelo()->total() == 0) {
        MensagemErro(QStringLiteral("Nenhuma imagem PNG, JPEG ou SVG foi encontrada em um pendrive. Conecte o "
                                    "pendrive com as imagens e toque em \"Importar\" de novo."));
        return;
    }
    if (origem.exec() != QDialog::Accepted)
        return;
    importaArquivo(origem.caminhoSelecionado());
}

bool TfrmPesquisaImagem::importaArquivo(const QString& caminho) {
    const PictureImport::Resultado r = PictureImport::importa(caminho, m_pasta);
    if (!r.ok) {
        MensagemErro(r.erro);
        return false;
    }
    m_modelo->carrega(m_pasta);
    m_edtFiltro->clear(); // shows every picture, the new one selected
    seleciona(m_modelo->linhaDe(r.referencia));
    mostraVazio();
    if (r.referencia != QFileInfo(caminho).fileName())
        m_lblAviso->setText(
            QStringLiteral("Imagem importada como \"%1\": já havia outra imagem com esse nome.").arg(r.referencia));
    else
        m_lblAviso->setText(QStringLiteral("Imagem \"%1\" importada.").arg(r.referencia));
    return true;
}

void TfrmPesquisaImagem::alternaTeclado() {
    const bool mostrar = m_teclas->isHidden();
    m_teclas->setVisible(mostrar);
    m_tcbTeclado->setCaption(mostrar ? QStringLiteral("Ocultar\nteclado") : QStringLiteral("Mostrar\nteclado"));
    m_edtFiltro->setFocus();
}

bool TfrmPesquisaImagem::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_edtFiltro || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* tecla = static_cast<QKeyEvent*>(event);
    switch (tecla->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QCoreApplication::sendEvent(m_lista, tecla);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        escolhe();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}
