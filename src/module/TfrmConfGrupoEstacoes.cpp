// Other stations on the same store: what each page showed when it was drawn,
// the checked writes of the confirmation and of a rename, and the refresh
// that shows another station's change on the idle screen.

#include "TfrmConfGrupo.h"

#include "Cli_Kmr00003.h"
#include "KmrTela.h"
#include "Srv_Kmr00003.h"
#include "TfrmConfGrupoComum.h"

#include <HostErrors.h>
#include <HostUi.h>
#include <OperatorTexts.h>
#include <TBlendedShape.h>
#include <TTouchButton.h>

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QSet>
#include <QTimer>

#include <functional>
#include <optional>

using namespace KmrTela;

namespace {

// The rows of a page per button: what changed between two reads of it.
QHash<QString, QString> porBotao(const DataPacket& p) {
    QHash<QString, QString> linhas;
    const int numero = p.indexOf(u"NRBUTTON");
    for (int r = 0; r < p.rowCount(); ++r) {
        QStringList celulas;
        for (int c = 0; c < p.fieldCount(); ++c)
            celulas << p.text(r, c);
        QString& texto = linhas[p.text(r, numero)];
        texto += celulas.join(QChar(0x1f)) + QChar(0x1e);
    }
    return linhas;
}

QSet<QString> botoesMudados(const DataPacket& antes, const DataPacket& agora) {
    const QHash<QString, QString> a = porBotao(antes);
    const QHash<QString, QString> b = porBotao(agora);
    QSet<QString> mudados;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (b.value(it.key()) != it.value())
            mudados.insert(it.key());
    }
    for (auto it = b.cbegin(); it != b.cend(); ++it) {
        if (!a.contains(it.key()))
            mudados.insert(it.key());
    }
    return mudados;
}

// The rows of a page on one button, of one type (any type when empty).
QVariant linhasDoBotao(const DataPacket& p, const QString& numero, const QString& tipo) {
    DataPacket out(p.fields());
    const int colNumero = p.indexOf(u"NRBUTTON");
    const int colTipo = p.indexOf(u"IDTPBUTTON");
    for (int r = 0; r < p.rowCount(); ++r) {
        if (p.text(r, colNumero) != numero || (!tipo.isEmpty() && p.text(r, colTipo) != tipo))
            continue;
        QVariantList linha;
        for (int c = 0; c < p.fieldCount(); ++c)
            linha << p.value(r, c);
        out.appendRow(linha);
    }
    return QVariant::fromValue(out);
}

// How a button looks, kept across a redraw of its page.
struct EstadoBotao {
    QString caption;
    int cor = 0;
    int corFonte = 0;
    QPixmap glyph;
    QString imagem; // the picture file
    bool captionOculto = false;
    TTouchButton::PendingMark marca = TTouchButton::PendingMark::None;
    QString fantasma;
    int corMarcador = -1;
};

EstadoBotao estadoDe(const TTouchButton* b, const TTouchButton* marcador) {
    return {b->caption(),     b->color(),        b->fontColor(),
            b->GetGlyph(),    b->picture(),      b->captionHidden(),
            b->pendingMark(), b->ghostCaption(), marcador ? marcador->color() : -1};
}

void restaura(TTouchButton* b, TTouchButton* marcador, const EstadoBotao& e) {
    b->setCaption(e.caption);
    b->SetColor(e.cor);
    b->setFontColor(e.corFonte);
    if (e.glyph.isNull())
        b->clearGlyph();
    else
        b->setGlyph(e.glyph);
    b->setPicture(e.imagem);
    b->setCaptionHidden(e.captionOculto);
    b->setPendingMark(e.marca, e.fantasma);
    if (marcador && e.corMarcador >= 0)
        marcador->SetColor(e.corMarcador);
}

// The packet without the rows that `sai` picks.
DataPacket semLinhas(const DataPacket& p, const std::function<bool(int)>& sai) {
    DataPacket out(p.fields());
    for (int r = 0; r < p.rowCount(); ++r) {
        if (sai(r))
            continue;
        QVariantList linha;
        for (int c = 0; c < p.fieldCount(); ++c)
            linha << p.value(r, c);
        out.appendRow(linha);
    }
    return out;
}

