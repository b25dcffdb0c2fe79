// Touch actions of the group and product buttons.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrPictures.h"
#include "KmrTela.h"
#include "ProdutosNoCardapio.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostErrors.h>
#include <HostText.h>
#include <HostUi.h>
#include <TTouchButton.h>
#include <Zub00002.h>

#include <QLabel>

using namespace KmrTela;

namespace {

// What the keyboard shows and allows for a button's caption: at most the
// width of DSBUTTON.
constexpr int kLimiteNome = 50;

OpcoesTeclado tecladoNovoGrupo(const QString& stCodigo) {
    OpcoesTeclado opcoes;
    opcoes.titulo =
        QStringLiteral("Nome do novo grupo (botão %1) — ou inNav = 1 / inNav = 2 para um navegador").arg(stCodigo);
    opcoes.limite = kLimiteNome;
    return opcoes;
}

OpcoesTeclado tecladoRenomeia(const QString& nomeAtual) {
    OpcoesTeclado opcoes;
    opcoes.titulo = QStringLiteral("Novo nome para \"%1\"").arg(nomeAtual);
    opcoes.textoInicial = nomeAtual;
    opcoes.limite = kLimiteNome;
    return opcoes;
}

// The products on the product page the screen holds (the group in focus), for
// the search list to mark when the configuration's products cannot be read.
// The page carries the buttons' captions, not the product codes, so the list
// matches them by name.
QList<ProdutoNoCardapio> produtosNaPagina(const ClientDataSet& pagina, const QString& nomeGrupo) {
    QList<ProdutoNoCardapio> produtos;
    if (!pagina.active())
        return produtos;
    const int tipo = pagina.fieldIndex(u"IDTPBUTTON");
    const int nome = pagina.fieldIndex(u"DSBUTTON");
    const int posicao = pagina.fieldIndex(u"NRBUTTON");
    const int numeroPagina = pagina.fieldIndex(u"NRPGCONFTELA");
    if (tipo < 0 || nome < 0 || posicao < 0)
        return produtos;
    for (int r = 0; r < pagina.recordCount(); ++r) {
        if (pagina.visibleValue(r, tipo).toString() != QLatin1String("1"))
            continue; // navigators are no products
        QString local = nomeGrupo + QStringLiteral(" / ") + pagina.visibleValue(r, posicao).toString();
        const QString pg = numeroPagina >= 0 ? pagina.visibleValue(r, numeroPagina).toString() : QString();
        if (!pg.isEmpty() && pg != QLatin1String("1"))
            local += QStringLiteral(" (página %1)").arg(pg);
        produtos.append({QString(), pagina.visibleValue(r, nome).toString(), local});
    }
    return produtos;
}

} // namespace

QString TfrmConfGrupo::textoLocalizado(const ClientDataSet& set, QStringView field) const {
    // The current row after the locate; an empty text when the page holds no row.
    if (!set.active() || set.isEmpty())
        return QString();
    return set.fieldText(field);
}

QString TfrmConfGrupo::tipoLocalizado(const ClientDataSet& set) const {
    return textoLocalizado(set, u"IDTPBUTTON");
}

// ------------------------------------------------------------- group page

void TfrmConfGrupo::tcbGrupo01Click(QObject* Sender) {
    auto* b = qobject_cast<TTouchButton*>(Sender);
    if (!b)
        return;
    const QString stCodigo = b->objectName().right(2);
    const bool achou = cdsPesqGrupo.active() &&
                       cdsPesqGrupo.locate(QStringLiteral("NRBUTTON;NRPGCONFTELA"),
                                           {stCodigo, QString::number(NrPgGrupo)}, LocateOptions{true, false});
    // A button whose row the page did not load (a reload that failed after
    // its caption was set) would be recorded with the type of whatever row
    // is current. The page is drawn again from the store instead.
    if (editaBotao() && !vazio(b) && !achou) {
        MontaMenuGrupo();
        return;
    }
    if (tocaNavegadorGrupo(b, stCodigo))
        return;

    static constexpr AcoesDaGrade kAcoesGrupo{
        &TfrmConfGrupo::adicionaGrupo, &TfrmConfGrupo::limpaGrupo,    &TfrmConfGrupo::corFundoGrupo,
        &TfrmConfGrupo::corTextoGrupo, &TfrmConfGrupo::renomeiaGrupo, &TfrmConfGrupo::recortaGrupo,
        &TfrmConfGrupo::colaGrupo,     &TfrmConfGrupo::imagemGrupo,   1};
    despachaToque(b, stCodigo, kAcoesGrupo);

    // Focus step, after every touch that raised nothing.
    if (temCaption(b) && !editaBotao()) {
        if (stNrFocusGrupo != stCodigo)
            NrPagina = 1; // another group opens on its first product page
        stNrFocusGrupo = stCodigo;
        ControlaFocus();
        MontaMenuProduto();
    }
}

