#include "Srv_Kmr00003.h"

#include "CacheCatalogo.h"
#include "Diario.h"
#include "SrvArgumentos.h"
#include "SrvChamada.h"
#include "SrvConferencia.h"
#include "TrdmConfGrupo.h"

#include <HostErrors.h>
#include <HostText.h>
#include <SqlGuards.h>

#include <QDateTime>

std::unique_ptr<TrdmConfGrupo> rdmConfGrupo;

namespace Srv_Kmr00003 {

void abre() {
    if (!rdmConfGrupo)
        rdmConfGrupo = std::make_unique<TrdmConfGrupo>();
    rdmConfGrupo->adcConfGrupo.setConnected(true);
}

void fecha() noexcept {
    rdmConfGrupo.reset();
}

Sessao::Sessao(Abertura abertura) {
    if (abertura == Abertura::Adiada)
        return;
    try {
        abre();
    } catch (...) {
        fecha();
        throw;
    }
}

Sessao::~Sessao() {
    fecha();
}

FailureCause causaDaFalha() noexcept {
    return SrvChamada::causa();
}

namespace {
AntesDeLerCatalogo* g_antesDeLer = nullptr;
}

AntesDeLerCatalogo::AntesDeLerCatalogo(std::function<void()> solta)
    : m_solta(std::move(solta)), m_anterior(g_antesDeLer) {
    g_antesDeLer = this;
}

AntesDeLerCatalogo::~AntesDeLerCatalogo() {
    g_antesDeLer = m_anterior;
}

void AntesDeLerCatalogo::avisa() {
    if (g_antesDeLer && g_antesDeLer->m_solta)
        g_antesDeLer->m_solta();
}

} // namespace Srv_Kmr00003

using SrvArgumentos::bind;
using SrvArgumentos::cor;
using SrvArgumentos::nome;
using SrvArgumentos::texto;

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

// How many rows a write may change: one, for a write that names a row by its
// key (none is a failure), or any number.
enum class Linhas { Uma, Quaisquer };

// A write of one command: each argument checked and bound in turn, then the
// command executed, in the write's transaction. A checked write in progress
// runs the command's checked form (SrvEstacoes::Esperado).
// The scope of a write of one command for the journal: the rows its key
// arguments name.
std::unique_ptr<Diario::Escopo> escopoDe(SrvArgumentos::Argumentos arguments) {
    QString filial;
    QString conf;
    Diario::Filtro filtro;
    for (const SrvArgumentos::Argumento& a : arguments) {
        const QLatin1String nome(a.parametro);
        if (nome == QLatin1String("P_CDFILIAL"))
            filial = a.valor;
        else if (nome == QLatin1String("P_NRCONFTELA"))
            conf = a.valor;
        else if (nome == QLatin1String("P_IDTPBUTTON") || nome == QLatin1String("P_NRBUTTON") ||
                 nome == QLatin1String("P_NRPGCONFTELA") || nome == QLatin1String("P_IDTPBUTONAUX") ||
                 nome == QLatin1String("P_NRBUTTONAUX") || nome == QLatin1String("P_NRPGCONFTAUX"))
            filtro.append({QString(nome.mid(2)), a.valor});
    }
    return std::make_unique<Diario::Escopo>(filial, conf, QList<Diario::Filtro>{filtro});
}

int32_t writeCommand(QVariant& result, TADOCommand TrdmConfGrupo::*command, SrvArgumentos::Argumentos arguments,
                     Linhas linhas = Linhas::Uma) {
    const auto escopo = escopoDe(arguments);
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = SrvEstacoes::comando(dm, dm.*command);
        bind(c, arguments);
        if (linhas == Linhas::Uma)
            SrvEstacoes::executaComLinha(c);
        else
            c.execute();
    });
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

