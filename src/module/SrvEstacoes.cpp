// The checked writes: each runs the statement of the write it checks with
// what the caller showed in its WHERE clause; a group clear or move first
// compares the group's items, then deletes or re-points them at once, in the
// same transaction.

#include "Srv_Kmr00003.h"

#include "Diario.h"
#include "SrvArgumentos.h"
#include "SrvChamada.h"
#include "SrvConferencia.h"
#include "TrdmConfGrupo.h"

using SrvArgumentos::bindText;
using namespace SrvEstacoes;

namespace {

void bindConfiguracao(TADOQuery& q, const QString& filial, const QString& conf) {
    bindText(q, QStringLiteral("P_CDFILIAL"), filial);
    bindText(q, QStringLiteral("P_NRCONFTELA"), conf);
}

DataPacket leFilhos(TrdmConfGrupo& dm, const QString& filial, const QString& conf, const QString& botao,
                    const QString& pagina) {
    TADOQuery& q = conferencia(dm).adqFilhos;
    bindConfiguracao(q, filial, conf);
    bindText(q, QStringLiteral("P_IDTPBUTONAUX"), QStringLiteral("2"));
    bindText(q, QStringLiteral("P_NRBUTTONAUX"), botao);
    bindText(q, QStringLiteral("P_NRPGCONFTAUX"), pagina);
    return le(q);
}

// The product-level items among a group's items: those a paste re-points.
int produtosDoGrupo(const DataPacket& filhos) {
    const int tipo = filhos.indexOf(u"IDTPBUTTON");
    int n = 0;
    for (int r = 0; r < filhos.rowCount(); ++r) {
        const QString t = filhos.text(r, tipo);
        n += t == QLatin1String("1") || t == QLatin1String("9") || t == QLatin1String("A");
    }
    return n;
}

// The items under a group position as the caller knew them (none known when
// `produtos` is null); returns how many there are, -1 when not known.
int confereFilhos(TrdmConfGrupo& dm, const QString& filial, const QString& conf, const QString& botao,
                  const QString& pagina, const QVariant& produtos, bool soProdutos) {
    if (produtos.isNull())
        return -1;
    const DataPacket gravados = leFilhos(dm, filial, conf, botao, pagina);
    confere(gravados, produtos);
    return soProdutos ? produtosDoGrupo(gravados) : int(gravados.rowCount());
}

// A statement over all the items under a group position changed as many
// rows as were compared; on a server database, one added since the compare
// shows in the count.
void confereQuantas(const TADOQuery& c, int esperadas) {
    if (esperadas >= 0 && c.rowsAffected() >= 0 && c.rowsAffected() != esperadas)
        alterado(QStringLiteral("%1 items under the group changed where %2 were shown")
                     .arg(c.rowsAffected())
                     .arg(esperadas));
}

bool mesmaPosicao(const QStringList& a, const QStringList& b) {
    return a.mid(1) == b.mid(1);
}

// The new position of a paste, unless it is the item's own.
std::optional<Destino> livre(bool grupo, const QStringList& destino, const QStringList& origem) {
    if (mesmaPosicao(destino, origem))
        return std::nullopt;
    return Destino{grupo, destino[1], destino[2], destino[4], destino[5]};
}

// The old position of a moved item, which its move statement fixes.
Posicao posicao(const QStringList& chave) {
    return {chave[0], chave[1], chave[2], chave[3], chave[4], chave[5]};
}

} // namespace

