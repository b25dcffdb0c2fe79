#include "TfrmSelecionaCor.h"

#include <TBlendedBitBtn.h>
#include <TColor.h>
#include <TTouchButton.h>

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kLarguraAmostra = 86;
constexpr int kAlturaAmostra = 74;

// Windows colour value of an RGB triple.
constexpr int tcolor(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

// Legible caption colour on a swatch.
int textoSobre(int cor) {
    return tcolorFromColor(legibleTextOn(cor));
}

TBlendedBitBtn* criaBotao(QWidget* pai, const QString& nome, const QString& legenda, int largura) {
    return TBlendedBitBtn::commandButton(pai, nome, legenda, QSize(largura, 60));
}

// The full colour dialog comes with English labels; the operator reads Portuguese.
void traduzDialogoDeCores(QColorDialog* dialogo) {
    static const QHash<QString, QString> textos = {
        {QStringLiteral("Basic colors"), QStringLiteral("Cores básicas")},
        {QStringLiteral("Custom colors"), QStringLiteral("Cores personalizadas")},
        {QStringLiteral("Add to Custom Colors"), QStringLiteral("Guardar nas personalizadas")},
        {QStringLiteral("Pick Screen Color"), QStringLiteral("Pegar cor da tela")},
        {QStringLiteral("Hue:"), QStringLiteral("Matiz:")},
        {QStringLiteral("Sat:"), QStringLiteral("Saturação:")},
        {QStringLiteral("Val:"), QStringLiteral("Brilho:")},
        {QStringLiteral("Red:"), QStringLiteral("Vermelho:")},
        {QStringLiteral("Green:"), QStringLiteral("Verde:")},
        {QStringLiteral("Blue:"), QStringLiteral("Azul:")},
        {QStringLiteral("Alpha channel:"), QStringLiteral("Transparência:")},
        {QStringLiteral("HTML:"), QStringLiteral("Código HTML:")},
    };
    const auto traduz = [](const QString& texto) { return textos.value(QString(texto).remove(QLatin1Char('&'))); };
    for (QLabel* rotulo : dialogo->findChildren<QLabel*>()) {
        if (const QString t = traduz(rotulo->text()); !t.isEmpty())
            rotulo->setText(t);
    }
    for (QPushButton* botao : dialogo->findChildren<QPushButton*>()) {
        if (const QString t = traduz(botao->text()); !t.isEmpty())
            botao->setText(t);
    }
    if (auto* caixa = dialogo->findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = caixa->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("Confirmar"));
        if (QPushButton* cancelar = caixa->button(QDialogButtonBox::Cancel))
            cancelar->setText(QStringLiteral("Cancelar"));
    }
}

} // namespace

const QList<CorPaleta>& TfrmSelecionaCor::paleta() {
    static const QList<CorPaleta> cores{
        {"Branco", "Branco", tcolor(255, 255, 255)},
        {"Padrao", "Padrão", tcolor(144, 144, 176)}, // the look of a blank button
        {"CinzaClaro", "Cinza claro", tcolor(211, 211, 211)},
        {"Cinza", "Cinza", tcolor(128, 128, 128)},
        {"CinzaEscuro", "Cinza escuro", tcolor(64, 64, 64)},
        {"Preto", "Preto", tcolor(0, 0, 0)},
        {"Marrom", "Marrom", tcolor(139, 69, 19)},
        {"Bege", "Bege", tcolor(245, 222, 179)},
        {"Vermelho", "Vermelho", tcolor(255, 0, 0)},
        {"Vinho", "Vinho", tcolor(128, 0, 0)},
        {"Rosa", "Rosa", tcolor(255, 192, 203)},
        {"Pink", "Rosa-choque", tcolor(255, 20, 147)},
        {"Laranja", "Laranja", tcolor(255, 128, 0)},
        {"Pessego", "Pêssego", tcolor(255, 218, 185)},
        {"Amarelo", "Amarelo", tcolor(255, 255, 0)},
        {"Dourado", "Dourado", tcolor(255, 215, 0)},
        {"Verde", "Verde", tcolor(0, 128, 0)},
        {"VerdeLimao", "Verde-limão", tcolor(0, 255, 0)},
        {"VerdeClaro", "Verde claro", tcolor(144, 238, 144)},
        {"VerdeEscuro", "Verde escuro", tcolor(0, 100, 0)},
        {"Oliva", "Oliva", tcolor(128, 128, 0)},
        {"VerdeAgua", "Verde-água", tcolor(127, 255, 212)},
        {"Turquesa", "Turquesa", tcolor(64, 224, 208)},
        {"Ciano", "Ciano", tcolor(0, 255, 255)},
        {"Azul", "Azul", tcolor(0, 0, 255)},
        {"AzulMarinho", "Azul-marinho", tcolor(0, 0, 128)},
        {"AzulClaro", "Azul claro", tcolor(173, 216, 230)},
        {"AzulCeleste", "Azul-celeste", tcolor(135, 206, 235)},
        {"AzulPetroleo", "Azul-petróleo", tcolor(0, 128, 128)},
        {"Roxo", "Roxo", tcolor(128, 0, 128)},
        {"Violeta", "Violeta", tcolor(238, 130, 238)},
        {"Lilas", "Lilás", tcolor(200, 162, 200)},
    };
    return cores;
}

