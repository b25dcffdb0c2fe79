#include "Srv_Kmr00003.h"

#include "SrvArgumentos.h"
#include "SrvChamada.h"
#include "SrvConferencia.h"
#include "TrdmConfGrupo.h"

#include <HostText.h>
#include <SqlGuards.h>

#include <QDateTime>

std::unique_ptr<TrdmConfGrupo> rdmConfGrupo;

using SrvArgumentos::bindCor;
using SrvArgumentos::bindNome;
using SrvArgumentos::bindText;

namespace {

// Reads one value of a lookup query; the query is closed again however the
// read ends.
QString lookup(TADOQuery& query, const QString& field) {
    const QueryFinisher finisher(query);
    query.open();
    return query.fieldText(field);
}

// The moment of insertion in the till's local time, as text in the form of
// the stored rows: a date-time value would reach a server in UTC and be
// stored in the server's zone, not the till's.
QString insertTime() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

int32_t getPesqGrupo(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRPGCONFTELA,
                     QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        TADOQuery& q = dm.adqPesqGrupos;
        q.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        q.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        q.setParam(QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        return dm.dspPesqGrupos.getData();
    });
}

int32_t getPesqProdGrupo(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRPGCONFTELA,
                         const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX, QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        TADOQuery& q = dm.adqPesqProdGrupo;
        q.close();
        const QueryFinisher finisher(q);
        q.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        q.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        q.setParam(QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        q.setParam(QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        q.setParam(QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        q.open();
        return dm.dspPesqProdGrupo.getData();
    });
}

int32_t getfiltroProd(const QString& P_CDFILIAL, const QString& P_CDLOJA, QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        TADOQuery& q = dm.adqFiltroProd;
        q.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        q.setParam(QStringLiteral("P_CDLOJA"), P_CDLOJA);
        return dm.dspFiltroProd.getData();
    });
}

namespace {

DataPacket segmentPath(TrdmConfGrupo& dm, const QString& branch, const QString& level, const QString& segment) {
    dm.assProdSegmento.apply();
    TADOQuery& q = dm.adqProdSegmento;
    q.close();
    const QueryFinisher finisher(q);
    q.setParam(QStringLiteral("P_CDFILIAL"), branch);
    q.setParam(QStringLiteral("P_CDNVPRODUTO"), level);
    q.setParam(QStringLiteral("P_CDSEGMER"), segment);
    q.open();
    return dm.dspProdSegmento.getData();
}

DataPacket levelPath(TrdmConfGrupo& dm, const QString& level) {
    dm.assSrvProduto.apply();
    TADOQuery& q = dm.adqSrvProduto;
    q.close();
    const QueryFinisher finisher(q);
    q.setParam(QStringLiteral("P_CDNVPRODUTO"), level);
    q.open();
    return dm.dspSrvProduto.getData();
}

// The group's composition: the branch's own rows when it has any, else the
// rows listed under "P".
QString compositionOwner(TrdmConfGrupo& dm, const QString& branch, const QString& group) {
    TADOQuery& q = dm.adqSrvPrSubGrProd;
    q.close();
    const QueryFinisher finisher(q);
    q.setParam(QStringLiteral("P_CDFILIAL"), branch);
    q.setParam(QStringLiteral("P_CDGRUPPROD"), group);
    q.open();
    return q.isEmpty() ? QStringLiteral("P") : branch;
}

DataPacket groupPath(TrdmConfGrupo& dm, const QString& branch, const QString& group, const QString& segment) {
    const QString owner = compositionOwner(dm, branch, group);
    if (!EmptyString(segment)) {
        dm.assProdSegGrupo.apply();
        TADOQuery& q = dm.adqProdSegGrupo;
        q.close();
        const QueryFinisher finisher(q);
        q.setParam(QStringLiteral("P_CDFILIAL"), branch);
        q.setParam(QStringLiteral("P_PARAM"), owner);
        q.setParam(QStringLiteral("P_CDGRUPPROD"), group);
        q.open();
        return dm.dspProdSegGrupo.getData();
    }
    dm.assSrvProdutosF.apply();
    TADOQuery& q = dm.adqSrvProdutosF;
    q.close();
    const QueryFinisher finisher(q);
    q.setParam(QStringLiteral("P_PARAM"), owner);
    q.setParam(QStringLiteral("P_CDGRUPPROD"), group);
    q.open();
    return dm.dspSrvProdutosF.getData();
}

} // namespace

