#include "TfrmTeclado.h"

#include "CampoTexto.h"
#include "TecladoToque.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kPiscadaMs = 400;
const QString kContador = QStringLiteral("#lblContador { color: #202020; background: #e4e6e8; border-radius: 6px;"
                                         " padding: 0 8px; }");
const QString kContadorCheio = QStringLiteral("#lblContador { color: #8a1c00; background: #ffd7a8; border-radius: 6px;"
                                              " padding: 0 8px; }");
const QString kContadorPiscando = QStringLiteral("#lblContador { color: white; background: #c62828;"
                                                 " border-radius: 6px; padding: 0 8px; }");

} // namespace

TfrmTeclado::TfrmTeclado(const OpcoesTeclado& opcoes, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmTeclado"));
    setWindowTitle(QStringLiteral("Teclado"));
    setModal(true);
    setFixedSize(790, 520);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC2, 0xC4, 0xC5));
    setPalette(pal);
    m_piscada = new QTimer(this);
    m_piscada->setSingleShot(true);
    m_piscada->setInterval(kPiscadaMs);
    connect(m_piscada, &QTimer::timeout, this, &TfrmTeclado::atualizaContador);
    montaTela(opcoes);
    // A rename starts from the current caption, all of it selected: typing
    // replaces it, a cursor key or a touch in the field edits it.
    m_edit->setText(opcoes.textoInicial);
    m_edit->selectAll();
    atualizaContador();
    m_edit->setFocus();
}

QString TfrmTeclado::texto() const {
    return result() == QDialog::Accepted ? m_edit->text() : QString();
}

QString TfrmTeclado::nomeTecla(QChar c) {
    return TecladoToque::nomeTecla(c);
}

bool TfrmTeclado::shiftAtivo() const {
    return m_teclas->shiftAtivo();
}

bool TfrmTeclado::capsAtivo() const {
    return m_teclas->capsAtivo();
}

bool TfrmTeclado::aceitaToques() const {
    return m_teclas->aceitaToques();
}

bool TfrmTeclado::contadorPiscando() const {
    return m_piscada->isActive();
}

void TfrmTeclado::montaTela(const OpcoesTeclado& opcoes) {
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(10, 8, 10, 10);
    raiz->setSpacing(5);

    m_lblTitulo = new QLabel(opcoes.titulo.isEmpty() ? QStringLiteral("Digite o texto") : opcoes.titulo, this);
    m_lblTitulo->setObjectName(QStringLiteral("lblTitulo"));
    QFont fonteTitulo = m_lblTitulo->font();
    fonteTitulo.setPointSize(15);
    fonteTitulo.setBold(true);
    // A long heading takes a smaller type rather than losing its end.
    const int largura = width() - 20;
    while (fonteTitulo.pointSize() > 10 && QFontMetrics(fonteTitulo).horizontalAdvance(m_lblTitulo->text()) > largura)
        fonteTitulo.setPointSize(fonteTitulo.pointSize() - 1);
    m_lblTitulo->setFont(fonteTitulo);
    m_lblTitulo->setFixedHeight(30);
    raiz->addWidget(m_lblTitulo);

    auto* linhaCampo = new QHBoxLayout;
    m_edit = new CampoTexto(this);
    m_edit->setObjectName(QStringLiteral("edtTexto"));
    m_edit->setLimite(opcoes.limite);
    m_edit->setMinimumHeight(56);
    QFont fonte = m_edit->font();
    fonte.setPointSize(22);
    m_edit->setFont(fonte);
    // Enter in the field confirms; the field swallows nothing else of ours.
    connect(m_edit, &QLineEdit::returnPressed, this, &QDialog::accept);
    connect(m_edit, &QLineEdit::textChanged, this, &TfrmTeclado::atualizaContador);
    connect(m_edit, &CampoTexto::limiteExcedido, this, &TfrmTeclado::piscaContador);
    linhaCampo->addWidget(m_edit, 1);

    m_lblContador = new QLabel(this);
    m_lblContador->setObjectName(QStringLiteral("lblContador"));
    m_lblContador->setAlignment(Qt::AlignCenter);
    m_lblContador->setMinimumSize(96, 56);
    QFont fonteContador = m_lblContador->font();
    fonteContador.setPointSize(16);
    fonteContador.setBold(true);
    m_lblContador->setFont(fonteContador);
    m_lblContador->setVisible(opcoes.limite > 0);
    linhaCampo->addWidget(m_lblContador);
    raiz->addLayout(linhaCampo);

    m_teclas = new TecladoToque(m_edit, TecladoToque::Disposicao::Completa, this);
    connect(m_teclas, &TecladoToque::confirmar, this, &QDialog::accept);
    connect(m_teclas, &TecladoToque::cancelar, this, &QDialog::reject);
    raiz->addWidget(m_teclas, 1);
}

void TfrmTeclado::atualizaContador() {
    const int limite = m_edit->limite();
    if (limite <= 0)
        return;
    m_lblContador->setText(QStringLiteral("%1/%2").arg(m_edit->text().size()).arg(limite));
    if (m_piscada->isActive())
        return;
    m_lblContador->setStyleSheet(m_edit->text().size() >= limite ? kContadorCheio : kContador);
}

void TfrmTeclado::piscaContador() {
    m_lblContador->setStyleSheet(kContadorPiscando);
    m_piscada->start();
}