// The chosen path's packet: the one kept from the last touch when the
// catalogue did not change since, else read now.
DataPacket catalogue(TrdmConfGrupo& dm, const QString& branch, const QString& group, const QString& segment,
                     const QString& level) {
    CacheCatalogo& cache = *dm.cacheCatalogo;
    const QString key = QStringList{branch, group, segment, level}.join(QChar(0x1F));
    if (std::optional<DataPacket> kept = cache.procura(key))
        return *kept;
    Srv_Kmr00003::AntesDeLerCatalogo::avisa();
    DataPacket read;
    if (!EmptyString(group))
        read = groupPath(dm, branch, group, segment);
    else if (!EmptyString(segment))
        read = segmentPath(dm, branch, level, segment);
    else
        read = levelPath(dm, level);
    cache.guarda(key, read);
    return read;
}

} // namespace

int32_t getProduto(const QString& P_CDFILIAL, QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        if (!dm.cacheCatalogo)
            dm.cacheCatalogo = std::make_shared<CacheCatalogo>(dm.adcConfGrupo);
        // Before the look-ups: what changes from here on is seen next time.
        dm.cacheCatalogo->inicia();
        dm.adqSrvParavend.close();
        dm.adqSrvParavend.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        const QString group = lookup(dm.adqSrvParavend, QStringLiteral("CDGRPRODPDV"));
        dm.adqSegmento.close();
        dm.adqSegmento.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        const QString segment = lookup(dm.adqSegmento, QStringLiteral("CDSEGMER"));
        dm.adqMaxNivel.close();
        const QString level = lookup(dm.adqMaxNivel, QStringLiteral("CDNVPRODUTO"));
        return catalogue(dm, P_CDFILIAL, group, segment, level);
    });
}

int32_t getInsere(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                  const QString& P_NRBUTTON, const QString& P_DSBUTTON, float P_NRCOLORTEXT, float P_NRCOLORBACK,
                  const QString& P_DSMESSAGE, const QString& P_CDIDENTBUTON, const QString& P_NRPAGINA,
                  const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                  QVariant& result) {
    const Diario::Escopo escopo(
        P_CDFILIAL, P_NRCONFTELA,
        {Diario::posicao({P_IDTPBUTTON, P_NRBUTTON, P_NRPAGINA, P_IDTPBUTONAUX, P_NRBUTTONAUX, P_NRPGCONFTAUX})});
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        TADOCommand& c = dm.acmInsere;
        bind(c, {texto("P_CDFILIAL", P_CDFILIAL), texto("P_NRCONFTELA", P_NRCONFTELA),
                 texto("P_IDTPBUTTON", P_IDTPBUTTON), texto("P_NRBUTTON", P_NRBUTTON),
                 texto("P_CDIDENTBUTON", P_CDIDENTBUTON), nome("P_DSBUTTON", P_DSBUTTON)});
        c.setParam(QStringLiteral("P_NRCOLORTEXT"), SrvArgumentos::verificaCor(P_NRCOLORTEXT));
        c.setParam(QStringLiteral("P_NRCOLORBACK"), SrvArgumentos::verificaCor(P_NRCOLORBACK));
        bind(c, {texto("P_DSMESSAGEBUT", P_DSMESSAGE), texto("P_NRPGCONFTELA", P_NRPAGINA),
                 texto("P_IDTPBUTONAUX", P_IDTPBUTONAUX), texto("P_NRBUTTONAUX", P_NRBUTTONAUX),
                 texto("P_NRPGCONFTAUX", P_NRPGCONFTAUX)});
        c.setParam(QStringLiteral("P_DTULTATUITCT"), insertTime());
        c.execute();
    });
}

int32_t getMudaNome(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                    const QString& P_NRPGCONFTELA, const QString& P_DSBUTTON, const QString& P_NRBUTTONAUX,
                    const QString& P_IDTPBUTTON, const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX,
                    QVariant& result) {
    return writeCommand(result, &TrdmConfGrupo::acmMudaNome,
                        {texto("P_CDFILIAL", P_CDFILIAL), texto("P_NRCONFTELA", P_NRCONFTELA),
                         texto("P_NRBUTTON", P_NRBUTTON), texto("P_NRPGCONFTELA", P_NRPGCONFTELA),
                         nome("P_DSBUTTON", P_DSBUTTON), texto("P_NRBUTTONAUX", P_NRBUTTONAUX),
                         texto("P_IDTPBUTTON", P_IDTPBUTTON), texto("P_IDTPBUTONAUX", P_IDTPBUTONAUX),
                         texto("P_NRPGCONFTAUX", P_NRPGCONFTAUX)});
}