int32_t getProduto(const QString& P_CDFILIAL, QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        dm.adqSrvParavend.close();
        dm.adqSrvParavend.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        const QString group = lookup(dm.adqSrvParavend, QStringLiteral("CDGRPRODPDV"));
        dm.adqSegmento.close();
        dm.adqSegmento.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        const QString segment = lookup(dm.adqSegmento, QStringLiteral("CDSEGMER"));
        dm.adqMaxNivel.close();
        const QString level = lookup(dm.adqMaxNivel, QStringLiteral("CDNVPRODUTO"));

        if (!EmptyString(group))
            return groupPath(dm, P_CDFILIAL, group, segment);
        if (!EmptyString(segment))
            return segmentPath(dm, P_CDFILIAL, level, segment);
        return levelPath(dm, level);
    });
}

int32_t getInsere(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                  const QString& P_NRBUTTON, const QString& P_DSBUTTON, float P_NRCOLORTEXT, float P_NRCOLORBACK,
                  const QString& P_DSMESSAGE, const QString& P_CDIDENTBUTON, const QString& P_NRPAGINA,
                  const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                  QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmInsere;
        bindText(c, QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        bindText(c, QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        bindText(c, QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        bindText(c, QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        bindText(c, QStringLiteral("P_CDIDENTBUTON"), P_CDIDENTBUTON);
        bindNome(c, QStringLiteral("P_DSBUTTON"), P_DSBUTTON);
        c.setParam(QStringLiteral("P_NRCOLORTEXT"), SrvArgumentos::verificaCor(P_NRCOLORTEXT));
        c.setParam(QStringLiteral("P_NRCOLORBACK"), SrvArgumentos::verificaCor(P_NRCOLORBACK));
        bindText(c, QStringLiteral("P_DSMESSAGEBUT"), P_DSMESSAGE);
        bindText(c, QStringLiteral("P_NRPGCONFTELA"), P_NRPAGINA);
        bindText(c, QStringLiteral("P_IDTPBUTONAUX"), P_IDTPBUTONAUX);
        bindText(c, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        bindText(c, QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        c.setParam(QStringLiteral("P_DTULTATUITCT"), insertTime());
        c.execute();
    });
}

int32_t getMudaNome(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                    const QString& P_NRPGCONFTELA, const QString& P_DSBUTTON, const QString& P_NRBUTTONAUX,
                    const QString& P_IDTPBUTTON, const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX,
                    QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmMudaNome;
        bindText(c, QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        bindText(c, QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        bindText(c, QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        bindText(c, QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        bindNome(c, QStringLiteral("P_DSBUTTON"), P_DSBUTTON);
        bindText(c, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        bindText(c, QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        bindText(c, QStringLiteral("P_IDTPBUTONAUX"), P_IDTPBUTONAUX);
        bindText(c, QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        SrvEstacoes::executaComLinha(c);
    });
}

int32_t getMudaCor(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                   const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                   const QString& P_NRPGCONFTAUX, const QString& P_NRCOLORBACK, const QString& P_IDTPBUTTON,
                   QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmMudaCor;
        bindText(c, QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        bindText(c, QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        bindText(c, QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        bindText(c, QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        bindText(c, QStringLiteral("P_IDTPBUTONAUX"), P_IDTPBUTONAUX);
        bindText(c, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        bindText(c, QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        bindCor(c, QStringLiteral("P_NRCOLORBACK"), P_NRCOLORBACK);
        bindText(c, QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        SrvEstacoes::executaComLinha(c);
    });
}

int32_t getMudaFonte(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                     const QString& P_NRPGCONFTELA, const QString& P_NRCOLORTEXT, const QString& P_IDTPBUTTON,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX, const QString& P_NRBUTTONAUX,
                     QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmMudaFonte;
        bindText(c, QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        bindText(c, QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        bindText(c, QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        bindText(c, QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        bindCor(c, QStringLiteral("P_NRCOLORTEXT"), P_NRCOLORTEXT);
        bindText(c, QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        bindText(c, QStringLiteral("P_IDTPBUTONAUX"), P_IDTPBUTONAUX);
        bindText(c, QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        bindText(c, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        SrvEstacoes::executaComLinha(c);
    });
}

int32_t getDelProdGrup(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPGRUPO,
                       const QString& P_NRBUTTONPAI, const QString& P_NRPGGRUPO, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmDelProdGrup;
        bindText(c, QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        bindText(c, QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        bindText(c, QStringLiteral("P_IDTPBUTONAUX"), P_IDTPGRUPO);
        bindText(c, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONPAI);
        bindText(c, QStringLiteral("P_NRPGCONFTAUX"), P_NRPGGRUPO);
        c.execute();
    });
}

int32_t getDeletaGrupo(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                       const QString& P_NRBUTTON, const QString& P_NRPAGINA, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmDeleta;
        bindText(c, QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        bindText(c, QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        bindText(c, QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        bindText(c, QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        bindText(c, QStringLiteral("P_NRPGCONFTELA"), P_NRPAGINA);
        SrvEstacoes::executaComLinha(c);
    });
}

int32_t getDelProduto(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                      const QString& P_NRPGCONFTELA, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                      QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmDelProduto;
        bindText(c, QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        bindText(c, QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        bindText(c, QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        bindText(c, QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        bindText(c, QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        bindText(c, QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        SrvEstacoes::executaComLinha(c);
    });
}

namespace {

// The arguments of a paste: the new key with its look, and the key the cut
// item holds in the store now.
struct PasteArgs {
    const QString& NRCOLORBACK;
    const QString& NRCOLORTEXT;
    const QString& DSBUTTON;
    const QString& IDTPBUTTON;
    const QString& NRBUTTON;
    const QString& NRPGCONFTELA;
    const QString& IDTPBUTONAUX;
    const QString& NRBUTTONAUX;
    const QString& NRPGCONFTAUX;
    const QString& CDFILIAL;
    const QString& NRCONFTELA;
    const QString& IDTPBUTTON_ANT;
    const QString& NRBUTTON_ANT;
    const QString& NRPGCONFTELA_ANT;
    const QString& IDTPBUTONAUX_ANT;
    const QString& NRBUTTONAUX_ANT;
    const QString& NRPGCONFTAUX_ANT;
};

// Every argument of a paste checked before the first statement runs.
void checkPaste(const PasteArgs& a) {
    using SrvArgumentos::verificaLargura;
    SrvArgumentos::verificaCor(a.NRCOLORBACK);
    SrvArgumentos::verificaCor(a.NRCOLORTEXT);
    verificaLargura(QStringLiteral("P_DSBUTTON"), a.DSBUTTON);
    verificaLargura(QStringLiteral("P_IDTPBUTTON"), a.IDTPBUTTON);
    verificaLargura(QStringLiteral("P_NRBUTTON"), a.NRBUTTON);
    verificaLargura(QStringLiteral("P_NRPGCONFTELA"), a.NRPGCONFTELA);
    verificaLargura(QStringLiteral("P_IDTPBUTONAUX"), a.IDTPBUTONAUX);
    verificaLargura(QStringLiteral("P_NRBUTTONAUX"), a.NRBUTTONAUX);
    verificaLargura(QStringLiteral("P_NRPGCONFTAUX"), a.NRPGCONFTAUX);
    verificaLargura(QStringLiteral("P_CDFILIAL"), a.CDFILIAL);
    verificaLargura(QStringLiteral("P_NRCONFTELA"), a.NRCONFTELA);
    verificaLargura(QStringLiteral("P_IDTPBUTTON_ANT"), a.IDTPBUTTON_ANT);
    verificaLargura(QStringLiteral("P_NRBUTTON_ANT"), a.NRBUTTON_ANT);
    verificaLargura(QStringLiteral("P_NRPGCONFTELA_ANT"), a.NRPGCONFTELA_ANT);
    verificaLargura(QStringLiteral("P_IDTPBUTONAUX_ANT"), a.IDTPBUTONAUX_ANT);
    verificaLargura(QStringLiteral("P_NRBUTTONAUX_ANT"), a.NRBUTTONAUX_ANT);
    verificaLargura(QStringLiteral("P_NRPGCONFTAUX_ANT"), a.NRPGCONFTAUX_ANT);
}

void moveItem(TrdmConfGrupo& dm, const PasteArgs& a) {
    TADOCommand& c = dm.acmRecColProd;
    bindCor(c, QStringLiteral("P_NRCOLORBACK"), a.NRCOLORBACK);
    bindCor(c, QStringLiteral("P_NRCOLORTEXT"), a.NRCOLORTEXT);
    bindText(c, QStringLiteral("P_DSBUTTON"), a.DSBUTTON);
    bindText(c, QStringLiteral("P_IDTPBUTTON"), a.IDTPBUTTON);
    bindText(c, QStringLiteral("P_NRBUTTON"), a.NRBUTTON);
    bindText(c, QStringLiteral("P_NRPGCONFTELA"), a.NRPGCONFTELA);
    bindText(c, QStringLiteral("P_IDTPBUTONAUX"), a.IDTPBUTONAUX);
    bindText(c, QStringLiteral("P_NRBUTTONAUX"), a.NRBUTTONAUX);
    bindText(c, QStringLiteral("P_NRPGCONFTAUX"), a.NRPGCONFTAUX);
    bindText(c, QStringLiteral("P_CDFILIAL"), a.CDFILIAL);
    bindText(c, QStringLiteral("P_IDTPBUTTON_ANT"), a.IDTPBUTTON_ANT);
    bindText(c, QStringLiteral("P_NRBUTTON_ANT"), a.NRBUTTON_ANT);
    bindText(c, QStringLiteral("P_NRPGCONFTELA_ANT"), a.NRPGCONFTELA_ANT);
    bindText(c, QStringLiteral("P_IDTPBUTONAUX_ANT"), a.IDTPBUTONAUX_ANT);
    bindText(c, QStringLiteral("P_NRBUTTONAUX_ANT"), a.NRBUTTONAUX_ANT);
    bindText(c, QStringLiteral("P_NRPGCONFTAUX_ANT"), a.NRPGCONFTAUX_ANT);
    bindText(c, QStringLiteral("P_NRCONFTELA"), a.NRCONFTELA);
    SrvEstacoes::executaComLinha(c);
}

struct ChildKey {
    QString IDTPBUTTON;
    QString NRBUTTON;
    QString NRPGCONFTELA;
};

// The product-level items under the cut group's old position, all read before
// any of them is re-pointed.
QList<ChildKey> childrenOf(TrdmConfGrupo& dm, const PasteArgs& a) {
    TADOQuery& q = dm.adqGrupProd;
    q.close();
    const QueryFinisher finisher(q);
    q.setParam(QStringLiteral("P_CDFILIAL"), a.CDFILIAL);
    q.setParam(QStringLiteral("P_NRBUTTONAUX"), a.NRBUTTON_ANT);
    q.setParam(QStringLiteral("P_NRPGCONFTAUX"), a.NRPGCONFTELA_ANT);
    q.setParam(QStringLiteral("P_NRCONFTELA"), a.NRCONFTELA);
    q.open();
    QList<ChildKey> children;
    for (; !q.eof(); q.next()) {
        children.append({q.fieldText(QStringLiteral("IDTPBUTTON")), q.fieldText(QStringLiteral("NRBUTTON")),
                         q.fieldText(QStringLiteral("NRPGCONFTELA"))});
    }
    return children;
}

void repointChild(TrdmConfGrupo& dm, const PasteArgs& a, const ChildKey& child) {
    TADOCommand& c = dm.acmRecortaProdutos;
    bindText(c, QStringLiteral("P_NRBUTTONAUX"), a.NRBUTTON);
    bindText(c, QStringLiteral("P_NRPGCONFTAUX"), a.NRPGCONFTELA);
    bindText(c, QStringLiteral("P_CDFILIAL"), a.CDFILIAL);
    bindText(c, QStringLiteral("P_IDTPBUTTON_ANT"), child.IDTPBUTTON);
    bindText(c, QStringLiteral("P_NRBUTTON_ANT"), child.NRBUTTON);
    bindText(c, QStringLiteral("P_NRPGCONFTELA_ANT"), child.NRPGCONFTELA);
    bindText(c, QStringLiteral("P_IDTPBUTONAUX_ANT"), QStringLiteral("2"));
    bindText(c, QStringLiteral("P_NRBUTTONAUX_ANT"), a.NRBUTTON_ANT);
    bindText(c, QStringLiteral("P_NRPGCONFTAUX_ANT"), a.NRPGCONFTELA_ANT);
    bindText(c, QStringLiteral("P_NRCONFTELA"), a.NRCONFTELA);
    SrvEstacoes::executaComLinha(c);
}

} // namespace

int32_t setColarGrup(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                     const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                     const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON_ANT,
                     const QString& P_NRBUTTON_ANT, const QString& P_NRPGCONFTELA_ANT,
                     const QString& P_IDTPBUTONAUX_ANT, const QString& P_NRBUTTONAUX_ANT,
                     const QString& P_NRPGCONFTAUX_ANT, QVariant& result) {
    const PasteArgs args{P_NRCOLORBACK,     P_NRCOLORTEXT,     P_DSBUTTON,     P_IDTPBUTTON,       P_NRBUTTON,
                         P_NRPGCONFTELA,    P_IDTPBUTONAUX,    P_NRBUTTONAUX,  P_NRPGCONFTAUX,     P_CDFILIAL,
                         P_NRCONFTELA,      P_IDTPBUTTON_ANT,  P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT, P_IDTPBUTONAUX_ANT,
                         P_NRBUTTONAUX_ANT, P_NRPGCONFTAUX_ANT};
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        checkPaste(args);
        for (const ChildKey& child : childrenOf(dm, args))
            repointChild(dm, args, child);
        moveItem(dm, args);
    });
}

int32_t setColarProd(const QString& P_NRCOLORBACK, const QString& P_NRCOLORTEXT, const QString& P_DSBUTTON,
                     const QString& P_IDTPBUTTON, const QString& P_NRBUTTON, const QString& P_NRPGCONFTELA,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                     const QString& P_CDFILIAL, const QString& P_IDTPBUTTON_ANT, const QString& P_NRBUTTON_ANT,
                     const QString& P_NRPGCONFTELA_ANT, const QString& P_IDTPBUTONAUX_ANT,
                     const QString& P_NRBUTTONAUX_ANT, const QString& P_NRPGCONFTAUX_ANT, const QString& P_NRCONFTELA,
                     QVariant& result) {
    const PasteArgs args{P_NRCOLORBACK,     P_NRCOLORTEXT,     P_DSBUTTON,     P_IDTPBUTTON,       P_NRBUTTON,
                         P_NRPGCONFTELA,    P_IDTPBUTONAUX,    P_NRBUTTONAUX,  P_NRPGCONFTAUX,     P_CDFILIAL,
                         P_NRCONFTELA,      P_IDTPBUTTON_ANT,  P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT, P_IDTPBUTONAUX_ANT,
                         P_NRBUTTONAUX_ANT, P_NRPGCONFTAUX_ANT};
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        checkPaste(args);
        moveItem(dm, args);
    });
}
