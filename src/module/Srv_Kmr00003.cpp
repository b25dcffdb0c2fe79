#include "Srv_Kmr00003.h"

#include "TrdmConfGrupo.h"

#include <AdoSession.h>
#include <HostErrors.h>
#include <HostText.h>

#include <QDateTime>

#include <stdexcept>

std::unique_ptr<TrdmConfGrupo> rdmConfGrupo;

namespace {

enum class Kind { Query, Write };

// A colour travels as decimal text and the database converts it. A server
// refuses a text that is not a number; SQLite would store it as text in a
// loosely typed column of a host database, so there it is refused here.
const QString& colourText(TrdmConfGrupo& dm, const QString& text) {
    if (dm.adcConfGrupo.dialect() != SqlDialect::SQLite)
        return text;
    bool number = false;
    text.toDouble(&number);
    if (!number)
        throw DatabaseError(QStringLiteral("The colour \"%1\" is not a number.").arg(text));
    return text;
}

// The failure path shared by every function: a write rolls back first, then
// the failure text goes into the result with status 0. Only a failure of this
// path itself gives the nonzero status.
int32_t failed(TrdmConfGrupo& dm, Kind kind, const std::exception& error, QVariant& result) {
    try {
        if (kind == Kind::Write)
            dm.Rollback();
        result = ADOExceptionMessage(error, dm.adcConfGrupo, QString());
    } catch (...) {
        return KMR_STATUS_FAILED;
    }
    try {
        dm.DropIfLost();
    } catch (...) {
        // The connection is reopened at the next call or its failure reported then.
    }
    return 0;
}

// Runs the work of one call with the calling convention: result empty first,
// a write inside its own transaction, every exception to the failure path.
template <Kind kind, typename Work> int32_t run(QVariant& result, Work&& work) {
    result = QVariant();
    TrdmConfGrupo* dm = rdmConfGrupo.get();
    if (dm == nullptr)
        return KMR_STATUS_FAILED;
    try {
        try {
            dm->ReconnectIfDropped();
            if constexpr (kind == Kind::Query) {
                result = QVariant::fromValue(work(*dm));
            } else {
                dm->StartTrans();
                work(*dm);
                dm->Commit();
                result = QString(QLatin1String(""));
            }
            return 0;
        } catch (const std::exception& e) {
            return failed(*dm, kind, e, result);
        } catch (...) {
            return failed(*dm, kind, std::runtime_error("Unexpected failure in the data service"), result);
        }
    } catch (...) {
        return KMR_STATUS_FAILED;
    }
}

template <typename Work> int32_t runQuery(QVariant& result, Work&& work) {
    return run<Kind::Query>(result, std::forward<Work>(work));
}

template <typename Work> int32_t runWrite(QVariant& result, Work&& work) {
    return run<Kind::Write>(result, std::forward<Work>(work));
}

// Reads one value of a lookup query and closes it again: a cursor left
// standing on a row would hold the embedded database's read snapshot open.
QString lookup(TADOQuery& query, const QString& field) {
    query.open();
    const QString value = query.fieldText(field);
    query.close();
    return value;
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
    q.setParam(QStringLiteral("P_CDNVPRODUTO"), level);
    q.open();
    return dm.dspSrvProduto.getData();
}

// The group's composition: the branch's own rows when it has any, else the
// rows listed under "P".
QString compositionOwner(TrdmConfGrupo& dm, const QString& branch, const QString& group) {
    TADOQuery& q = dm.adqSrvPrSubGrProd;
    q.close();
    q.setParam(QStringLiteral("P_CDFILIAL"), branch);
    q.setParam(QStringLiteral("P_CDGRUPPROD"), group);
    q.open();
    const bool own = !q.isEmpty();
    q.close();
    return own ? branch : QStringLiteral("P");
}

DataPacket groupPath(TrdmConfGrupo& dm, const QString& branch, const QString& group, const QString& segment) {
    const QString owner = compositionOwner(dm, branch, group);
    if (!EmptyString(segment)) {
        dm.assProdSegGrupo.apply();
        TADOQuery& q = dm.adqProdSegGrupo;
        q.close();
        q.setParam(QStringLiteral("P_CDFILIAL"), branch);
        q.setParam(QStringLiteral("P_PARAM"), owner);
        q.setParam(QStringLiteral("P_CDGRUPPROD"), group);
        q.open();
        return dm.dspProdSegGrupo.getData();
    }
    dm.assSrvProdutosF.apply();
    TADOQuery& q = dm.adqSrvProdutosF;
    q.close();
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
        c.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        c.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        c.setParam(QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        c.setParam(QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        c.setParam(QStringLiteral("P_CDIDENTBUTON"), P_CDIDENTBUTON);
        c.setParam(QStringLiteral("P_DSBUTTON"), P_DSBUTTON);
        c.setParam(QStringLiteral("P_NRCOLORTEXT"), static_cast<double>(P_NRCOLORTEXT));
        c.setParam(QStringLiteral("P_NRCOLORBACK"), static_cast<double>(P_NRCOLORBACK));
        c.setParam(QStringLiteral("P_DSMESSAGEBUT"), P_DSMESSAGE);
        c.setParam(QStringLiteral("P_NRPGCONFTELA"), P_NRPAGINA);
        c.setParam(QStringLiteral("P_IDTPBUTONAUX"), P_IDTPBUTONAUX);
        c.setParam(QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        c.setParam(QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        // The local date and time as text: a date-time value would reach a
        // server in UTC and be stored in the server's zone, not the till's.
        c.setParam(QStringLiteral("P_DTULTATUITCT"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
        c.execute();
    });
}

int32_t getMudaNome(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                    const QString& P_NRPGCONFTELA, const QString& P_DSBUTTON, const QString& P_NRBUTTONAUX,
                    const QString& P_IDTPBUTTON, const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX,
                    QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmMudaNome;
        c.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        c.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        c.setParam(QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        c.setParam(QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        c.setParam(QStringLiteral("P_DSBUTTON"), P_DSBUTTON);
        c.setParam(QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        c.setParam(QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        c.setParam(QStringLiteral("P_IDTPBUTONAUX"), P_IDTPBUTONAUX);
        c.setParam(QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        c.execute();
    });
}

int32_t getMudaCor(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                   const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                   const QString& P_NRPGCONFTAUX, const QString& P_NRCOLORBACK, const QString& P_IDTPBUTTON,
                   QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmMudaCor;
        c.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        c.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        c.setParam(QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        c.setParam(QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        c.setParam(QStringLiteral("P_IDTPBUTONAUX"), P_IDTPBUTONAUX);
        c.setParam(QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        c.setParam(QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        c.setParam(QStringLiteral("P_NRCOLORBACK"), colourText(dm, P_NRCOLORBACK));
        c.setParam(QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        c.execute();
    });
}

int32_t getMudaFonte(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                     const QString& P_NRPGCONFTELA, const QString& P_NRCOLORTEXT, const QString& P_IDTPBUTTON,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX, const QString& P_NRBUTTONAUX,
                     QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmMudaFonte;
        c.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        c.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        c.setParam(QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        c.setParam(QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        c.setParam(QStringLiteral("P_NRCOLORTEXT"), colourText(dm, P_NRCOLORTEXT));
        c.setParam(QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        c.setParam(QStringLiteral("P_IDTPBUTONAUX"), P_IDTPBUTONAUX);
        c.setParam(QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        c.setParam(QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        c.execute();
    });
}

int32_t getDelProdGrup(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPGRUPO,
                       const QString& P_NRBUTTONPAI, const QString& P_NRPGGRUPO, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmDelProdGrup;
        c.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        c.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        c.setParam(QStringLiteral("P_IDTPBUTONAUX"), P_IDTPGRUPO);
        c.setParam(QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONPAI);
        c.setParam(QStringLiteral("P_NRPGCONFTAUX"), P_NRPGGRUPO);
        c.execute();
    });
}

int32_t getDeletaGrupo(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                       const QString& P_NRBUTTON, const QString& P_NRPAGINA, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmDeleta;
        c.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        c.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        c.setParam(QStringLiteral("P_IDTPBUTTON"), P_IDTPBUTTON);
        c.setParam(QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        c.setParam(QStringLiteral("P_NRPGCONFTELA"), P_NRPAGINA);
        c.execute();
    });
}

int32_t getDelProduto(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                      const QString& P_NRPGCONFTELA, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                      QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmDelProduto;
        c.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        c.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        c.setParam(QStringLiteral("P_NRBUTTON"), P_NRBUTTON);
        c.setParam(QStringLiteral("P_NRPGCONFTELA"), P_NRPGCONFTELA);
        c.setParam(QStringLiteral("P_NRBUTTONAUX"), P_NRBUTTONAUX);
        c.setParam(QStringLiteral("P_NRPGCONFTAUX"), P_NRPGCONFTAUX);
        c.execute();
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

void moveItem(TrdmConfGrupo& dm, const PasteArgs& a) {
    TADOCommand& c = dm.acmRecColProd;
    c.setParam(QStringLiteral("P_NRCOLORBACK"), colourText(dm, a.NRCOLORBACK));
    c.setParam(QStringLiteral("P_NRCOLORTEXT"), colourText(dm, a.NRCOLORTEXT));
    c.setParam(QStringLiteral("P_DSBUTTON"), a.DSBUTTON);
    c.setParam(QStringLiteral("P_IDTPBUTTON"), a.IDTPBUTTON);
    c.setParam(QStringLiteral("P_NRBUTTON"), a.NRBUTTON);
    c.setParam(QStringLiteral("P_NRPGCONFTELA"), a.NRPGCONFTELA);
    c.setParam(QStringLiteral("P_IDTPBUTONAUX"), a.IDTPBUTONAUX);
    c.setParam(QStringLiteral("P_NRBUTTONAUX"), a.NRBUTTONAUX);
    c.setParam(QStringLiteral("P_NRPGCONFTAUX"), a.NRPGCONFTAUX);
    c.setParam(QStringLiteral("P_CDFILIAL"), a.CDFILIAL);
    c.setParam(QStringLiteral("P_IDTPBUTTON_ANT"), a.IDTPBUTTON_ANT);
    c.setParam(QStringLiteral("P_NRBUTTON_ANT"), a.NRBUTTON_ANT);
    c.setParam(QStringLiteral("P_NRPGCONFTELA_ANT"), a.NRPGCONFTELA_ANT);
    c.setParam(QStringLiteral("P_IDTPBUTONAUX_ANT"), a.IDTPBUTONAUX_ANT);
    c.setParam(QStringLiteral("P_NRBUTTONAUX_ANT"), a.NRBUTTONAUX_ANT);
    c.setParam(QStringLiteral("P_NRPGCONFTAUX_ANT"), a.NRPGCONFTAUX_ANT);
    c.setParam(QStringLiteral("P_NRCONFTELA"), a.NRCONFTELA);
    c.execute();
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
    c.setParam(QStringLiteral("P_NRBUTTONAUX"), a.NRBUTTON);
    c.setParam(QStringLiteral("P_NRPGCONFTAUX"), a.NRPGCONFTELA);
    c.setParam(QStringLiteral("P_CDFILIAL"), a.CDFILIAL);
    c.setParam(QStringLiteral("P_IDTPBUTTON_ANT"), child.IDTPBUTTON);
    c.setParam(QStringLiteral("P_NRBUTTON_ANT"), child.NRBUTTON);
    c.setParam(QStringLiteral("P_NRPGCONFTELA_ANT"), child.NRPGCONFTELA);
    c.setParam(QStringLiteral("P_IDTPBUTONAUX_ANT"), QStringLiteral("2"));
    c.setParam(QStringLiteral("P_NRBUTTONAUX_ANT"), a.NRBUTTON_ANT);
    c.setParam(QStringLiteral("P_NRPGCONFTAUX_ANT"), a.NRPGCONFTELA_ANT);
    c.setParam(QStringLiteral("P_NRCONFTELA"), a.NRCONFTELA);
    c.execute();
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
    return runWrite(result, [&](TrdmConfGrupo& dm) { moveItem(dm, args); });
}