void TfrmConfGrupo::despachaToque(TTouchButton* b, const QString& stCodigo, const AcoesDaGrade& acoes) {
    if (m_modo == ModoEdicao::Nenhum && vazio(b))
        (this->*acoes.preenche)(b, stCodigo);
    else if (boExcluir() && !vazio(b))
        (this->*acoes.limpa)(b, stCodigo);
    else if (boMudaCor() && !vazio(b))
        (this->*acoes.corFundo)(b, stCodigo);
    else if (boMudaFonte() && temCaption(b))
        (this->*acoes.corTexto)(b, stCodigo);
    else if (boMudaNome() && temCaption(b))
        (this->*acoes.renomeia)(b, stCodigo);
    else if (boRecortar() && !vazio(b))
        (this->*acoes.recorta)(b, stCodigo);
    else if (boMudaImagem() && !vazio(b))
        (this->*acoes.imagem)(b, stCodigo);
    else if (m_modo == ModoEdicao::Colar && vazio(b) && inCtrlColar == acoes.origemDoRecorte)
        (this->*acoes.cola)(b, stCodigo);
}

void TfrmConfGrupo::adicionaGrupo(TTouchButton* b, const QString& stCodigo) {
    QString stTipoBut = QStringLiteral("2");
    const double NrColorText = 0;
    const double NrColorBack = kCorBranco;
    QString stNome = TecladoAlfaNumerico(0, 0, 0, 0, tecladoNovoGrupo(stCodigo));
    if (EmptyString(stNome))
        return;
    if (stNome == QLatin1String("inNav = 1")) {
        stTipoBut = QStringLiteral("8");
        stNome = QStringLiteral("Navegador_Esquerdo_Grp");
    } else if (stNome == QLatin1String("inNav = 2")) {
        stTipoBut = QStringLiteral("7");
        stNome = QStringLiteral("Navegador_Direito_Grp");
    }
    const QString pagina = QString::number(NrPgGrupo);
    const QString key =
        chave({stCdFilial, stNrConf, stTipoBut, stCodigo, stNome, textoCor(NrColorText), textoCor(NrColorBack), pagina,
               QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
    QVariant resultado;
    int32_t status = 0;
    {
        const AcaoHistorico acao(*this, QStringLiteral("I"), descricaoInclusao(stCodigo, stNome));
        status = getInsere(stCdFilial, stNrConf, stTipoBut, stCodigo, stNome, static_cast<float>(NrColorText),
                           static_cast<float>(NrColorBack), QString(), QString(), pagina, QStringLiteral("0"),
                           QStringLiteral("0"), QStringLiteral("0"), resultado);
    }
    try {
        retorno(QStringLiteral("getInsere"), status, resultado, key);
    } catch (const SilentAbort&) {
        // The insert was refused: show the page as the store holds it.
        MontaMenuGrupo();
        throw;
    }
    b->setCaption(stNome);
    MontaMenuGrupo();
    if (stTipoBut == QLatin1String("2")) {
        LimpaMenuProduto();
    } else {
        // A navigator takes no focus: keep the page of the group in focus
        // showing what it holds instead of blanking it.
        MontaMenuProduto();
    }
}

void TfrmConfGrupo::limpaGrupo(TTouchButton* b, const QString& stCodigo) {
    const QString fantasma = b->caption();
    // A group clear row holds only the button, its type and, in NRPGCONFTAUX,
    // its page: the shape the clear confirmation reads.
    cdsAlteracoes.append();
    cdsAlteracoes.setFieldValue(u"NRBUTTON", stCodigo);
    cdsAlteracoes.setFieldValue(u"IDTPBUTTON", tipoLocalizado(cdsPesqGrupo));
    cdsAlteracoes.setFieldValue(u"NRPGCONFTAUX", QString::number(NrPgGrupo));
    cdsAlteracoes.post();
    b->setCaption(QString());
    b->SetColor(kCorBranco);
    b->setFontColor(0);
    if (TTouchButton* marcador = botao(QStringLiteral("panGrup") + stCodigo))
        marcador->SetColor(kCorBranco);
    b->clearGlyph();
    b->setPendingMark(TTouchButton::PendingMark::Clear, fantasma);
    lembraVisto(true, stCodigo, false);
    LimpaMenuProduto();
}

void TfrmConfGrupo::corFundoGrupo(TTouchButton* b, const QString& stCodigo) {
    const int cor = corInteira(CorButton); // refuse a row that could never be written
    anotaBotao(cdsAlteracoes, Grade::Grupo, stCodigo, tipoLocalizado(cdsPesqGrupo), CorButton);
    b->SetColor(cor);
    if (TTouchButton* marcador = botao(QStringLiteral("panGrup") + stCodigo))
        marcador->SetColor(cor);
    b->setPendingMark(TTouchButton::PendingMark::Changed);
}

void TfrmConfGrupo::corTextoGrupo(TTouchButton* b, const QString& stCodigo) {
    const int cor = corInteira(CorFonte);
    anotaBotao(cdsAlteracoes, Grade::Grupo, stCodigo, QStringLiteral("2"), CorFonte);
    b->setFontColor(cor);
    b->setPendingMark(TTouchButton::PendingMark::Changed);
}

void TfrmConfGrupo::renomeiaGrupo(TTouchButton* b, const QString& stCodigo) {
    const QString pagina = QString::number(NrPgGrupo);
    const auto chaveDe = [&](const QString& stNome) {
        return chave({stCdFilial, stCodigo, pagina, stNome, QStringLiteral("0"), QStringLiteral("2"),
                      QStringLiteral("0"), QStringLiteral("0")});
    };
    renomeia(b, stCodigo, {pagina, QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("0")},
             chaveDe, &TfrmConfGrupo::MontaMenuGrupo);
}

void TfrmConfGrupo::recortaGrupo(TTouchButton* b, const QString& stCodigo) {
    const QString tipo = tipoLocalizado(cdsPesqGrupo);
    anotaBotao(cdsRecortar, Grade::Grupo, stCodigo, tipo);
    lembraVisto(true, stCodigo, true);
    stDescricao = navegadorGrupo(tipo) ? textoLocalizado(cdsPesqGrupo, u"DSBUTTON") : b->caption();
    m_imagemRecorte = b->picture();
    InColor = b->color();
    InFontColor = b->fontColor();
    const QString fantasma = b->caption();
    mostraVazio(b);
    b->setPendingMark(TTouchButton::PendingMark::Cut, fantasma);
    m_modo = ModoEdicao::Colar;
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("ColaBotao")));
    LimpaMenuProduto();
    inCtrlColar = 1;
}

