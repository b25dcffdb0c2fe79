// The checked writes: each compares, in its own transaction, the rows it is
// about to change with the rows the caller showed, then runs the write it
// checks inside the same transaction.

#include "Srv_Kmr00003.h"

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

DataPacket leItem(TrdmConfGrupo& dm, const QString& filial, const QString& conf, const ChaveItem& k) {
    TADOQuery& q = conferencia(dm).adqItem;
    bindConfiguracao(q, filial, conf);
    bindText(q, QStringLiteral("P_IDTPBUTTON"), k.IDTPBUTTON);
    bindText(q, QStringLiteral("P_NRBUTTON"), k.NRBUTTON);
    bindText(q, QStringLiteral("P_NRPGCONFTELA"), k.NRPGCONFTELA);
    bindText(q, QStringLiteral("P_IDTPBUTONAUX"), k.IDTPBUTONAUX);
    bindText(q, QStringLiteral("P_NRBUTTONAUX"), k.NRBUTTONAUX);
    bindText(q, QStringLiteral("P_NRPGCONFTAUX"), k.NRPGCONFTAUX);
    return le(q);
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

// Product-level items at a product position (any of the three types).
DataPacket leProdutoPos(TADOQuery& q, const QString& filial, const QString& conf,
                        const QString& botao, const QString& pagina, const QString& botaoPai,
                        const QString& paginaPai) {
    bindConfiguracao(q, filial, conf);
    bindText(q, QStringLiteral("P_NRBUTTON"), botao);
    bindText(q, QStringLiteral("P_NRPGCONFTELA"), pagina);
    bindText(q, QStringLiteral("P_NRBUTTONAUX"), botaoPai);
    bindText(q, QStringLiteral("P_NRPGCONFTAUX"), paginaPai);
    return le(q);
}

bool mesmaPosicao(const ChaveItem& a, const ChaveItem& b) {
    return a.NRBUTTON == b.NRBUTTON && a.NRPGCONFTELA == b.NRPGCONFTELA && a.IDTPBUTONAUX == b.IDTPBUTONAUX &&
           a.NRBUTTONAUX == b.NRBUTTONAUX && a.NRPGCONFTAUX == b.NRPGCONFTAUX;
}

// The new position of a paste holds no other item of its level.
void confereDestino(TrdmConfGrupo& dm, bool grupo, const QString& filial, const QString& conf,
                    const ChaveItem& destino, const ChaveItem& origem) {
    if (mesmaPosicao(destino, origem))
        return;
    SrvConferencia& k = conferencia(dm);
    if (grupo) {
        TADOQuery& q = k.adqOcupaGrupo;
        bindConfiguracao(q, filial, conf);
        bindText(q, QStringLiteral("P_NRBUTTON"), destino.NRBUTTON);
        bindText(q, QStringLiteral("P_NRPGCONFTELA"), destino.NRPGCONFTELA);
        confereVazio(le(q));
        return;
    }
    confereVazio(leProdutoPos(k.adqOcupaProduto, filial, conf, destino.NRBUTTON, destino.NRPGCONFTELA,
                              destino.NRBUTTONAUX, destino.NRPGCONFTAUX));
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

int32_t getMudaNomeConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                             const QString& P_NRPGCONFTELA, const QString& P_DSBUTTON, const QString& P_NRBUTTONAUX,
                             const QString& P_IDTPBUTTON, const QString& P_IDTPBUTONAUX,
                             const QString& P_NRPGCONFTAUX, const QVariant& P_ESPERADO, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        confere(leItem(dm, P_CDFILIAL, P_NRCONFTELA,
                       {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX}),
                P_ESPERADO);
        QVariant r;
        repassa(getMudaNome(P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPGCONFTELA, P_DSBUTTON, P_NRBUTTONAUX,
                            P_IDTPBUTTON, P_IDTPBUTONAUX, P_NRPGCONFTAUX, r),
                r);
    });
}

int32_t getMudaCorConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                            const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX,
                            const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                            const QString& P_NRCOLORBACK, const QString& P_IDTPBUTTON, const QVariant& P_ESPERADO,
                            QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        confere(leItem(dm, P_CDFILIAL, P_NRCONFTELA,
                       {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX}),
                P_ESPERADO);
        QVariant r;
        repassa(getMudaCor(P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX,
                           P_NRPGCONFTAUX, P_NRCOLORBACK, P_IDTPBUTTON, r),
                r);
    });
}

int32_t getMudaFonteConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                              const QString& P_NRPGCONFTELA, const QString& P_NRCOLORTEXT,
                              const QString& P_IDTPBUTTON, const QString& P_IDTPBUTONAUX,
                              const QString& P_NRPGCONFTAUX, const QString& P_NRBUTTONAUX,
                              const QVariant& P_ESPERADO, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        confere(leItem(dm, P_CDFILIAL, P_NRCONFTELA,
                       {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX}),
                P_ESPERADO);
        QVariant r;
        repassa(getMudaFonte(P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPGCONFTELA, P_NRCOLORTEXT, P_IDTPBUTTON,
                             P_IDTPBUTONAUX, P_NRPGCONFTAUX, P_NRBUTTONAUX, r),
                r);
    });
}