int32_t getPesqItens(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRPGCONFTELA,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                     QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        SrvConferencia& k = conferencia(dm);
        if (P_NRPGCONFTELA.isEmpty())
            return leFilhos(dm, P_CDFILIAL, P_NRCONFTELA, P_NRBUTTONAUX, P_NRPGCONFTAUX);
        if (P_IDTPBUTONAUX == QLatin1String("0")) {
            TADOQuery& q = k.adqPaginaGrupo;
            bindConfiguracao(q, P_CDFILIAL, P_NRCONFTELA);
            bindText(q, QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
            return le(q);
        }
        TADOQuery& q = k.adqPaginaProd;
        bindConfiguracao(q, P_CDFILIAL, P_NRCONFTELA);
        bindText(q, QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        bindText(q, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        bindText(q, QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        return le(q);
    });
}

// The one-row writes run as the unchecked ones do, their statement in its
// checked form.

int32_t getMudaNomeConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                             const QString& P_NRPGCONFTELA, const QString& P_DSBUTTON, const QString& P_NRBUTTONAUX,
                             const QString& P_IDTPBUTTON, const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX,
                             const QVariant& P_ESPERADO, QVariant& result) {
    const Esperado esperado(P_ESPERADO,
                            {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX});
    return getMudaNome(P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPGCONFTELA, P_DSBUTTON, P_NRBUTTONAUX, P_IDTPBUTTON,
                       P_IDTPBUTONAUX, P_NRPGCONFTAUX, result);
}

int32_t getMudaCorConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                            const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                            const QString& P_NRPGCONFTAUX, const QString& P_NRCOLORBACK, const QString& P_IDTPBUTTON,
                            const QVariant& P_ESPERADO, QVariant& result) {
    const Esperado esperado(P_ESPERADO,
                            {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX});
    return getMudaCor(P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX,
                      P_NRPGCONFTAUX, P_NRCOLORBACK, P_IDTPBUTTON, result);
}

int32_t getMudaFonteConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                              const QString& P_NRPGCONFTELA, const QString& P_NRCOLORTEXT, const QString& P_IDTPBUTTON,
                              const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX,
                              const QString& P_NRBUTTONAUX, const QVariant& P_ESPERADO, QVariant& result) {
    const Esperado esperado(P_ESPERADO,
                            {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX});
    return getMudaFonte(P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPGCONFTELA, P_NRCOLORTEXT, P_IDTPBUTTON,
                        P_IDTPBUTONAUX, P_NRPGCONFTAUX, P_NRBUTTONAUX, result);
}

int32_t getDelProdutoConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                               const QString& P_NRPGCONFTELA, const QString& P_NRBUTTONAUX,
                               const QString& P_NRPGCONFTAUX, const QVariant& P_ESPERADO, QVariant& result) {
    const Esperado esperado(
        P_ESPERADO, {std::nullopt, P_NRBUTTON, P_NRPGCONFTELA, QStringLiteral("2"), P_NRBUTTONAUX, P_NRPGCONFTAUX});
    return getDelProduto(P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPGCONFTELA, P_NRBUTTONAUX, P_NRPGCONFTAUX, result);
}

int32_t getDeletaGrupoConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                                const QString& P_NRBUTTON, const QString& P_NRPAGINA, const QVariant& P_ESPERADO,
                                const QVariant& P_PRODUTOS, QVariant& result) {
    QList<Diario::Filtro> filtros{Diario::posicao({P_IDTPBUTTON, P_NRBUTTON, P_NRPAGINA})};
    if (P_IDTPBUTTON == QLatin1String("2"))
        filtros.append(Diario::filhos(P_NRBUTTON, P_NRPAGINA));
    const Diario::Escopo escopo(P_CDFILIAL, P_NRCONFTELA, filtros);
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        {
            const Esperado esperado(P_ESPERADO,
                                    {P_IDTPBUTTON, P_NRBUTTON, P_NRPAGINA, std::nullopt, std::nullopt, std::nullopt});
            QVariant r;
            repassa(getDeletaGrupo(P_CDFILIAL, P_NRCONFTELA, P_IDTPBUTTON, P_NRBUTTON, P_NRPAGINA, r), r);
        }
        if (P_IDTPBUTTON != QLatin1String("2"))
            return;
        const int filhos = confereFilhos(dm, P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPAGINA, P_PRODUTOS, false);
        // The group's items as the product delete removes them.
        TADOCommand& c = dm.acmDelProdGrup;
        bindConfiguracao(c, P_CDFILIAL, P_NRCONFTELA);
        bindText(c, QStringLiteral("P_IDTPBUTONAUX"), QStringLiteral("2"));
        bindText(c, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTON);
        bindText(c, QStringLiteral("P_NRPGCONFTAUX"), P_NRPAGINA);
        c.execute();
        confereQuantas(c, filhos);
    });
}