void TfrmConfGrupo::colaGrupo(TTouchButton* b, const QString& stCodigo) {
    const QString tipo = cdsRecortar.fieldText(u"IDTPBUTTON");
    anotaBotao(cdsAlteracoes, Grade::Grupo, stCodigo, tipo);
    if (navegadorGrupo(tipo)) {
        // A navigator keeps its look: the arrow, no caption.
        b->setGlyph(KmrPictures::setaNavegador(tipo.startsWith(QLatin1Char('7'))));
    } else {
        b->setCaption(stDescricao);
        b->setPicture(m_imagemRecorte);
    }
    b->SetColor(InColor);
    ControlaHabilitacao(kHabilitaConfirma);
    b->setFontColor(InFontColor);
    b->setPendingMark(TTouchButton::PendingMark::Changed);
    m_modo = ModoEdicao::Colado;
}

// ----------------------------------------------------------- product page

void TfrmConfGrupo::tcbBalcao01Click(QObject* Sender) {
    auto* b = qobject_cast<TTouchButton*>(Sender);
    if (!b)
        return;
    const QString stCodigo = b->objectName().right(2);
    m_achouProduto = cdsPesqProdGrupo.active() &&
                     cdsPesqProdGrupo.locate(QStringLiteral("NRBUTTON;NRPGCONFTELA;NRPGCONFTAUX"),
                                             {stCodigo, QString::number(NrPagina), QString::number(NrPgGrupo)},
                                             LocateOptions{true, false});
    if (tocaNavegadorProduto(b))
        return;

    // A product page whose load failed still shows the buttons of the group in
    // focus before: an edit of one of them would address another group's item
    // in the store. The page is drawn again instead.
    if (editaBotao() && !vazio(b) && !m_achouProduto) {
        MontaMenuProduto();
        return;
    }
    static constexpr AcoesDaGrade kAcoesProduto{
        &TfrmConfGrupo::associaProduto,  &TfrmConfGrupo::limpaProduto,    &TfrmConfGrupo::corFundoProduto,
        &TfrmConfGrupo::corTextoProduto, &TfrmConfGrupo::renomeiaProduto, &TfrmConfGrupo::recortaProduto,
        &TfrmConfGrupo::colaProduto,     &TfrmConfGrupo::imagemProduto,   2};
    despachaToque(b, stCodigo, kAcoesProduto);
}