TfrmSelecionaCor::TfrmSelecionaCor(const QString& titulo, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSelecionaCor"));
    setWindowTitle(QStringLiteral("Seleção de cor"));
    setModal(true);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(790, 470);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC2, 0xC4, 0xC5));
    setPalette(pal);
    montaTela(titulo.isEmpty() ? QStringLiteral("Escolha a cor") : titulo);
    setFocus();
}

QString TfrmSelecionaCor::resultado() const {
    return result() == QDialog::Accepted && m_temCor ? QString::number(m_cor) : QStringLiteral("X");
}

void TfrmSelecionaCor::montaTela(const QString& textoTitulo) {
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(12, 10, 12, 12);
    auto* titulo = new QLabel(textoTitulo, this);
    titulo->setObjectName(QStringLiteral("lblTitulo"));
    QFont fonte = titulo->font();
    fonte.setPointSize(16);
    fonte.setBold(true);
    titulo->setFont(fonte);
    raiz->addWidget(titulo);

    auto* grade = new QGridLayout;
    grade->setSpacing(6);
    montaPaleta(grade);
    raiz->addLayout(grade);
    raiz->addStretch(1);

    auto* rodape = new QHBoxLayout;
    montaRodape(rodape);
    raiz->addLayout(rodape);

    m_moldura = new QFrame(this);
    m_moldura->setObjectName(QStringLiteral("shpSelecao"));
    m_moldura->setStyleSheet(QStringLiteral("#shpSelecao { border: 4px solid #1e1e1e; background: transparent; }"));
    m_moldura->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_moldura->hide();
}

void TfrmSelecionaCor::montaPaleta(QGridLayout* grade) {
    const QList<CorPaleta>& cores = paleta();
    for (int i = 0; i < cores.size(); ++i) {
        auto* amostra = new TTouchButton(this);
        amostra->setObjectName(QStringLiteral("tcbCor") + cores.at(i).id);
        amostra->setCaption(cores.at(i).nome);
        amostra->SetColor(cores.at(i).tcolor);
        amostra->setFontColor(textoSobre(cores.at(i).tcolor));
        amostra->setFocusPolicy(Qt::NoFocus);
        amostra->setFixedSize(kLarguraAmostra, kAlturaAmostra);
        connect(amostra, &QAbstractButton::clicked, this, [this, i] { escolheAmostra(i); });
        grade->addWidget(amostra, i / colunas(), i % colunas());
        m_amostras.append(amostra);
    }
}