int32_t getMudaCor(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                   const QString& P_NRPGCONFTELA, const QString& P_IDTPBUTONAUX, const QString& P_NRBUTTONAUX,
                   const QString& P_NRPGCONFTAUX, const QString& P_NRCOLORBACK, const QString& P_IDTPBUTTON,
                   QVariant& result) {
    return writeCommand(result, &TrdmConfGrupo::acmMudaCor,
                        {texto("P_CDFILIAL", P_CDFILIAL), texto("P_NRCONFTELA", P_NRCONFTELA),
                         texto("P_NRBUTTON", P_NRBUTTON), texto("P_NRPGCONFTELA", P_NRPGCONFTELA),
                         texto("P_IDTPBUTONAUX", P_IDTPBUTONAUX), texto("P_NRBUTTONAUX", P_NRBUTTONAUX),
                         texto("P_NRPGCONFTAUX", P_NRPGCONFTAUX), cor("P_NRCOLORBACK", P_NRCOLORBACK),
                         texto("P_IDTPBUTTON", P_IDTPBUTTON)});
}

int32_t getMudaFonte(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                     const QString& P_NRPGCONFTELA, const QString& P_NRCOLORTEXT, const QString& P_IDTPBUTTON,
                     const QString& P_IDTPBUTONAUX, const QString& P_NRPGCONFTAUX, const QString& P_NRBUTTONAUX,
                     QVariant& result) {
    return writeCommand(result, &TrdmConfGrupo::acmMudaFonte,
                        {texto("P_CDFILIAL", P_CDFILIAL), texto("P_NRCONFTELA", P_NRCONFTELA),
                         texto("P_NRBUTTON", P_NRBUTTON), texto("P_NRPGCONFTELA", P_NRPGCONFTELA),
                         cor("P_NRCOLORTEXT", P_NRCOLORTEXT), texto("P_IDTPBUTTON", P_IDTPBUTTON),
                         texto("P_IDTPBUTONAUX", P_IDTPBUTONAUX), texto("P_NRPGCONFTAUX", P_NRPGCONFTAUX),
                         texto("P_NRBUTTONAUX", P_NRBUTTONAUX)});
}

int32_t getDelProdGrup(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPGRUPO,
                       const QString& P_NRBUTTONPAI, const QString& P_NRPGGRUPO, QVariant& result) {
    return writeCommand(result, &TrdmConfGrupo::acmDelProdGrup,
                        {texto("P_CDFILIAL", P_CDFILIAL), texto("P_NRCONFTELA", P_NRCONFTELA),
                         texto("P_IDTPBUTONAUX", P_IDTPGRUPO), texto("P_NRBUTTONAUX", P_NRBUTTONPAI),
                         texto("P_NRPGCONFTAUX", P_NRPGGRUPO)},
                        Linhas::Quaisquer);
}

int32_t getDeletaGrupo(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDTPBUTTON,
                       const QString& P_NRBUTTON, const QString& P_NRPAGINA, QVariant& result) {
    return writeCommand(result, &TrdmConfGrupo::acmDeleta,
                        {texto("P_CDFILIAL", P_CDFILIAL), texto("P_NRCONFTELA", P_NRCONFTELA),
                         texto("P_IDTPBUTTON", P_IDTPBUTTON), texto("P_NRBUTTON", P_NRBUTTON),
                         texto("P_NRPGCONFTELA", P_NRPAGINA)});
}

