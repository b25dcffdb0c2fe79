// The picture tool: buttons marked for a picture chosen in the picture
// picker, written on confirm, dropped on cancel, as the colours are.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrTela.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <KmrImagens.h>
#include <PesquisaImagem.h>
#include <TTouchButton.h>

using namespace KmrTela;

namespace {

// The instruction of the picture tool; the message table keeps the texts of
// the other tools only.
const QString kInstrucaoImagem = QStringLiteral("Clique no botão ou nos botões desejados para escolher a imagem.");

} // namespace

void TfrmConfGrupo::tcbImagemClick(QObject* Sender) {
    Q_UNUSED(Sender);
    entraModo(ModoEdicao::MudaImagem, QString(), kHabilitaConfirma);
    lblMensagem->setText(kInstrucaoImagem);
    MudaCursor(kCursorMao);
}

// The picker over the picture folder, the button's picture selected; false
// when the operator left it without a choice.
bool TfrmConfGrupo::escolheImagem(TTouchButton* b, const QString& atual, QString& referencia) {
    OpcoesPesquisaImagem opcoes;
    const QString nome = b->captionHidden() || b->caption().isEmpty() ? QStringLiteral("navegador") : b->caption();
    opcoes.titulo = QStringLiteral("Imagem do botão %1 — \"%2\"").arg(b->objectName().right(2), nome);
    opcoes.atual = atual;
    opcoes.cor1 = Incor[0];
    opcoes.cor2 = Incor[1];
    opcoes.cor5 = Incor[4];
    const ImagemEscolhida escolha = PesquisaImagem(pastaImagens(), opcoes);
    if (!escolha.escolheu)
        return false;
    referencia = escolha.referencia;
    return true;
}

namespace {

// A row of the picture tool: the button's position as a colour row holds it,
// and the picture.
void anotaImagem(ClientDataSet& set, const QString& numero, const QString& tipo, const QString& pagina,
                 const QString& tipoAux, const QString& numeroAux, const QString& paginaAux,
                 const QString& referencia) {
    set.append();
    set.setFieldValue(u"NRBUTTON", numero);
    set.setFieldValue(u"IDTPBUTTON", tipo);
    set.setFieldValue(u"NRPGCONFTELA", pagina);
    set.setFieldValue(u"IDTPBUTONAUX", tipoAux);
    set.setFieldValue(u"NRBUTONAUX", numeroAux);
    set.setFieldValue(u"NRPGCONFTAUX", paginaAux);
    set.setFieldValue(u"DSIMAGEMBUT", referencia);
    set.post();
}

// The button shows the chosen picture ("Sem imagem": none) with the mark of a
// pending change, as a pending colour shows its colour; a cancel draws the
// page from the store again.
void mostraImagemPendente(TTouchButton* b, const QString& referencia) {
    b->setPicture(caminhoImagem(referencia));
    b->setPendingMark(TTouchButton::PendingMark::Changed);
}

} // namespace

void TfrmConfGrupo::imagemGrupo(TTouchButton* b, const QString& stCodigo) {
    QString referencia;
    if (!escolheImagem(b, textoLocalizado(cdsPesqGrupo, u"DSIMAGEMBUT"), referencia))
        return;
    anotaImagem(cdsAlteracoes, stCodigo, tipoLocalizado(cdsPesqGrupo), QString::number(NrPgGrupo), QStringLiteral("0"),
                QStringLiteral("0"), QStringLiteral("0"), referencia);
    mostraImagemPendente(b, referencia);
}

void TfrmConfGrupo::imagemProduto(TTouchButton* b, const QString& stCodigo) {
    QString referencia;
    if (!escolheImagem(b, textoLocalizado(cdsPesqProdGrupo, u"DSIMAGEMBUT"), referencia))
        return;
    anotaImagem(cdsAlteracoes, stCodigo, tipoLocalizado(cdsPesqProdGrupo), QString::number(NrPagina),
                QStringLiteral("2"), stNrFocusGrupo, QString::number(NrPgGrupo), referencia);
    mostraImagemPendente(b, referencia);
}

// Each row written, checked against the button as its page showed it; the
// pages are then drawn from the store, pictures included.
void TfrmConfGrupo::confirmaImagens() {
    QStringList grupos;
    QStringList produtos;
    for (cdsAlteracoes.first(); !cdsAlteracoes.eof(); cdsAlteracoes.next()) {
        const auto [tipo, numero, pagina, tipoAux, numeroAux, paginaAux, cor] = linhaAtual(cdsAlteracoes);
        const QString referencia = cdsAlteracoes.fieldText(u"DSIMAGEMBUT");
        const bool grupo = tipoAux == QLatin1String("0");
        QVariant resultado;
        const int32_t status =
            setMudaImagemConferido(stCdFilial, stNrConf, numero, pagina, tipoAux, numeroAux, paginaAux, referencia,
                                   tipo, vistoNaPagina(grupo, numero, tipo), resultado);
        if (gravouConferido(
                QStringLiteral("setMudaImagemConferido"), status, resultado,
                chave({stCdFilial, stNrConf, numero, pagina, tipoAux, numeroAux, paginaAux, referencia, tipo})))
            gravadoNoVisto(grupo, numero, tipo, u"DSIMAGEMBUT", referencia.isEmpty() ? QVariant() : referencia);
        else if (!(grupo ? grupos : produtos).contains(numero))
            (grupo ? grupos : produtos) << numero;
    }
    m_modo = ModoEdicao::Nenhum;
    esvaziaAlteracoes();
    MontaMenuGrupo();
    MontaMenuProduto();
    avisaAlterados(grupos, produtos);
}