int32_t getDelProdutoConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                               const QString& P_NRPGCONFTELA, const QString& P_NRBUTTONAUX,
                               const QString& P_NRPGCONFTAUX, const QVariant& P_ESPERADO, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        confere(leProdutoPos(conferencia(dm).adqProdutoPos, P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON,
                             P_NRPGCONFTELA, P_NRBUTTONAUX, P_NRPGCONFTAUX),
                P_ESPERADO);
        QVariant r;
        repassa(getDelProduto(P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPGCONFTELA, P_NRBUTTONAUX, P_NRPGCONFTAUX,
                              r),
                r);
    });
}

int32_t getDeletaGrupoConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                                const QString& P_NRBUTTON, const QString& P_NRPAGINA, const QVariant& P_ESPERADO,
                                const QVariant& P_PRODUTOS, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOQuery& q = conferencia(dm).adqGrupoPos;
        bindConfiguracao(q, P_CDFILIAL, P_NRCONFTELA);
        bindText(q, QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        bindText(q, QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        bindText(q, QStringLiteral("P_NRPGCONFTELA"), P_NRPAGINA);
        confere(le(q), P_ESPERADO);
        if (P_IDTPBUTTON == QLatin1String("2")) {
            int produtos = -1;
            if (!P_PRODUTOS.isNull()) {
                const DataPacket gravados = leFilhos(dm, P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPAGINA);
                confere(gravados, P_PRODUTOS);
                produtos = gravados.rowCount();
            }
            // The group's products as the product delete removes them; on a
            // server database one added since the compare shows in the count.
            TADOCommand& c = dm.acmDelProdGrup;
            bindConfiguracao(c, P_CDFILIAL, P_NRCONFTELA);
            bindText(c, QStringLiteral("P_IDTPBUTONAUX"), QStringLiteral("2"));
            bindText(c, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTON);
            bindText(c, QStringLiteral("P_NRPGCONFTAUX"), P_NRPAGINA);
            c.execute();
            if (produtos >= 0 && c.rowsAffected() >= 0 && c.rowsAffected() != produtos)
                alterado(QStringLiteral("%1 products deleted where %2 were shown").arg(c.rowsAffected()).arg(produtos));
        }
        QVariant r;
        repassa(getDeletaGrupo(P_CDFILIAL, P_NRCONFTELA, P_IDTPBUTTON, P_NRBUTTON, P_NRPAGINA, r), r);
    });
}

namespace {

// A paste checked: the cut item at its old key as shown, for a group its
// products as known, and the new position free.
void conferePaste(TrdmConfGrupo& dm, bool grupo, const QString& filial, const QString& conf, const ChaveItem& destino,
                  const ChaveItem& origem, const QVariant& esperado, const QVariant& produtos) {
    confere(leItem(dm, filial, conf, origem), esperado);
    if (grupo && !produtos.isNull())
        confere(leFilhos(dm, filial, conf, origem.NRBUTTON, origem.NRPGCONFTELA), produtos);
    confereDestino(dm, grupo, filial, conf, destino, origem);
}

} // namespace

int32_t setColarGrupConferido(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                              const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                              const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                              const QString& P_NRPGCONFTAUX, const QString& P_CDFILIAL, const QString& P_NRCONFTELA,
                              const QString& P_IDTPBUTTON_ANT, const QString& P_NRBUTTON_ANT,
                              const QString& P_NRPGCONFTELA_ANT, const QString& P_IDTPBUTONAUX_ANT,
                              const QString& P_NRBUTTONAUX_ANT, const QString& P_NRPGCONFTAUX_ANT,
                              const QVariant& P_ESPERADO, const QVariant& P_PRODUTOS, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        conferePaste(dm, true, P_CDFILIAL, P_NRCONFTELA,
                     {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX},
                     {P_IDTPBUTTON_ANT, P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT, P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT,
                      P_NRPGCONFTAUX_ANT},
                     P_ESPERADO, P_PRODUTOS);
        QVariant r;
        repassa(setColarGrup(P_NRCOLORBACK, P_NRCOLORTEXT, P_DSBUTTON, P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA,
                             P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX, P_CDFILIAL, P_NRCONFTELA, P_IDTPBUTTON_ANT,
                             P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT, P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT,
                             P_NRPGCONFTAUX_ANT, r),
                r);
    });
}

int32_t setColarProdConferido(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                              const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                              const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                              const QString& P_NRPGCONFTAUX, const QString& P_CDFILIAL,
                              const QString& P_IDTPBUTTON_ANT, const QString& P_NRBUTTON_ANT,
                              const QString& P_NRPGCONFTELA_ANT, const QString& P_IDTPBUTONAUX_ANT,
                              const QString& P_NRBUTTONAUX_ANT, const QString& P_NRPGCONFTAUX_ANT,
                              const QString& P_NRCONFTELA, const QVariant& P_ESPERADO, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        conferePaste(dm, false, P_CDFILIAL, P_NRCONFTELA,
                     {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX},
                     {P_IDTPBUTTON_ANT, P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT, P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT,
                      P_NRPGCONFTAUX_ANT},
                     P_ESPERADO, QVariant());
        QVariant r;
        repassa(setColarProd(P_NRCOLORBACK, P_NRCOLORTEXT, P_DSBUTTON, P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA,
                             P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX, P_CDFILIAL, P_IDTPBUTTON_ANT,
                             P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT, P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT,
                             P_NRPGCONFTAUX_ANT, P_NRCONFTELA, r),
                r);
    });
}
