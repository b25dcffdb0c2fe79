#include "TecladoToque.h"

#include "CampoTexto.h"

#include <TTouchButton.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// Windows colour values (0x00BBGGRR) of the keys.
constexpr int kCorTecla = 0xF0F0F0;
constexpr int kCorEspecial = 0xB09090;
constexpr int kCorAtiva = 0x4080FF;    // case key held: orange
constexpr int kCorConfirma = 0x40A040; // green
constexpr int kCorCancela = 0x4040C0;  // red

// Rows of character keys; the case keys change letters only, so every
// symbol the operator may need sits on a key of its own.
const QStringList kCompleta = {QStringLiteral("1234567890-="), QStringLiteral("qwertyuiopáàâ"),
                               QStringLiteral("asdfghjklçãõê"), QStringLiteral("zxcvbnm,.éíóô"),
                               QStringLiteral("ú'\";:/?!@()+*&%")};
const QStringList kCompacta = {QStringLiteral("1234567890"), QStringLiteral("qwertyuiop"), QStringLiteral("asdfghjklç"),
                               QStringLiteral("zxcvbnm-./")};

} // namespace

TecladoToque::TecladoToque(CampoTexto* campo, Disposicao disposicao, QWidget* parent)
    : QWidget(parent), m_campo(campo), m_alturaTecla(disposicao == Disposicao::Completa ? 54 : 46) {
    setObjectName(QStringLiteral("panTeclado"));
    if (disposicao == Disposicao::Completa)
        montaCompleta();
    else
        montaCompacta();
}

