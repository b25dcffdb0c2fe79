// Keys, cursors, enabling and the tool buttons that set the edit modes.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostUi.h>
#include <TBlendedBitBtn.h>
#include <TBlendedShape.h>
#include <TColor.h>
#include <TTouchDrag.h>
#include <Zub00005.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>

using namespace KmrTela;

// -------------------------------------------------------------------- keys

bool TfrmConfGrupo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        return teclaPreview(watched, static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

// Every key the screen knows is handled here and goes no further, so the
// dialog's own Esc and Enter handling never acts.
bool TfrmConfGrupo::teclaPreview(QObject* watched, QKeyEvent* event) {
    quint16 key = codigoVirtual(event->key());
    if (key == 0)
        return false;
    if (m_arrasto && m_arrasto->dragging()) {
        m_arrasto->cancel(); // a key while a button is lifted gives the drag up, and does nothing else
        return true;
    }
    const TShiftState shift{event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier),
                            QGuiApplication::mouseButtons()};
    HandleEvent([&] { FormKeyDown(watched, key, shift); });
    mostraPendentes();
    mostraPaginas(); // the arrows follow the mode the key left
    return true;
}

void TfrmConfGrupo::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void TfrmConfGrupo::FormKeyDown(QObject* Sender, quint16& Key, TShiftState Shift) {
    Q_UNUSED(Sender);
    if (Key == kTeclaEnter && Shift.exactly(Qt::ControlModifier) && tcbConfirma->isEnabled())
        tcbConfirmaClick(tcbConfirma);
    // The function keys of the tools, as their captions say; a tool that is
    // off takes no key.
    const struct {
        quint16 tecla;
        TBlendedBitBtn* botao;
        void (TfrmConfGrupo::*acao)(QObject*);
    } atalhos[] = {
        {kTeclaF2, tcbCancela, &TfrmConfGrupo::tcbCancelaClick},
        {kTeclaF3, tcbLimpar, &TfrmConfGrupo::tcbLimparClick},
        {kTeclaF4, tcbCorTexto, &TfrmConfGrupo::tcbCorTextoClick},
        {kTeclaF5, tcbNome, &TfrmConfGrupo::tcbNomeClick},
        {kTeclaF6, tcbRecortar, &TfrmConfGrupo::tcbRecortarClick},
        {kTeclaF7, tcbCorButton, &TfrmConfGrupo::tcbCorButtonClick},
        {kTeclaF8, tcbImagem, &TfrmConfGrupo::tcbImagemClick},
    };
    for (const auto& a : atalhos)
        if (Key == a.tecla && a.botao->isEnabled())
            (this->*a.acao)(a.botao);
    // Undo and redo of the session's history, while their buttons are on.
    if (Key == kTeclaZ && Shift.exactly(Qt::ControlModifier) && tcbDesfazer->isEnabled())
        tcbDesfazerClick(tcbDesfazer);
    if (Key == kTeclaY && Shift.exactly(Qt::ControlModifier) && tcbRefazer->isEnabled())
        tcbRefazerClick(tcbRefazer);
    if (Key == kTeclaEsc)
        tcbSairClick(tcbSair);
    if (Key == kTeclaDelete && Shift.exactly(Qt::ControlModifier))
        Key = 0;
    if (Key == kTeclaF4 && Shift.exactly(Qt::AltModifier))
        Key = 0;
    teclaPagina(Key, Shift);
}

void TfrmConfGrupo::MudaCursor(const QString& sttipo) {
    const QCursor cursor(sttipo == kCursorSeta ? Qt::ArrowCursor : Qt::PointingHandCursor);
    for (int n = 1; n <= NRBUTTONSGRUP; ++n) {
        if (QWidget* b = FindComponent(QStringLiteral("tcbGrupo") + doisDigitos(n)))
            b->setCursor(cursor);
    }
    for (int n = 1; n <= NRBUTTONSPROD; ++n) {
        if (QWidget* b = FindComponent(QStringLiteral("tcbBalcao") + doisDigitos(n)))
            b->setCursor(cursor);
    }
}

void TfrmConfGrupo::ControlaHabilitacao(const QString& stFuncao) {
    const bool ferramentas = stFuncao == kHabilitaFerramentas;
    const bool confirma = stFuncao == kHabilitaConfirma;
    const bool cancela = stFuncao != kHabilitaFerramentas;
    tcbLimpar->setEnabled(ferramentas);
    tcbNome->setEnabled(ferramentas);
    tcbCorButton->setEnabled(ferramentas);
    tcbCorTexto->setEnabled(ferramentas);
    tcbRecortar->setEnabled(ferramentas);
    tcbImagem->setEnabled(ferramentas);
    tcbConfirma->setEnabled(confirma);
    tcbCancela->setEnabled(cancela);
    m_ferramentasLigadas = ferramentas;
    mostraDesfazer();
}

void TfrmConfGrupo::entraModo(ModoEdicao modo, const QString& mensagem, const QString& habilitacao) {
    lblMensagem->setText(msgPadrao.Msg(mensagem));
    // Another tool drops the clear marks: both pages show the store again.
    if (boExcluir() && modo != ModoEdicao::Excluir) {
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    ControlaHabilitacao(habilitacao);
    m_modo = modo;
}

void TfrmConfGrupo::tcbLimparClick(QObject* Sender) {
    Q_UNUSED(Sender);
    entraModo(ModoEdicao::Excluir, QStringLiteral("Limpar"), kHabilitaConfirma);
    MudaCursor(kCursorMao);
}

void TfrmConfGrupo::tcbCorButtonClick(QObject* Sender) {
    Q_UNUSED(Sender);
    entraModo(ModoEdicao::MudaCor, QStringLiteral("CorBotao"), kHabilitaConfirma);
    escolheCor(CorButton);
}

void TfrmConfGrupo::tcbCorTextoClick(QObject* Sender) {
    Q_UNUSED(Sender);
    entraModo(ModoEdicao::MudaFonte, QStringLiteral("CorTexto"), kHabilitaConfirma);
    escolheCor(CorFonte);
}

// Opens the colour screen and keeps its choice in cor. Leaving it without a
// choice ("X") ends the mode and returns the tools; a text that is no colour
// stops here with the swatch shown and the mode on, so that the operator
// confirms or cancels.
void TfrmConfGrupo::escolheCor(QString& cor) {
    QVariant oleRetorno = QVariant(QVariantList(10));
    // The colour screen says which colour is being chosen.
    OpcoesCor opcoes;
    opcoes.titulo = &cor == &CorFonte ? QStringLiteral("Cor do texto") : QStringLiteral("Cor de fundo");
    CriaTelaKmr00006(QVariantList{QString()}, oleRetorno, opcoes);
    cor = oleRetorno.toList().value(0).toString();
    if (cor == QLatin1String("X")) {
        ControlaHabilitacao(kHabilitaFerramentas);
        m_modo = ModoEdicao::Nenhum;
        return;
    }
    MudaCursor(kCursorMao);
    shpMostraCor->setVisible(true);
    shpMostraCor->setFillColor(colorFromTColor(corInteira(cor)));
}

void TfrmConfGrupo::tcbNomeClick(QObject* Sender) {
    Q_UNUSED(Sender);
    entraModo(ModoEdicao::MudaNome, QStringLiteral("Nome"), kHabilitaNome);
}

void TfrmConfGrupo::tcbRecortarClick(QObject* Sender) {
    Q_UNUSED(Sender);
    entraModo(ModoEdicao::Recortar, QStringLiteral("RecortaBotao"), kHabilitaCancela);
    MudaCursor(kCursorMao);
}