void TfrmSelecionaCor::montaRodape(QHBoxLayout* rodape) {
    // Every part of the footer has a fixed width, so nothing moves when a colour is picked.
    auto* personalizada = criaBotao(this, QStringLiteral("tcbPersonalizada"), QStringLiteral("Personalizada..."), 160);
    connect(personalizada, &QAbstractButton::clicked, this, &TfrmSelecionaCor::abrePersonalizada);
    m_panCor = new QFrame(this);
    m_panCor->setObjectName(QStringLiteral("panCorEscolhida"));
    m_panCor->setFixedSize(60, 60);
    m_panCor->setFrameShape(QFrame::Box);
    m_panCor->setAutoFillBackground(true);
    m_lblCor = new QLabel(QStringLiteral("Nenhuma cor escolhida"), this);
    m_lblCor->setObjectName(QStringLiteral("lblCorEscolhida"));
    QFont fonte = m_lblCor->font();
    fonte.setPointSize(13);
    fonte.setBold(true);
    m_lblCor->setFont(fonte);
    m_lblCor->setWordWrap(true);
    m_lblCor->setFixedSize(210, 60);
    auto* cancelar = criaBotao(this, QStringLiteral("tcbCancelar"), QStringLiteral("Cancelar"), 150);
    connect(cancelar, &QAbstractButton::clicked, this, &QDialog::reject);
    m_tcbConfirmar = criaBotao(this, QStringLiteral("tcbConfirmar"), QStringLiteral("Confirmar"), 150);
    m_tcbConfirmar->setEnabled(false);
    connect(m_tcbConfirmar, &QAbstractButton::clicked, this, &TfrmSelecionaCor::confirma);
    rodape->addWidget(personalizada);
    rodape->addWidget(m_panCor);
    rodape->addWidget(m_lblCor);
    rodape->addStretch(1);
    rodape->addWidget(cancelar);
    rodape->addWidget(m_tcbConfirmar);
}

void TfrmSelecionaCor::escolheAmostra(int indice) {
    if (indice < 0 || indice >= paleta().size())
        return;
    escolheCor(paleta().at(indice).tcolor, paleta().at(indice).nome);
    m_indice = indice;
    posicionaMoldura();
}

void TfrmSelecionaCor::escolheCor(int tcolor, const QString& nome) {
    m_cor = tcolor;
    m_temCor = true;
    m_indice = -1;
    QPalette pal = m_panCor->palette();
    pal.setColor(QPalette::Window, colorFromTColor(tcolor));
    m_panCor->setPalette(pal);
    m_lblCor->setText(nome);
    m_tcbConfirmar->setEnabled(true);
    posicionaMoldura();
}

void TfrmSelecionaCor::abrePersonalizada() {
    const QColor inicial = m_temCor ? colorFromTColor(m_cor) : QColor(Qt::white);
    QColorDialog dialogo(inicial, this);
    dialogo.setOption(QColorDialog::DontUseNativeDialog);
    dialogo.setWindowTitle(QStringLiteral("Cor personalizada"));
    traduzDialogoDeCores(&dialogo);
    if (dialogo.exec() == QDialog::Accepted && dialogo.selectedColor().isValid())
        escolheCor(tcolorFromColor(dialogo.selectedColor()), QStringLiteral("Personalizada"));
    setFocus();
}

void TfrmSelecionaCor::confirma() {
    if (m_temCor)
        accept();
}

void TfrmSelecionaCor::moveSelecao(int passo) {
    const int total = int(m_amostras.size());
    if (m_indice < 0) {
        escolheAmostra(0);
        return;
    }
    const int destino = m_indice + passo;
    if (destino >= 0 && destino < total)
        escolheAmostra(destino);
}

void TfrmSelecionaCor::posicionaMoldura() {
    if (m_indice < 0 || m_indice >= m_amostras.size()) {
        m_moldura->hide();
        return;
    }
    m_moldura->setGeometry(m_amostras.at(m_indice)->geometry().adjusted(-5, -5, 5, 5));
    m_moldura->raise();
    m_moldura->show();
}

void TfrmSelecionaCor::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        moveSelecao(-1);
        break;
    case Qt::Key_Right:
        moveSelecao(1);
        break;
    case Qt::Key_Up:
        moveSelecao(-colunas());
        break;
    case Qt::Key_Down:
        moveSelecao(colunas());
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        confirma();
        break;
    default:
        QDialog::keyPressEvent(event); // Esc leaves
    }
}
