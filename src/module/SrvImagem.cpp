// The picture of a button: the write of its reference (DSIMAGEMBUT), on the
// same frame as the other writes, and its checked form for a screen that
// shares the store with other stations.

#include "Srv_Kmr00003.h"

#include "Diario.h"
#include "SrvArgumentos.h"
#include "SrvChamada.h"
#include "SrvConferencia.h"
#include "TrdmConfGrupo.h"

#include <HostErrors.h>
#include <OperatorTexts.h>

namespace {

// A reference is a file name or path: no control or invisible characters,
// within the column's width.
void verificaReferencia(const QString& referencia) {
    if (SrvArgumentos::temCaracteresDeControle(referencia))
        throw DatabaseError(FailureCause::ControlCharacters,
                            OperatorTexts::caracteresControle(QStringLiteral("A imagem")));
    SrvArgumentos::verificaLargura(QStringLiteral("P_DSIMAGEMBUT"), referencia);
}

} // namespace

// A checked write in progress runs the statement's checked form
// (SrvEstacoes::Esperado).
int32_t setMudaImagem(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                      const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                      const QString& P_NRPGCONFTAUX, const QString& P_DSIMAGEMBUT, const QString& P_IDTPBUTTON,
                      QVariant& result) {
    const Diario::Escopo escopo(
        P_CDFILIAL, P_NRCONFTELA,
        {Diario::posicao({P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX})});
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        using SrvArgumentos::texto;
        verificaReferencia(P_DSIMAGEMBUT);
        TADOCommand& c = SrvEstacoes::comando(dm, dm.acmMudaImagem);
        SrvArgumentos::bind(c, {texto("P_CDFILIAL", P_CDFILIAL), texto("P_NRCONFTELA", P_NRCONFTELA),
                                texto("P_NRBUTTON", P_NRBUTTON), texto("P_NRPGCONFTELA", P_NRPGCONFTELA),
                                texto("P_IDTPBUTONAUX", P_IDTPBUTONAUX), texto("P_NRBUTTONAUX", P_NRBUTTONAUX),
                                texto("P_NRPGCONFTAUX", P_NRPGCONFTAUX), texto("P_IDTPBUTTON", P_IDTPBUTTON)});
        // No picture is stored as no value, as on a button that never had one.
        c.setParam(QStringLiteral("P_DSIMAGEMBUT"), P_DSIMAGEMBUT.isEmpty() ? QVariant() : QVariant(P_DSIMAGEMBUT));
        SrvEstacoes::executaComLinha(c);
    });
}

int32_t setMudaImagemConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                               const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX,
                               const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                               const QString& P_DSIMAGEMBUT, const QString& P_IDTPBUTTON, const QVariant& P_ESPERADO,
                               QVariant& result) {
    const SrvEstacoes::Esperado esperado(
        P_ESPERADO, {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX});
    return setMudaImagem(P_CDFILIAL, P_NRCONFTELA, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX,
                         P_NRPGCONFTAUX, P_DSIMAGEMBUT, P_IDTPBUTTON, result);
}
