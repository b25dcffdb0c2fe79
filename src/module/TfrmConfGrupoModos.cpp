// Keys, cursors, enabling and the tool buttons that set the edit modes.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrPictures.h"
#include "KmrTela.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostErrors.h>
#include <HostText.h>
#include <HostUi.h>
#include <TBlendedBitBtn.h>
#include <TBlendedShape.h>
#include <TColor.h>
#include <TTouchButton.h>
#include <Zub00002.h>
#include <Zub00005.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainterPath>
#include <QScreen>

#include <cmath>
#include <limits>
#include <stdexcept>

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
    if (Key == 13 && Shift.exactly(Qt::ControlModifier) && tcbConfirma->isEnabled())
        tcbConfirmaClick(tcbConfirma);
    if (Key == 113 && tcbCancela->isEnabled())
        tcbCancelaClick(tcbCancela);
    if (Key == 114 && tcbLimpar->isEnabled())
        tcbLimparClick(tcbLimpar);
    if (Key == 115 && tcbCorTexto->isEnabled())
        tcbCorTextoClick(tcbCorTexto);
    if (Key == 116 && tcbNome->isEnabled())
        tcbNomeClick(tcbNome);
    if (Key == 117 && tcbRecortar->isEnabled())
        tcbRecortarClick(tcbRecortar);
    if (Key == 118 && tcbCorButton->isEnabled())
        tcbCorButtonClick(tcbCorButton);
    if (Key == 27)
        tcbSairClick(tcbSair);
    if (Key == 46 && Shift.exactly(Qt::ControlModifier))
        Key = 0;
    if (Key == 115 && Shift.exactly(Qt::AltModifier))
        Key = 0;
    teclaPagina(Key, Shift);
}

void TfrmConfGrupo::MudaCursor(const QString& sttipo) {
    const QCursor cursor(sttipo == QLatin1String("0") ? Qt::ArrowCursor : Qt::PointingHandCursor);
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
    const bool ferramentas = stFuncao == QLatin1String("H");
    const bool confirma = stFuncao == QLatin1String("D");
    const bool cancela = stFuncao != QLatin1String("H");
    tcbLimpar->setEnabled(ferramentas);
    tcbNome->setEnabled(ferramentas);
    tcbCorButton->setEnabled(ferramentas);
    tcbCorTexto->setEnabled(ferramentas);
    tcbRecortar->setEnabled(ferramentas);
    tcbConfirma->setEnabled(confirma);
    tcbCancela->setEnabled(cancela);
}

void TfrmConfGrupo::tcbLimparClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Limpar")));
    ControlaHabilitacao(QStringLiteral("D"));
    boExcluir = true;
    boMudaCor = false;
    boMudaFonte = false;
    boMudaNome = false;
    boRecortar = false;
    MudaCursor(QStringLiteral("1"));
}

void TfrmConfGrupo::tcbCorButtonClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("CorBotao")));
    if (boExcluir) {
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    ControlaHabilitacao(QStringLiteral("D"));
    boMudaCor = true;
    boMudaNome = false;
    boMudaFonte = false;
    boExcluir = false;
    boRecortar = false;
    escolheCor(CorButton);
    if (CorButton == QLatin1String("X"))
        boMudaCor = false;
}

void TfrmConfGrupo::tcbCorTextoClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("CorTexto")));
    if (boExcluir) {
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    ControlaHabilitacao(QStringLiteral("D"));
    boMudaFonte = true;
    boMudaNome = false;
    boMudaCor = false;
    boExcluir = false;
    boRecortar = false;
    escolheCor(CorFonte);
    if (CorFonte == QLatin1String("X"))
        boMudaFonte = false;
}

// Opens the colour screen and keeps its choice in cor. Leaving it without a
// choice ("X") returns the tools; a text that is no colour stops here with
// the swatch shown and the mode on, so that the operator confirms or cancels.
void TfrmConfGrupo::escolheCor(QString& cor) {
    oleRetorno = QVariant(QVariantList(10));
    // The colour screen says which colour is being chosen.
    OpcoesCor opcoes;
    opcoes.titulo = &cor == &CorFonte ? QStringLiteral("Cor do texto") : QStringLiteral("Cor de fundo");
    CriaTelaKmr00006(QVariantList{QString()}, oleRetorno, opcoes);
    cor = oleRetorno.toList().value(0).toString();
    if (cor == QLatin1String("X")) {
        ControlaHabilitacao(QStringLiteral("H"));
        return;
    }
    MudaCursor(QStringLiteral("1"));
    shpMostraCor->setVisible(true);
    shpMostraCor->setFillColor(colorFromTColor(corInteira(cor)));
}

void TfrmConfGrupo::tcbNomeClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Nome")));
    if (boExcluir) {
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    ControlaHabilitacao(QStringLiteral("D1"));
    boMudaNome = true;
    boMudaCor = false;
    boMudaFonte = false;
    boExcluir = false;
    boRecortar = false;
}

void TfrmConfGrupo::tcbRecortarClick(QObject* Sender) {
    Q_UNUSED(Sender);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("RecortaBotao")));
    if (boExcluir) {
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    ControlaHabilitacao(QStringLiteral("C"));
    MudaCursor(QStringLiteral("1"));
    boRecortar = true;
    boMudaCor = false;
    boMudaNome = false;
    boMudaFonte = false;
    boExcluir = false;
    boColar = false;
    boColarCtrl = false;
}