void TfrmConfGrupo::associaProduto(TTouchButton* b, const QString& stCodigo) {
    const TTouchButton* grupo = botao(QStringLiteral("tcbGrupo") + stNrFocusGrupo);
    if (!grupo || grupo->caption().isEmpty()) {
        MensagemErro(msgPadrao.Msg(QStringLiteral("Grupo_deve")));
        return;
    }
    // However the assignment ends, the page shows what the store holds.
    try {
        associaProdutoPassos(b, stCodigo);
    } catch (...) {
        MontaMenuProduto();
        throw;
    }
    MontaMenuProduto();
}

void TfrmConfGrupo::associaProdutoPassos(TTouchButton* b, const QString& stCodigo) {
    QString stTipoBut = QStringLiteral("1");
    const double NrColorText = 0;
    const double NrColorBack = kCorBranco;

    QVariant resultado;
    int32_t status = 0;
    {
        // A catalogue read afresh first lets go of the one the list showed
        // last time; one given again from the service's copy keeps its order.
        const Srv_Kmr00003::AntesDeLerCatalogo solta([this] { cdsPesqProduto.close(); });
        status = getProduto(stCdFilial, resultado);
    }
    cdsPesqProduto.setData(retorno(QStringLiteral("getProduto"), status, resultado, stCdFilial));
    cdsPesqProduto.setIndexName(QStringLiteral("Index1"));

    status = getfiltroProd(stCdFilial, stLojaConfig, resultado);
    cdsFiltroProduto.setData(
        retorno(QStringLiteral("getfiltroProd"), status, resultado, chave({stCdFilial, stLojaConfig, QString()})));
    if (!cdsFiltroProduto.isEmpty()) {
        cdsFiltroProduto.first();
        cdsPesqProduto.setFiltered(false);
        // Literals quoted, so a code holding a quote keeps its meaning.
        cdsPesqProduto.setFilter(filtroEspeciais(cdsFiltroProduto.fieldText(u"CDPRODCOUVER"),
                                                 cdsFiltroProduto.fieldText(u"CDPRODCOMVEN"),
                                                 cdsFiltroProduto.fieldText(u"CDPRODCONSUM")));
        cdsPesqProduto.setFiltered(true);
    }
    ofereceNavegadores();
    const TTouchButton* grupo = botao(QStringLiteral("tcbGrupo") + stNrFocusGrupo);
    const QString nomeGrupo = grupo ? grupo->caption() : QString();
    OpcoesPesquisa opcoes;
    opcoes.titulo = QStringLiteral("Produto para o botão %1 do grupo \"%2\"").arg(stCodigo, nomeGrupo);
    // Every product of the configuration by its code; the page's captions
    // when the configuration cannot be read.
    if (auto todos = ProdutosNoCardapio::le(stCdFilial, stNrConf))
        opcoes.noCardapio = std::move(*todos);
    else
        opcoes.noCardapio = produtosNaPagina(cdsPesqProdGrupo, nomeGrupo);
    if (!Pesquisa(&cdsPesqProduto, 0, QStringLiteral("S"), Incor[0], Incor[1], Incor[2], Incor[4], 0, opcoes) ||
        cdsPesqProduto.isEmpty())
        return;
    QString stNmProd = cdsPesqProduto.fieldText(u"NMPRODUTO");
    QString stCdProd = cdsPesqProduto.fieldText(u"CDPRODUTO");
    const QString navegador = navegadorEscolhido();
    if (!navegador.isEmpty()) {
        // A navigator of the product page in place of a product.
        const bool proxima = navegador == QLatin1String("9");
        stTipoBut = navegador;
        stNmProd = proxima ? QStringLiteral("Navegador_Direito_Prod") : QStringLiteral("Navegador_Esquerdo_Prod");
        stCdProd.clear();
    }
    const QString pagina = QString::number(NrPagina);
    const QString paginaGrupo = QString::number(NrPgGrupo);
    const QString key =
        chave({stCdFilial, stNrConf, stTipoBut, stCodigo, stNmProd, textoCor(NrColorText), textoCor(NrColorBack),
               stCdProd, pagina, QStringLiteral("2"), stNrFocusGrupo, paginaGrupo});
    {
        const AcaoHistorico acao(*this, QStringLiteral("I"), descricaoInclusao(stCodigo, stNmProd));
        status = getInsere(stCdFilial, stNrConf, stTipoBut, stCodigo, stNmProd, static_cast<float>(NrColorText),
                           static_cast<float>(NrColorBack), QString(), stCdProd, pagina, QStringLiteral("2"),
                           stNrFocusGrupo, paginaGrupo, resultado);
    }
    retorno(QStringLiteral("getInsere"), status, resultado, key);
    b->setCaption(stNmProd);
}

