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

const QString kMudaImagem = QStringLiteral(
    "UPDATE ITMENUCONFTE SET DSIMAGEMBUT = :P_DSIMAGEMBUT WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = "
    ":P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRPGCONFTELA = "
    ":P_NRPGCONFTELA) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = "
    ":P_NRPGCONFTAUX)");

// The key of one item, branch and configuration aside.
struct ChaveItem {
    QString IDTPBUTTON;
    QString NRBUTTON;
    QString NRPGCONFTELA;
    QString IDTPBUTONAUX;
    QString NRBUTTONAUX;
    QString NRPGCONFTAUX;
};

// The item the key names, with the columns the checked writes compare
// (locked on a server database).
QString sqlDoItem(const TADOConnection& connection) {
    QStringList nomes;
    for (const FieldDef& f : SrvConferencia::colunas())
        nomes << f.name;
    QString sql = QStringLiteral("SELECT %1 FROM ITMENUCONFTE WHERE CDFILIAL = :P_CDFILIAL AND NRCONFTELA = "
                                 ":P_NRCONFTELA AND IDTPBUTTON = :P_IDTPBUTTON AND NRBUTTON = :P_NRBUTTON AND "
                                 "NRPGCONFTELA = :P_NRPGCONFTELA AND IDTPBUTONAUX = :P_IDTPBUTONAUX AND NRBUTTONAUX "
                                 "= :P_NRBUTTONAUX AND NRPGCONFTAUX = :P_NRPGCONFTAUX")
                      .arg(nomes.join(QStringLiteral(", ")));
    if (connection.dialect() == SqlDialect::PostgreSQL)
        sql += QStringLiteral(" FOR UPDATE");
    return sql;
}

// A reference is a file name or path: no control or invisible characters,
// within the column's width.
void verificaReferencia(const QString& referencia) {
    if (SrvArgumentos::temCaracteresDeControle(referencia))
        throw DatabaseError(FailureCause::ControlCharacters,
                            OperatorTexts::caracteresControle(QStringLiteral("A imagem")));
    SrvArgumentos::verificaLargura(QStringLiteral("P_DSIMAGEMBUT"), referencia);
}

void mudaImagem(TrdmConfGrupo& dm, const ChaveItem& k, const QString& filial, const QString& conf,
                const QString& referencia) {
    using SrvArgumentos::texto;
    verificaReferencia(referencia);
    TADOCommand c(dm.adcConfGrupo, kMudaImagem);
    SrvArgumentos::bind(c, {texto("P_CDFILIAL", filial), texto("P_NRCONFTELA", conf), texto("P_NRBUTTON", k.NRBUTTON),
                            texto("P_NRPGCONFTELA", k.NRPGCONFTELA), texto("P_IDTPBUTONAUX", k.IDTPBUTONAUX),
                            texto("P_NRBUTTONAUX", k.NRBUTTONAUX), texto("P_NRPGCONFTAUX", k.NRPGCONFTAUX),
                            texto("P_IDTPBUTTON", k.IDTPBUTTON)});
    // No picture is stored as no value, as on a button that never had one.
    c.setParam(QStringLiteral("P_DSIMAGEMBUT"), referencia.isEmpty() ? QVariant() : QVariant(referencia));
    SrvEstacoes::executaComLinha(c);
}

} // namespace

int32_t setMudaImagem(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                      const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                      const QString& P_NRPGCONFTAUX, const QString& P_DSIMAGEMBUT, const QString& P_IDTPBUTTON,
                      QVariant& result) {
    const Diario::Escopo escopo(
        P_CDFILIAL, P_NRCONFTELA,
        {Diario::posicao({P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX})});
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        mudaImagem(dm, {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX},
                   P_CDFILIAL, P_NRCONFTELA, P_DSIMAGEMBUT);
    });
}

int32_t setMudaImagemConferido(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                               const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX,
                               const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                               const QString& P_DSIMAGEMBUT, const QString& P_IDTPBUTTON, const QVariant& P_ESPERADO,
                               QVariant& result) {
    const Diario::Escopo escopo(
        P_CDFILIAL, P_NRCONFTELA,
        {Diario::posicao({P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX})});
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        using SrvArgumentos::bindText;
        TADOQuery q(dm.adcConfGrupo, sqlDoItem(dm.adcConfGrupo));
        bindText(q, QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        bindText(q, QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        bindText(q, QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        bindText(q, QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        bindText(q, QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        bindText(q, QStringLiteral("P_IDTPBUTONAUX"), P_IDTPBUTONAUX);
        bindText(q, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        bindText(q, QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        SrvEstacoes::confere(SrvEstacoes::le(q), P_ESPERADO);
        mudaImagem(dm, {P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX},
                   P_CDFILIAL, P_NRCONFTELA, P_DSIMAGEMBUT);
    });
}