bool nivelGrupo(const QString& tipoAux) {
    return tipoAux.isEmpty() || tipoAux == QLatin1String("0");
}

} // namespace

// ------------------------------------------------------- what was shown

std::optional<DataPacket> TfrmConfGrupo::leVisto(bool grupo) const {
    QVariant resultado;
    int32_t status = 0;
    if (grupo)
        status = getPesqItens(stCdFilial, stNrConf, QString::number(NrPgGrupo), QStringLiteral("0"),
                              QStringLiteral("0"), QStringLiteral("0"), resultado);
    else if (!stNrFocusGrupo.isEmpty())
        status = getPesqItens(stCdFilial, stNrConf, QString::number(NrPagina), QStringLiteral("2"), stNrFocusGrupo,
                              QString::number(NrPgGrupo), resultado);
    else
        return DataPacket();
    if (status != 0 || !isDataPacket(resultado))
        return std::nullopt;
    return resultado.value<DataPacket>();
}

// Read before the page itself: a change that lands between the two reads is
// then newer than the picture, and the next refresh draws it.
void TfrmConfGrupo::tiraRetrato(bool grupo) {
    const std::optional<DataPacket> visto = leVisto(grupo);
    (grupo ? m_vistoGrupo : m_vistoProduto) = visto.value_or(DataPacket());
    (grupo ? m_vistoGrupoOk : m_vistoProdutoOk) = visto.has_value();
}

QVariant TfrmConfGrupo::vistoNaPagina(bool grupo, const QString& numero, const QString& tipo) {
    if (!(grupo ? m_vistoGrupoOk : m_vistoProdutoOk))
        tiraRetrato(grupo);
    return linhasDoBotao(grupo ? m_vistoGrupo : m_vistoProduto, numero, tipo);
}

// What the store holds after a write of this confirmation: a later row on
// the same button (the same colour twice, a product cleared before its
// group, a confirmation sent again after a failure) compares with it.
void TfrmConfGrupo::gravadoNoVisto(bool grupo, const QString& numero, const QString& tipo, QStringView coluna,
                                   const QVariant& valor) {
    DataPacket& p = grupo ? m_vistoGrupo : m_vistoProduto;
    const int colNumero = p.indexOf(u"NRBUTTON");
    const int colTipo = p.indexOf(u"IDTPBUTTON");
    const auto doBotao = [&](int r) {
        return p.text(r, colNumero) == numero && (tipo.isEmpty() || p.text(r, colTipo) == tipo);
    };
    if (!coluna.isEmpty()) {
        const int c = p.indexOf(coluna);
        for (int r = 0; r < p.rowCount(); ++r) {
            if (doBotao(r) && c >= 0)
                p.setValue(r, c, valor);
        }
        return;
    }
    p = semLinhas(p, doBotao);
}

// A product cleared in this confirmation is no longer among its group's.
void TfrmConfGrupo::produtoExcluidoDoGrupo(const QString& numero, const QString& pagina, const QString& grupo) {
    const auto it = m_produtosVistos.find(grupo);
    if (it == m_produtosVistos.end() || !isDataPacket(*it))
        return;
    const DataPacket p = it->value<DataPacket>();
    const int colNumero = p.indexOf(u"NRBUTTON");
    const int colPagina = p.indexOf(u"NRPGCONFTELA");
    *it = QVariant::fromValue(
        semLinhas(p, [&](int r) { return p.text(r, colNumero) == numero && p.text(r, colPagina) == pagina; }));
}

// A group marked for clearing or cut takes its products along: they are
// known from the moment of the mark, as the button shown from its page.
void TfrmConfGrupo::lembraVisto(bool grupo, const QString& stCodigo, bool recorte) {
    QVariant produtos;
    if (grupo) {
        QVariant resultado;
        if (getPesqItens(stCdFilial, stNrConf, QString(), QStringLiteral("2"), stCodigo, QString::number(NrPgGrupo),
                         resultado) == 0 &&
            isDataPacket(resultado))
            produtos = resultado;
        m_produtosVistos.insert(stCodigo, produtos);
    }
    if (recorte) {
        m_recorteVisto = vistoNaPagina(grupo, stCodigo, tipoLocalizado(grupo ? cdsPesqGrupo : cdsPesqProdGrupo));
        m_recorteProdutos = produtos;
    }
}

// ------------------------------------------------------- checked writes