QString TecladoToque::nomeTecla(QChar c) {
    const QChar minuscula = c.toLower();
    if (minuscula.unicode() < 128 && minuscula.isLetterOrNumber())
        return QStringLiteral("tcbTecla_") + minuscula;
    return QStringLiteral("tcbTecla_U") +
           QString::number(minuscula.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

bool TecladoToque::aceitaToques() const {
    return m_exibido.isValid() && m_exibido.elapsed() >= carenciaMs();
}

void TecladoToque::showEvent(QShowEvent* event) {
    m_exibido.start();
    QWidget::showEvent(event);
}

bool TecladoToque::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::TouchBegin:
        if (!aceitaToques())
            return true; // the key never goes down, so its release types nothing
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TecladoToque::montaCompleta() {
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(5);
    for (int i = 0; i < kCompleta.size(); ++i) {
        auto* linha = new QHBoxLayout;
        linha->setSpacing(4);
        if (i == 3) {
            m_tcbShift = criaTecla(QStringLiteral("tcbShift"), QStringLiteral("Maiúscula"), linha, 2);
            connect(m_tcbShift, &QAbstractButton::clicked, this, &TecladoToque::alternaShift);
        }
        montaLinha(kCompleta.at(i), linha);
        if (i == 0) {
            auto* apagar = criaTecla(QStringLiteral("tcbApagar"), QStringLiteral("Apagar"), linha, 2);
            connect(apagar, &QAbstractButton::clicked, m_campo, &QLineEdit::backspace);
        }
        raiz->addLayout(linha);
    }

    auto* base = new QHBoxLayout;
    base->setSpacing(4);
    m_tcbCaps = criaTecla(QStringLiteral("tcbCaps"), QStringLiteral("Fixar maiúsculas"), base, 3);
    connect(m_tcbCaps, &QAbstractButton::clicked, this, &TecladoToque::alternaCaps);
    auto* limpar = criaTecla(QStringLiteral("tcbLimpar"), QStringLiteral("Limpar"), base, 2);
    connect(limpar, &QAbstractButton::clicked, m_campo, &QLineEdit::clear);
    auto* espaco = criaTecla(QStringLiteral("tcbEspaco"), QStringLiteral("Espaço"), base, 5);
    connect(espaco, &QAbstractButton::clicked, this, [this] { digita(QLatin1Char(' ')); });
    auto* cancelar = criaTecla(QStringLiteral("tcbCancelar"), QStringLiteral("Cancelar"), base, 3);
    cancelar->SetColor(kCorCancela);
    cancelar->setFontColor(0xFFFFFF);
    connect(cancelar, &QAbstractButton::clicked, this, &TecladoToque::cancelar);
    auto* confirmar = criaTecla(QStringLiteral("tcbConfirmar"), QStringLiteral("Confirmar"), base, 3);
    confirmar->SetColor(kCorConfirma);
    confirmar->setFontColor(0xFFFFFF);
    connect(confirmar, &QAbstractButton::clicked, this, &TecladoToque::confirmar);
    raiz->addLayout(base);
    atualizaLegendas();
}

void TecladoToque::montaCompacta() {
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(4);
    for (int i = 0; i < kCompacta.size(); ++i) {
        auto* linha = new QHBoxLayout;
        linha->setSpacing(4);
        montaLinha(kCompacta.at(i), linha);
        if (i == 0) {
            auto* apagar = criaTecla(QStringLiteral("tcbApagar"), QStringLiteral("Apagar"), linha, 2);
            connect(apagar, &QAbstractButton::clicked, m_campo, &QLineEdit::backspace);
        } else if (i == 1) {
            auto* limpar = criaTecla(QStringLiteral("tcbLimpar"), QStringLiteral("Limpar"), linha, 2);
            connect(limpar, &QAbstractButton::clicked, m_campo, &QLineEdit::clear);
        } else if (i == 2) {
            auto* espaco = criaTecla(QStringLiteral("tcbEspaco"), QStringLiteral("Espaço"), linha, 2);
            connect(espaco, &QAbstractButton::clicked, this, [this] { digita(QLatin1Char(' ')); });
        } else {
            linha->addStretch(2);
        }
        raiz->addLayout(linha);
    }
}

void TecladoToque::montaLinha(const QString& teclas, QHBoxLayout* linha) {
    for (const QChar c : teclas) {
        auto* tecla = criaTecla(nomeTecla(c), QString(c), linha);
        tecla->SetColor(kCorTecla);
        connect(tecla, &QAbstractButton::clicked, this, [this, c] { digita(maiusculas() ? c.toUpper() : c); });
        if (c.isLetter())
            m_letras.append({c, tecla});
    }
}

TTouchButton* TecladoToque::criaTecla(const QString& nome, const QString& legenda, QHBoxLayout* linha, int largura) {
    auto* tecla = new TTouchButton(this);
    tecla->setObjectName(nome);
    tecla->setCaption(legenda);
    tecla->SetColor(kCorEspecial);
    // The text field keeps the focus, so the physical keyboard always types there.
    tecla->setFocusPolicy(Qt::NoFocus);
    tecla->setMinimumHeight(m_alturaTecla);
    tecla->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    tecla->installEventFilter(this);
    QFont fonte = tecla->font();
    fonte.setPointSize(legenda.size() > 1 ? 12 : 17);
    fonte.setBold(true);
    tecla->setFont(fonte);
    linha->addWidget(tecla, largura);
    return tecla;
}

void TecladoToque::digita(QChar c) {
    m_campo->digita(QString(c));
    if (m_shift && c.isLetter()) {
        m_shift = false; // the case key holds for one letter
        atualizaLegendas();
    }
}

void TecladoToque::alternaShift() {
    m_shift = !m_shift;
    atualizaLegendas();
}

void TecladoToque::alternaCaps() {
    m_caps = !m_caps;
    atualizaLegendas();
}

void TecladoToque::atualizaLegendas() {
    const bool altas = maiusculas();
    for (const auto& [c, tecla] : std::as_const(m_letras))
        tecla->setCaption(QString(altas ? c.toUpper() : c));
    if (m_tcbShift)
        m_tcbShift->SetColor(m_shift ? kCorAtiva : kCorEspecial);
    if (m_tcbCaps)
        m_tcbCaps->SetColor(m_caps ? kCorAtiva : kCorEspecial);
}