// A group paste checked: the group moved in its checked form onto a free
// position, then its products, compared with what the caller knew, re-pointed
// by one statement.
int32_t setColarGrupConferido(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                              const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                              const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                              const QString& P_NRPGCONFTAUX, const QString& P_CDFILIAL, const QString& P_NRCONFTELA,
                              const QString& P_IDTPBUTTON_ANT, const QString& P_NRBUTTON_ANT,
                              const QString& P_NRPGCONFTELA_ANT, const QString& P_IDTPBUTONAUX_ANT,
                              const QString& P_NRBUTTONAUX_ANT, const QString& P_NRPGCONFTAUX_ANT,
                              const QVariant& P_ESPERADO, const QVariant& P_PRODUTOS, QVariant& result) {
    const Diario::Escopo escopo(P_CDFILIAL, P_NRCONFTELA,
                                Diario::escopoDaColagem({P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX,
                                                         P_NRBUTTONAUX, P_NRPGCONFTAUX},
                                                        {P_IDTPBUTTON_ANT, P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT,
                                                         P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT, P_NRPGCONFTAUX_ANT},
                                                        true));
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        {
            const QStringList destino{P_IDTPBUTTON,   P_NRBUTTON,    P_NRPGCONFTELA,
                                      P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX};
            const QStringList origem{P_IDTPBUTTON_ANT,   P_NRBUTTON_ANT,    P_NRPGCONFTELA_ANT,
                                     P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT, P_NRPGCONFTAUX_ANT};
            const Esperado esperado(P_ESPERADO, posicao(origem), livre(true, destino, origem));
            // The move of one item, as a product paste makes it.
            QVariant r;
            repassa(setColarProd(P_NRCOLORBACK, P_NRCOLORTEXT, P_DSBUTTON, P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA,
                                 P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX, P_CDFILIAL, P_IDTPBUTTON_ANT,
                                 P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT, P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT,
                                 P_NRPGCONFTAUX_ANT, P_NRCONFTELA, r),
                    r);
        }
        const int produtos =
            confereFilhos(dm, P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT, P_PRODUTOS, true);
        TADOCommand& c = conferencia(dm).acmRepontaFilhos;
        bindConfiguracao(c, P_CDFILIAL, P_NRCONFTELA);
        bindText(c, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTON);
        bindText(c, QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTELA);
        bindText(c, QStringLiteral("P_NRBUTTONAUX_ANT"), P_NRBUTTON_ANT);
        bindText(c, QStringLiteral("P_NRPGCONFTAUX_ANT"), P_NRPGCONFTELA_ANT);
        c.execute();
        confereQuantas(c, produtos);
    });
}

int32_t setColarProdConferido(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                              const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                              const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                              const QString& P_NRPGCONFTAUX, const QString& P_CDFILIAL, const QString& P_IDTPBUTTON_ANT,
                              const QString& P_NRBUTTON_ANT, const QString& P_NRPGCONFTELA_ANT,
                              const QString& P_IDTPBUTONAUX_ANT, const QString& P_NRBUTTONAUX_ANT,
                              const QString& P_NRPGCONFTAUX_ANT, const QString& P_NRCONFTELA,
                              const QVariant& P_ESPERADO, QVariant& result) {
    const QStringList destino{P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX};
    const QStringList origem{P_IDTPBUTTON_ANT,   P_NRBUTTON_ANT,    P_NRPGCONFTELA_ANT,
                             P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT, P_NRPGCONFTAUX_ANT};
    const Esperado esperado(P_ESPERADO, posicao(origem), livre(false, destino, origem));
    return setColarProd(P_NRCOLORBACK, P_NRCOLORTEXT, P_DSBUTTON, P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA,
                        P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX, P_CDFILIAL, P_IDTPBUTTON_ANT, P_NRBUTTON_ANT,
                        P_NRPGCONFTELA_ANT, P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT, P_NRPGCONFTAUX_ANT, P_NRCONFTELA,
                        result);
}