bool TfrmConfGrupo::gravouConferido(const QString& metodo, int32_t status, const QVariant& resultado,
                                    const QString& key) {
    if (status == 0 && Srv_Kmr00003::causaDaFalha() == FailureCause::RowChanged) {
        // Passed to the host like every result, without a message of its own:
        // the action ends with one message for all its buttons.
        try {
            MensagemMetodo(resultado, false, 0, metodo, kUnidade, key, QString());
        } catch (const DatabaseError&) {
        }
        return false;
    }
    retorno(metodo, status, resultado, key);
    return true;
}

void TfrmConfGrupo::avisaAlterados(const QStringList& grupos, const QStringList& produtos) {
    if (grupos.isEmpty() && produtos.isEmpty())
        return;
    MontaMenuGrupo();
    MontaMenuProduto();
    MensagemErro(OperatorTexts::botoesAlterados(grupos, produtos), QStringLiteral("002"));
}

void TfrmConfGrupo::confirmaLimpar() {
    if (!cdsAlteracoes.isEmpty()) {
        const bool sim = MensagemPergunta(msgPadrao.Msg(QStringLiteral("Deleta")), QStringLiteral("002"));
        QStringList grupos;
        QStringList produtos;
        for (cdsAlteracoes.first(); sim && !cdsAlteracoes.eof(); cdsAlteracoes.next()) {
            const auto [tipo, numero, pagina, tipoAux, numeroAux, paginaAux, cor] = linhaAtual(cdsAlteracoes);
            QVariant resultado;
            if (tipo == QLatin1String("2") || tipo == QLatin1String("7") || tipo == QLatin1String("8")) {
                // A group goes with its products in one call.
                const int32_t status = getDeletaGrupoConferido(stCdFilial, stNrConf, tipo, numero, paginaAux,
                                                               vistoNaPagina(true, numero, tipo),
                                                               m_produtosVistos.value(numero), resultado);
                if (gravouConferido(QStringLiteral("getDeletaGrupoConferido"), status, resultado,
                                    chave({stCdFilial, stNrConf, tipo, numero, paginaAux})))
                    gravadoNoVisto(true, numero, tipo, {}, {});
                else
                    grupos << numero;
            } else if (tipo.startsWith(QLatin1Char('1')) || navegadorProduto(tipo)) {
                const int32_t status =
                    getDelProdutoConferido(stCdFilial, stNrConf, numero, pagina, numeroAux, paginaAux,
                                           vistoNaPagina(false, numero, QString()), resultado);
                if (gravouConferido(
                        QStringLiteral("getDelProdutoConferido"), status, resultado,
                        chave({stCdFilial, stNrConf, QStringLiteral("2"), numero, pagina, numeroAux, paginaAux}))) {
                    gravadoNoVisto(false, numero, QString(), {}, {});
                    produtoExcluidoDoGrupo(numero, pagina, numeroAux);
                } else {
                    produtos << numero;
                }
            }
        }
        // Both pages from the store: on no the marked buttons come back; on
        // yes a product page blanked by a group mark shows its products again.
        MontaMenuGrupo();
        MontaMenuProduto();
        avisaAlterados(grupos, produtos);
    }
    m_modo = ModoEdicao::Nenhum;
    esvaziaAlteracoes();
}

void TfrmConfGrupo::confirmaCores(bool fundo) {
    QStringList grupos;
    QStringList produtos;
    for (cdsAlteracoes.first(); !cdsAlteracoes.eof(); cdsAlteracoes.next()) {
        const auto [tipo, numero, pagina, tipoAux, numeroAux, paginaAux, cor] = linhaAtual(cdsAlteracoes);
        const bool grupo = nivelGrupo(tipoAux);
        const QVariant visto = vistoNaPagina(grupo, numero, tipo);
        QVariant resultado;
        bool gravou = false;
        if (fundo) {
            const int32_t status = getMudaCorConferido(stCdFilial, stNrConf, numero, pagina, tipoAux, numeroAux,
                                                       paginaAux, cor, tipo, visto, resultado);
            gravou = gravouConferido(
                QStringLiteral("getMudaCorConferido"), status, resultado,
                chave({stCdFilial, stNrConf, numero, pagina, tipoAux, numeroAux, paginaAux, cor, tipo}));
        } else {
            const int32_t status = getMudaFonteConferido(stCdFilial, stNrConf, numero, pagina, cor, tipo, tipoAux,
                                                         paginaAux, numeroAux, visto, resultado);
            gravou = gravouConferido(
                QStringLiteral("getMudaFonteConferido"), status, resultado,
                chave({stCdFilial, stNrConf, numero, pagina, cor, tipo, tipoAux, paginaAux, numeroAux}));
        }
        if (gravou)
            gravadoNoVisto(grupo, numero, tipo, fundo ? u"NRCOLORBACK" : u"NRCOLORTEXT", cor.toDouble());
        else if (!(grupo ? grupos : produtos).contains(numero))
            (grupo ? grupos : produtos) << numero;
    }
    m_modo = ModoEdicao::Nenhum;
    esvaziaAlteracoes();
    avisaAlterados(grupos, produtos);
}

