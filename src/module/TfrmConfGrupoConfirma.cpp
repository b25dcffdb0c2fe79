// Confirm and cancel: writing and dropping the pending changes.

#include "TfrmConfGrupo.h"

#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostUi.h>
#include <TBlendedShape.h>

#include <QLabel>

#include <optional>

using namespace KmrTela;

// ------------------------------------------------------- confirm, cancel

void TfrmConfGrupo::esvaziaAlteracoes() {
    cdsAlteracoes.close();
    cdsAlteracoes.createDataSet();
}

void TfrmConfGrupo::esvaziaRecortar() {
    cdsRecortar.close();
    cdsRecortar.createDataSet();
}

void TfrmConfGrupo::tcbConfirmaClick(QObject* Sender) {
    Q_UNUSED(Sender);
    const QString instrucao = lblMensagem->text();
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    // A failure stops the confirmation with its flag, rows and enabling as
    // they were, so that confirming again sends every row from the first;
    // the instruction line then still names the mode that is on.
    try {
        // The whole confirmation is one action of the history; one answered
        // "Não" writes nothing and records nothing.
        std::optional<AcaoHistorico> acao;
        if (aguardaConfirma()) {
            QString idAcao;
            const QString dsAcao = descricaoConfirmacao(idAcao);
            acao.emplace(*this, idAcao, dsAcao);
        }
        if (boExcluir())
            confirmaLimpar();
        else if (boMudaCor())
            confirmaCores(true);
        else if (boMudaFonte())
            confirmaCores(false);
        else if (boColar())
            confirmaColar();
        else if (boMudaImagem())
            confirmaImagens();
    } catch (...) {
        if (aguardaConfirma())
            lblMensagem->setText(instrucao);
        throw;
    }
    ControlaHabilitacao(kHabilitaFerramentas);
    MudaCursor(kCursorSeta);
    shpMostraCor->setVisible(false);
    limpaMarcas();
}

// The four confirmation blocks write through the checked writes
// (TfrmConfGrupoEstacoes.cpp).

void TfrmConfGrupo::tcbCancelaClick(QObject* Sender) {
    Q_UNUSED(Sender);
    const QString instrucao = lblMensagem->text();
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    // A group page that cannot be read again (a lost connection) ends the
    // cancel before anything is dropped: the mode, its marks, its tools and
    // its instruction line stay as they were, so that cancel can be touched
    // again once the store answers.
    try {
        MontaMenuGrupo();
    } catch (...) {
        lblMensagem->setText(instrucao);
        throw;
    }
    MontaMenuProduto();
    m_modo = ModoEdicao::Nenhum;
    esvaziaAlteracoes();
    esvaziaRecortar();
    ControlaHabilitacao(kHabilitaFerramentas);
    MudaCursor(kCursorSeta);
    shpMostraCor->setVisible(false);
    limpaMarcas();
}
