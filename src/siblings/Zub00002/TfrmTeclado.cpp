#include "TfrmTeclado.h"

#include <TTouchButton.h>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// Windows colour values (0x00BBGGRR) of the keys.
constexpr int kCorTecla = 0xF0F0F0;
constexpr int kCorEspecial = 0xB09090;
constexpr int kCorAtiva = 0x4080FF;    // shift or caps held: orange
constexpr int kCorConfirma = 0x40A040; // green
constexpr int kCorCancela = 0x4040C0;  // red
constexpr int kAlturaTecla = 54;

// Rows of character keys; shift and caps change the case of letters only, so
// every symbol the operator may need sits on a key of its own.
const QString kLinha0 = QStringLiteral("1234567890-=");
const QString kLinha1 = QStringLiteral("qwertyuiopáàâ");
const QString kLinha2 = QStringLiteral("asdfghjklçãõê");
const QString kLinha3 = QStringLiteral("zxcvbnm,.éíóô");
const QString kLinha4 = QStringLiteral("ú'\";:/?!@()+*&%");

} // namespace

TfrmTeclado::TfrmTeclado(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmTeclado"));
    setWindowTitle(QStringLiteral("Teclado"));
    setModal(true);
    setFixedSize(790, 470);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC2, 0xC4, 0xC5));
    setPalette(pal);
    montaTeclas();
    m_edit->setFocus();
}

QString TfrmTeclado::texto() const {
    return result() == QDialog::Accepted ? m_edit->text() : QString();
}

QString TfrmTeclado::nomeTecla(QChar c) {
    const QChar minuscula = c.toLower();
    if (minuscula.unicode() < 128 && minuscula.isLetterOrNumber())
        return QStringLiteral("tcbTecla_") + minuscula;
    return QStringLiteral("tcbTecla_U") +
           QString::number(minuscula.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

void TfrmTeclado::montaTeclas() {
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(10, 8, 10, 10);
    raiz->setSpacing(5);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("edtTexto"));
    m_edit->setMinimumHeight(56);
    QFont fonte = m_edit->font();
    fonte.setPointSize(22);
    m_edit->setFont(fonte);
    // Enter in the field confirms; the field swallows nothing else of ours.
    connect(m_edit, &QLineEdit::returnPressed, this, &QDialog::accept);
    raiz->addWidget(m_edit);

    const QStringList linhas{kLinha0, kLinha1, kLinha2, kLinha3, kLinha4};
    for (int i = 0; i < linhas.size(); ++i) {
        auto* linha = new QHBoxLayout;
        linha->setSpacing(4);
        if (i == 3) {
            m_tcbShift = criaTecla(QStringLiteral("tcbShift"), QStringLiteral("Shift"), linha, 2);
            connect(m_tcbShift, &QAbstractButton::clicked, this, &TfrmTeclado::alternaShift);
        }
        montaLinha(linhas.at(i), linha);
        if (i == 0) {
            auto* apagar = criaTecla(QStringLiteral("tcbApagar"), QStringLiteral("Apagar"), linha, 2);
            connect(apagar, &QAbstractButton::clicked, m_edit, &QLineEdit::backspace);
        }
        raiz->addLayout(linha);
    }

    auto* base = new QHBoxLayout;
    base->setSpacing(4);
    m_tcbCaps = criaTecla(QStringLiteral("tcbCaps"), QStringLiteral("Caps"), base, 2);
    connect(m_tcbCaps, &QAbstractButton::clicked, this, &TfrmTeclado::alternaCaps);
    auto* limpar = criaTecla(QStringLiteral("tcbLimpar"), QStringLiteral("Limpar"), base, 2);
    connect(limpar, &QAbstractButton::clicked, m_edit, &QLineEdit::clear);
    auto* espaco = criaTecla(QStringLiteral("tcbEspaco"), QStringLiteral("Espaço"), base, 6);
    connect(espaco, &QAbstractButton::clicked, this, [this] { digita(QLatin1Char(' ')); });
    auto* cancelar = criaTecla(QStringLiteral("tcbCancelar"), QStringLiteral("Cancelar"), base, 3);
    cancelar->SetColor(kCorCancela);
    cancelar->setFontColor(0xFFFFFF);
    connect(cancelar, &QAbstractButton::clicked, this, &QDialog::reject);
    auto* confirmar = criaTecla(QStringLiteral("tcbConfirmar"), QStringLiteral("Confirmar"), base, 3);
    confirmar->SetColor(kCorConfirma);
    confirmar->setFontColor(0xFFFFFF);
    connect(confirmar, &QAbstractButton::clicked, this, &QDialog::accept);
    raiz->addLayout(base);
    atualizaLegendas();
}

void TfrmTeclado::montaLinha(const QString& teclas, QHBoxLayout* linha) {
    for (const QChar c : teclas) {
        auto* tecla = criaTecla(nomeTecla(c), QString(c), linha);
        tecla->SetColor(kCorTecla);
        connect(tecla, &QAbstractButton::clicked, this, [this, c] { digita(maiusculas() ? c.toUpper() : c); });
        if (c.isLetter())
            m_letras.append({c, tecla});
    }
}

TTouchButton* TfrmTeclado::criaTecla(const QString& nome, const QString& legenda, QHBoxLayout* linha, int largura) {
    auto* tecla = new TTouchButton(this);
    tecla->setObjectName(nome);
    tecla->setCaption(legenda);
    tecla->SetColor(kCorEspecial);
    // The text field keeps the focus, so the physical keyboard always types there.
    tecla->setFocusPolicy(Qt::NoFocus);
    tecla->setMinimumHeight(kAlturaTecla);
    tecla->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont fonte = tecla->font();
    fonte.setPointSize(legenda.size() > 1 ? 12 : 17);
    fonte.setBold(true);
    tecla->setFont(fonte);
    linha->addWidget(tecla, largura);
    return tecla;
}

void TfrmTeclado::digita(QChar c) {
    m_edit->insert(QString(c));
    if (m_shift && c.isLetter()) {
        m_shift = false; // shift holds for one letter
        atualizaLegendas();
    }
}

void TfrmTeclado::alternaShift() {
    m_shift = !m_shift;
    atualizaLegendas();
}

void TfrmTeclado::alternaCaps() {
    m_caps = !m_caps;
    atualizaLegendas();
}

void TfrmTeclado::atualizaLegendas() {
    const bool altas = maiusculas();
    for (const auto& [c, tecla] : std::as_const(m_letras))
        tecla->setCaption(QString(altas ? c.toUpper() : c));
    m_tcbShift->SetColor(m_shift ? kCorAtiva : kCorEspecial);
    m_tcbCaps->SetColor(m_caps ? kCorAtiva : kCorEspecial);
}
