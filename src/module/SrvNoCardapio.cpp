// The products already on the menu of a configuration, for the search list
// to say where each one stands. One read over the primary key: the product
// buttons are a range of its leading columns (branch, configuration, type
// "1"), and each one's group button a look-up of its whole key.

#include "Srv_Kmr00003.h"

#include "SrvArgumentos.h"
#include "SrvChamada.h"
#include "TrdmConfGrupo.h"

#include <DataPacket.h>
#include <SqlGuards.h>

namespace {

const QString kProdutosNoCardapio = QStringLiteral(
    "SELECT P.CDIDENTBUTON, P.DSBUTTON, P.NRBUTTON, P.NRPGCONFTELA, P.NRBUTTONAUX, P.NRPGCONFTAUX, "
    "G.DSBUTTON AS DSGRUPO FROM ITMENUCONFTE P LEFT JOIN ITMENUCONFTE G ON (G.CDFILIAL = P.CDFILIAL) AND "
    "(G.NRCONFTELA = P.NRCONFTELA) AND (G.IDTPBUTTON = '2') AND (G.NRBUTTON = P.NRBUTTONAUX) AND "
    "(G.NRPGCONFTELA = P.NRPGCONFTAUX) AND (G.IDTPBUTONAUX = '0') AND (G.NRBUTTONAUX = '0') AND "
    "(G.NRPGCONFTAUX = '0') WHERE (P.CDFILIAL = :P_CDFILIAL) AND (P.NRCONFTELA = :P_NRCONFTELA) AND "
    "(P.IDTPBUTTON = '1') AND (P.IDTPBUTONAUX = '2') ORDER BY P.NRPGCONFTAUX, P.NRBUTTONAUX, P.NRPGCONFTELA, "
    "P.NRBUTTON");

QList<FieldDef> colunas() {
    return {{QStringLiteral("CDIDENTBUTON"), FieldKind::Text, 10}, {QStringLiteral("DSBUTTON"), FieldKind::Text, 50},
            {QStringLiteral("NRBUTTON"), FieldKind::Text, 5},      {QStringLiteral("NRPGCONFTELA"), FieldKind::Text, 2},
            {QStringLiteral("NRBUTTONAUX"), FieldKind::Text, 2},   {QStringLiteral("NRPGCONFTAUX"), FieldKind::Text, 2},
            {QStringLiteral("DSGRUPO"), FieldKind::Text, 50}};
}

} // namespace

int32_t getProdutosNoCardapio(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        TADOQuery q(dm.adcConfGrupo, kProdutosNoCardapio);
        SrvArgumentos::bindText(q, QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        SrvArgumentos::bindText(q, QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        const QueryFinisher finisher(q);
        return q.readPacket(colunas());
    });
}