// A move whose item or (for a group) products changed since the cut is not
// made at all: neither the item nor any product moves, and the cut is dropped.
void TfrmConfGrupo::confirmaColar() {
    QStringList grupos;
    QStringList produtos;
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
            const int32_t status =
                setColarGrupConferido(fundo, texto, stDescricao, alvo[0], alvo[1], alvo[2], alvo[3], alvo[4], alvo[5],
                                      stCdFilial, stNrConf, origem[0], origem[1], origem[2], origem[3], origem[4],
                                      origem[5], m_recorteVisto, m_recorteProdutos, resultado);
            if (!gravouConferido(QStringLiteral("setColarGrupConferido"), status, resultado,
                                 chave(QStringList{stCdFilial, fundo, texto, stDescricao} + alvo +
                                       QStringList{stCdFilial, stNrConf} + origem)))
                grupos << origem[1];
        } else if (inicial == QLatin1String("1") || inicial == QLatin1String("9") || inicial == QLatin1String("A")) {
            const int32_t status = setColarProdConferido(
                fundo, texto, stDescricao, alvo[0], alvo[1], alvo[2], alvo[3], alvo[4], alvo[5], stCdFilial, origem[0],
                origem[1], origem[2], origem[3], origem[4], origem[5], stNrConf, m_recorteVisto, resultado);
            if (!gravouConferido(QStringLiteral("setColarProdConferido"), status, resultado,
                                 chave(QStringList{fundo, texto, stDescricao} + alvo + QStringList{stCdFilial} +
                                       origem + QStringList{stNrConf})))
                produtos << origem[1];
        }
    }
    MontaMenuGrupo();
    MontaMenuProduto();
    m_modo = ModoEdicao::Nenhum;
    esvaziaAlteracoes();
    esvaziaRecortar();
    avisaAlterados(grupos, produtos);
}

// ------------------------------------------------------- live refresh

void TfrmConfGrupo::iniciaAtualizacao() {
    if (m_atualizacao)
        return;
    m_atualizacao = new QTimer(this);
    m_atualizacao->setObjectName(QStringLiteral("tmrAtualizacao"));
    m_atualizacao->setInterval(kIntervaloAtualizacao);
    connect(m_atualizacao, &QTimer::timeout, this, [this] {
        if (m_emToque || !isVisible() || QApplication::activePopupWidget())
            return;
        // Only while no dialog of the screen is open.
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this)
            return;
        m_emToque = true;
        HandleEvent([this] { atualizaDaBase(); });
        m_emToque = false;
    });
    m_atualizacao->start();
}

void TfrmConfGrupo::atualizaDaBase() {
    const int retiradas = atualizaPagina(true) + atualizaPagina(false);
    if (retiradas > 0) {
        m_avisoEstacao = retiradas;
        m_avisoPendentes = alteracoesPendentes();
    }
    mostraPendentes();
}

