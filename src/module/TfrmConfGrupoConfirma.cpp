// Confirm and cancel: writing and dropping the pending changes.

#include "TfrmConfGrupo.h"

#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostUi.h>
#include <TBlendedShape.h>

#include <QLabel>

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
        if (boExcluir())
            confirmaLimpar();
        else if (boMudaCor())
            confirmaCores(true);
        else if (boMudaFonte())
            confirmaCores(false);
        else if (boColar())
            confirmaColar();
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

void TfrmConfGrupo::confirmaLimpar() {
    if (!cdsAlteracoes.isEmpty()) {
        if (MensagemPergunta(msgPadrao.Msg(QStringLiteral("Deleta")), QStringLiteral("002"))) {
            for (cdsAlteracoes.first(); !cdsAlteracoes.eof(); cdsAlteracoes.next()) {
                const auto [tipo, numero, pagina, tipoAux, numeroAux, paginaAux, cor] = linhaAtual(cdsAlteracoes);
                QVariant resultado;
                if (tipo == QLatin1String("2")) {
                    int32_t status =
                        getDelProdGrup(stCdFilial, stNrConf, QStringLiteral("2"), numero, paginaAux, resultado);
                    retorno(QStringLiteral("getDelProdGrup"), status, resultado,
                            chave({stCdFilial, stNrConf, QStringLiteral("2"), numero, paginaAux}));
                    status = getDeletaGrupo(stCdFilial, stNrConf, QStringLiteral("2"), numero, paginaAux, resultado);
                    retorno(QStringLiteral("getDeletaGrupo"), status, resultado,
                            chave({stCdFilial, stNrConf, QStringLiteral("2"), numero, paginaAux}));
                } else if (tipo.startsWith(QLatin1Char('1')) || navegadorProduto(tipo)) {
                    const int32_t status =
                        getDelProduto(stCdFilial, stNrConf, numero, pagina, numeroAux, paginaAux, resultado);
                    retorno(QStringLiteral("getDelProduto"), status, resultado,
                            chave({stCdFilial, stNrConf, QStringLiteral("2"), numero, pagina, numeroAux, paginaAux}));
                } else if (tipo == QLatin1String("7") || tipo == QLatin1String("8")) {
                    const int32_t status = getDeletaGrupo(stCdFilial, stNrConf, tipo, numero, paginaAux, resultado);
                    retorno(QStringLiteral("getDeletaGrupo"), status, resultado,
                            chave({stCdFilial, stNrConf, tipo, numero, paginaAux}));
                }
            }
        }
        // Both pages from the store: on no the marked buttons come back; on
        // yes a product page blanked by a group mark shows its products again.
        MontaMenuGrupo();
        MontaMenuProduto();
    }
    m_modo = ModoEdicao::Nenhum;
    esvaziaAlteracoes();
}

// Background colours (fundo) or text colours: one call per row, in the order
// the buttons were touched.
void TfrmConfGrupo::confirmaCores(bool fundo) {
    for (cdsAlteracoes.first(); !cdsAlteracoes.eof(); cdsAlteracoes.next()) {
        const auto [tipo, numero, pagina, tipoAux, numeroAux, paginaAux, cor] = linhaAtual(cdsAlteracoes);
        QVariant resultado;
        if (fundo) {
            const int32_t status =
                getMudaCor(stCdFilial, stNrConf, numero, pagina, tipoAux, numeroAux, paginaAux, cor, tipo, resultado);
            retorno(QStringLiteral("getMudaCor"), status, resultado,
                    chave({stCdFilial, stNrConf, numero, pagina, tipoAux, numeroAux, paginaAux, cor, tipo}));
        } else {
            const int32_t status =
                getMudaFonte(stCdFilial, stNrConf, numero, pagina, cor, tipo, tipoAux, paginaAux, numeroAux, resultado);
            retorno(QStringLiteral("getMudaFonte"), status, resultado,
                    chave({stCdFilial, stNrConf, numero, pagina, cor, tipo, tipoAux, paginaAux, numeroAux}));
        }
    }
    m_modo = ModoEdicao::Nenhum;
    esvaziaAlteracoes();
}

void TfrmConfGrupo::confirmaColar() {
    if (!cdsAlteracoes.isEmpty() && !cdsRecortar.isEmpty()) {
        const auto campos = [](const ClientDataSet& set) {
            return QStringList{set.fieldText(u"IDTPBUTTON"),   set.fieldText(u"NRBUTTON"),
                               set.fieldText(u"NRPGCONFTELA"), set.fieldText(u"IDTPBUTONAUX"),
                               set.fieldText(u"NRBUTONAUX"),   set.fieldText(u"NRPGCONFTAUX")};
        };
        const QStringList alvo = campos(cdsAlteracoes);
        const QStringList origem = campos(cdsRecortar);
        const QString fundo = QString::number(InColor);
        const QString texto = QString::number(InFontColor);
        const QString inicial = alvo[0].left(1);
        QVariant resultado;
        if (inicial == QLatin1String("2") || inicial == QLatin1String("7") || inicial == QLatin1String("8")) {
            const int32_t status = setColarGrup(fundo, texto, stDescricao, alvo[0], alvo[1], alvo[2], alvo[3], alvo[4],
                                                alvo[5], stCdFilial, stNrConf, origem[0], origem[1], origem[2],
                                                origem[3], origem[4], origem[5], resultado);
            retorno(QStringLiteral("setColarGrup"), status, resultado,
                    chave(QStringList{stCdFilial, fundo, texto, stDescricao} + alvo +
                          QStringList{stCdFilial, stNrConf} + origem));
        } else if (inicial == QLatin1String("1") || inicial == QLatin1String("9") || inicial == QLatin1String("A")) {
            const int32_t status = setColarProd(fundo, texto, stDescricao, alvo[0], alvo[1], alvo[2], alvo[3], alvo[4],
                                                alvo[5], stCdFilial, origem[0], origem[1], origem[2], origem[3],
                                                origem[4], origem[5], stNrConf, resultado);
            retorno(QStringLiteral("setColarProd"), status, resultado,
                    chave(QStringList{fundo, texto, stDescricao} + alvo + QStringList{stCdFilial} + origem +
                          QStringList{stNrConf}));
        }
    }
    MontaMenuGrupo();
    MontaMenuProduto();
    m_modo = ModoEdicao::Nenhum;
    esvaziaAlteracoes();
    esvaziaRecortar();
}

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