int32_t getDelProduto(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_NRBUTTON,
                      const QString& P_NRPGCONFTELA, const QString& P_NRBUTTONAUX, const QString& P_NRPGCONFTAUX,
                      QVariant& result) {
    return writeCommand(result, &TrdmConfGrupo::acmDelProduto,
                        {texto("P_CDFILIAL", P_CDFILIAL), texto("P_NRCONFTELA", P_NRCONFTELA),
                         texto("P_NRBUTTON", P_NRBUTTON), texto("P_NRPGCONFTELA", P_NRPGCONFTELA),
                         texto("P_NRBUTTONAUX", P_NRBUTTONAUX), texto("P_NRPGCONFTAUX", P_NRPGCONFTAUX)});
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

    // Calls f with every argument of the moved item, colours first: the
    // paste checks them all before its first statement, then binds them.
    template <typename F> void arguments(F f) const {
        f({cor("P_NRCOLORBACK", NRCOLORBACK), cor("P_NRCOLORTEXT", NRCOLORTEXT), texto("P_DSBUTTON", DSBUTTON),
           texto("P_IDTPBUTTON", IDTPBUTTON), texto("P_NRBUTTON", NRBUTTON), texto("P_NRPGCONFTELA", NRPGCONFTELA),
           texto("P_IDTPBUTONAUX", IDTPBUTONAUX), texto("P_NRBUTTONAUX", NRBUTTONAUX),
           texto("P_NRPGCONFTAUX", NRPGCONFTAUX), texto("P_CDFILIAL", CDFILIAL), texto("P_NRCONFTELA", NRCONFTELA),
           texto("P_IDTPBUTTON_ANT", IDTPBUTTON_ANT), texto("P_NRBUTTON_ANT", NRBUTTON_ANT),
           texto("P_NRPGCONFTELA_ANT", NRPGCONFTELA_ANT), texto("P_IDTPBUTONAUX_ANT", IDTPBUTONAUX_ANT),
           texto("P_NRBUTTONAUX_ANT", NRBUTTONAUX_ANT), texto("P_NRPGCONFTAUX_ANT", NRPGCONFTAUX_ANT)});
    }
};

// Every argument of a paste checked before the first statement runs.
void checkPaste(const PasteArgs& a) {
    a.arguments(SrvArgumentos::verifica);
}

void moveItem(TrdmConfGrupo& dm, const PasteArgs& a) {
    TADOCommand& c = SrvEstacoes::comando(dm, dm.acmRecColProd);
    a.arguments([&](SrvArgumentos::Argumentos arguments) { bind(c, arguments); });
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
    const QString groupType = QStringLiteral("2"); // their parent is a group button
    bind(c, {texto("P_NRBUTTONAUX", a.NRBUTTON), texto("P_NRPGCONFTAUX", a.NRPGCONFTELA),
             texto("P_CDFILIAL", a.CDFILIAL), texto("P_IDTPBUTTON_ANT", child.IDTPBUTTON),
             texto("P_NRBUTTON_ANT", child.NRBUTTON), texto("P_NRPGCONFTELA_ANT", child.NRPGCONFTELA),
             texto("P_IDTPBUTONAUX_ANT", groupType), texto("P_NRBUTTONAUX_ANT", a.NRBUTTON_ANT),
             texto("P_NRPGCONFTAUX_ANT", a.NRPGCONFTELA_ANT), texto("P_NRCONFTELA", a.NRCONFTELA)});
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
    const Diario::Escopo escopo(P_CDFILIAL, P_NRCONFTELA,
                                Diario::escopoDaColagem({P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX,
                                                         P_NRBUTTONAUX, P_NRPGCONFTAUX},
                                                        {P_IDTPBUTTON_ANT, P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT,
                                                         P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT, P_NRPGCONFTAUX_ANT},
                                                        true));
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
    const Diario::Escopo escopo(P_CDFILIAL, P_NRCONFTELA,
                                Diario::escopoDaColagem({P_IDTPBUTTON, P_NRBUTTON, P_NRPGCONFTELA, P_IDTPBUTONAUX,
                                                         P_NRBUTTONAUX, P_NRPGCONFTAUX},
                                                        {P_IDTPBUTTON_ANT, P_NRBUTTON_ANT, P_NRPGCONFTELA_ANT,
                                                         P_IDTPBUTONAUX_ANT, P_NRBUTTONAUX_ANT, P_NRPGCONFTAUX_ANT},
                                                        false));
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        checkPaste(args);
        moveItem(dm, args);
    });
}