void TfrmConfGrupo::anotaBotao(ClientDataSet& set, Grade grade, const QString& stCodigo, const QString& tipo,
                               const std::optional<QString>& cor) {
    const bool grupo = grade == Grade::Grupo;
    set.append();
    set.setFieldValue(u"NRBUTTON", stCodigo);
    set.setFieldValue(u"IDTPBUTTON", tipo);
    set.setFieldValue(u"NRPGCONFTELA", QString::number(grupo ? NrPgGrupo : NrPagina));
    // A product row names its group (type "2", the group in focus and its page).
    set.setFieldValue(u"IDTPBUTONAUX", grupo ? QStringLiteral("0") : QStringLiteral("2"));
    set.setFieldValue(u"NRBUTONAUX", grupo ? QStringLiteral("0") : stNrFocusGrupo);
    set.setFieldValue(u"NRPGCONFTAUX", grupo ? QStringLiteral("0") : QString::number(NrPgGrupo));
    if (cor)
        set.setFieldValue(u"NRCOLOR", *cor);
    set.post();
}

// Asks for the new name (nothing happens when none is typed), writes it at
// once and shows it; the tools come back.
void TfrmConfGrupo::renomeia(TTouchButton* b, const QString& stCodigo, const NomeNoBanco& alvo,
                             const std::function<QString(const QString& stNome)>& chaveDe,
                             void (TfrmConfGrupo::*redesenha)()) {
    const QString stNome = TecladoAlfaNumerico(0, 0, 0, 0, tecladoRenomeia(b->caption()));
    if (EmptyString(stNome))
        return;
    // Checked against the button as its page showed it.
    const bool grupo = alvo.tipoAux == QLatin1String("0");
    bool gravou = false;
    {
        // The failure's cause is read before the bracket closes.
        const AcaoHistorico acao(*this, QStringLiteral("N"),
                                 QStringLiteral("nome do botão %1 para %2").arg(stCodigo, stNome));
        QVariant resultado;
        const int32_t status =
            getMudaNomeConferido(stCdFilial, stNrConf, stCodigo, alvo.pagina, stNome, alvo.numeroAux, alvo.tipo,
                                 alvo.tipoAux, alvo.paginaAux, vistoNaPagina(grupo, stCodigo, alvo.tipo), resultado);
        try {
            gravou = gravouConferido(QStringLiteral("getMudaNomeConferido"), status, resultado, chaveDe(stNome));
        } catch (const SilentAbort&) {
            (this->*redesenha)(); // the name was refused: show the stored one
            throw;
        }
    }
    if (!gravou) {
        avisaAlterados(grupo ? QStringList{stCodigo} : QStringList(), grupo ? QStringList() : QStringList{stCodigo});
        throw SilentAbort();
    }
    gravadoNoVisto(grupo, stCodigo, alvo.tipo, u"DSBUTTON", stNome);
    b->setCaption(stNome);
    ControlaHabilitacao(kHabilitaFerramentas);
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("Tecle")));
    m_modo = ModoEdicao::Nenhum; // one rename per selection of the tool
}