// Reads one shown page again; when it differs from what was drawn, the page
// is drawn again, the buttons that did not change keep how they looked
// (marks included), and the marks on those that changed are dropped. Returns
// how many marks were dropped.
int TfrmConfGrupo::atualizaPagina(bool grupo) {
    const std::optional<DataPacket> agora = leVisto(grupo);
    if (!agora)
        return 0; // the store does not answer now; the next round tries again
    const bool tinha = grupo ? m_vistoGrupoOk : m_vistoProdutoOk;
    const QSet<QString> mudados = botoesMudados(grupo ? m_vistoGrupo : m_vistoProduto, *agora);
    if (tinha && mudados.isEmpty())
        return 0;
    const QString prefixo = grupo ? QStringLiteral("tcbGrupo") : QStringLiteral("tcbBalcao");
    const int botoes = grupo ? NRBUTTONSGRUP : NRBUTTONSPROD;

    // A cut or a placed paste on a changed button: the whole move is dropped.
    if (boColar() && !cdsRecortar.isEmpty()) {
        bool afeta = false;
        for (const ClientDataSet* set : {&cdsRecortar, &cdsAlteracoes}) {
            if (set->isEmpty())
                continue;
            const bool doNivel = nivelGrupo(set->fieldText(u"IDTPBUTONAUX")) == grupo;
            const QString pagina = set->fieldText(u"NRPGCONFTELA");
            const bool naPagina =
                grupo ? pagina == QString::number(NrPgGrupo)
                      : pagina == QString::number(NrPagina) && set->fieldText(u"NRBUTONAUX") == stNrFocusGrupo;
            afeta = afeta || (doNivel && naPagina && mudados.contains(set->fieldText(u"NRBUTTON")));
        }
        if (afeta) {
            tcbCancelaClick(nullptr);
            tiraRetrato(true);
            tiraRetrato(false);
            return 1;
        }
    }

    QHash<QString, EstadoBotao> estados;
    for (int n = 1; n <= botoes; ++n) {
        const QString numero = doisDigitos(n);
        if (TTouchButton* b = botao(prefixo + numero); b && !mudados.contains(numero))
            estados.insert(numero, estadoDe(b, grupo ? botao(QStringLiteral("panGrup") + numero) : nullptr));
    }
    if (grupo)
        MontaMenuGrupo();
    else
        MontaMenuProduto();
    if (!tinha)
        return 0; // nothing was known of the page before: it is simply drawn
    for (auto it = estados.cbegin(); it != estados.cend(); ++it) {
        restaura(botao(prefixo + it.key()), grupo ? botao(QStringLiteral("panGrup") + it.key()) : nullptr, it.value());
    }
    return retiraMarcas(grupo, mudados);
}

// Drops the pending rows of the given buttons of one level.
int TfrmConfGrupo::retiraMarcas(bool grupo, const QSet<QString>& mudados) {
    if (cdsAlteracoes.isEmpty())
        return 0;
    QList<QVariantList> ficam;
    int retiradas = 0;
    const QStringList campos{QStringLiteral("NRBUTTON"),     QStringLiteral("IDTPBUTTON"),
                             QStringLiteral("IDTPBUTONAUX"), QStringLiteral("NRPGCONFTELA"),
                             QStringLiteral("NRPGCONFTAUX"), QStringLiteral("NRBUTONAUX"),
                             QStringLiteral("NRCOLOR"),      QStringLiteral("DSIMAGEMBUT")};
    QSet<QString> retirados;
    for (cdsAlteracoes.first(); !cdsAlteracoes.eof(); cdsAlteracoes.next()) {
        const QString numero = cdsAlteracoes.fieldText(u"NRBUTTON");
        if (nivelGrupo(cdsAlteracoes.fieldText(u"IDTPBUTONAUX")) == grupo && mudados.contains(numero)) {
            retirados.insert(numero);
            continue;
        }
        QVariantList linha;
        for (const QString& campo : campos)
            linha << cdsAlteracoes.fieldText(campo);
        ficam << linha;
    }
    retiradas = int(retirados.size());
    if (retiradas == 0)
        return 0;
    esvaziaAlteracoes();
    for (const QVariantList& linha : std::as_const(ficam)) {
        cdsAlteracoes.append();
        for (int c = 0; c < campos.size(); ++c)
            cdsAlteracoes.setFieldValue(campos[c], linha[c]);
        cdsAlteracoes.post();
    }
    return retiradas;
}

QString TfrmConfGrupo::avisoEstacao(int pendentes) {
    if (m_avisoEstacao == 0)
        return QString();
    if (pendentes != m_avisoPendentes) {
        m_avisoEstacao = 0; // the operator has gone on: the note has been seen
        return QString();
    }
    return OperatorTexts::marcasRetiradas(m_avisoEstacao, pendentes);
}