void TfrmConfGrupo::limpaProduto(TTouchButton* b, const QString& stCodigo) {
    anotaBotao(cdsAlteracoes, Grade::Produto, stCodigo, tipoLocalizado(cdsPesqProdGrupo));
    const QString fantasma = b->captionHidden() ? QString() : b->caption();
    mostraVazio(b);
    b->setPendingMark(TTouchButton::PendingMark::Clear, fantasma);
}

void TfrmConfGrupo::corFundoProduto(TTouchButton* b, const QString& stCodigo) {
    const int cor = corInteira(CorButton);
    anotaBotao(cdsAlteracoes, Grade::Produto, stCodigo, tipoLocalizado(cdsPesqProdGrupo), CorButton);
    b->SetColor(cor);
    b->setPendingMark(TTouchButton::PendingMark::Changed);
}

void TfrmConfGrupo::corTextoProduto(TTouchButton* b, const QString& stCodigo) {
    const int cor = corInteira(CorFonte);
    anotaBotao(cdsAlteracoes, Grade::Produto, stCodigo,
               tipoProdutoEditado(m_achouProduto, tipoLocalizado(cdsPesqProdGrupo)), CorFonte);
    b->setFontColor(cor);
    b->setPendingMark(TTouchButton::PendingMark::Changed);
}

void TfrmConfGrupo::renomeiaProduto(TTouchButton* b, const QString& stCodigo) {
    const QString tipo = tipoProdutoEditado(m_achouProduto, tipoLocalizado(cdsPesqProdGrupo));
    const QString pagina = QString::number(NrPagina);
    const QString paginaGrupo = QString::number(NrPgGrupo);
    const auto chaveDe = [&](const QString& stNome) {
        return chave({stCdFilial, stNrConf, stCdFilial, stNrConf, stCodigo, pagina, stNome, stNrFocusGrupo, tipo,
                      QStringLiteral("2"), paginaGrupo});
    };
    renomeia(b, stCodigo, {pagina, stNrFocusGrupo, tipo, QStringLiteral("2"), paginaGrupo}, chaveDe,
             &TfrmConfGrupo::MontaMenuProduto);
}

void TfrmConfGrupo::recortaProduto(TTouchButton* b, const QString& stCodigo) {
    const QString tipo = tipoLocalizado(cdsPesqProdGrupo);
    anotaBotao(cdsRecortar, Grade::Produto, stCodigo, tipo);
    lembraVisto(false, stCodigo, true);
    stDescricao = navegadorProduto(tipo) ? textoLocalizado(cdsPesqProdGrupo, u"DSBUTTON") : b->caption();
    m_imagemRecorte = b->picture();
    InColor = b->color();
    InFontColor = b->fontColor();
    const QString fantasma = b->captionHidden() ? QString() : b->caption();
    mostraVazio(b);
    b->setPendingMark(TTouchButton::PendingMark::Cut, fantasma);
    m_modo = ModoEdicao::Colar;
    lblMensagem->setText(msgPadrao.Msg(QStringLiteral("ColaBotao")));
    inCtrlColar = 2;
}

void TfrmConfGrupo::colaProduto(TTouchButton* b, const QString& stCodigo) {
    const QString tipo = cdsRecortar.fieldText(u"IDTPBUTTON");
    anotaBotao(cdsAlteracoes, Grade::Produto, stCodigo, tipo);
    b->setCaption(stDescricao);
    b->setPicture(m_imagemRecorte);
    b->SetColor(InColor);
    b->setFontColor(InFontColor);
    mostraNavegadorProduto(b, tipo);
    b->setPendingMark(TTouchButton::PendingMark::Changed);
    m_modo = ModoEdicao::Colado;
    ControlaHabilitacao(kHabilitaConfirma);
}
