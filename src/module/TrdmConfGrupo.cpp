#include "TrdmConfGrupo.h"

#include "Diario.h"

#include "SrvColunas.h"

#include <AdoSession.h>
#include <HostErrors.h>
#include <KmrConexao.h>
#include <SqlGuards.h>

#include <QSqlError>
#include <QSqlQuery>

namespace {

// The statements. The four catalogue statements keep one text per database;
// the others run as written on every database.

const char* const kPesqGrupos =
    "SELECT NRBUTTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, DSIMAGEMBUT, IDTPBUTTON, "
    "NRPGCONFTELA FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) AND "
    "(IDTPBUTTON in ('2','7','8') ) AND (NRPGCONFTELA = :P_NRPGCONFTELA)";
const char* const kPesqProdGrupo =
    "SELECT NRBUTTON , DSBUTTON, NRCOLORTEXT, NRCOLORBACK, NRPGCONFTAUX, IDTPBUTTON, DSIMAGEMBUT, "
    "NRPGCONFTELA FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) AND "
    "(IDTPBUTTON IN ('1','9','A') ) AND (NRPGCONFTELA = :P_NRPGCONFTELA) AND (IDTPBUTONAUX = '2' ) AND "
    "(NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX)";
const char* const kFiltroProd =
    "SELECT CDFILIAL ,CDLOJA ,CDPRODCOUVER , CDPRODCONSUM,CDPRODCOMVEN FROM LOJA WHERE (CDFILIAL = "
    ":P_CDFILIAL) AND(CDLOJA = :P_CDLOJA)";
const char* const kSrvParavend = "SELECT CDFILIAL,CDGRPRODPDV FROM PARAVEND WHERE (CDFILIAL = :P_CDFILIAL)";
const char* const kSegmento = "SELECT CDSEGMER FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL ORDER BY CDFILIAL";
const char* const kMaxNivel = "SELECT MAX (CDNVPRODUTO) AS CDNVPRODUTO FROM PRODUTO";
const char* const kSrvPrSubGrProd =
    "SELECT DISTINCT CDPRODUTO, CDGRUPPROD FROM PRSUBGRPROD WHERE (CDFILISUBGR = :P_CDFILIAL) AND "
    "(CDGRUPPROD = :P_CDGRUPPROD)";
const char* const kProdSegmentoOracle =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE,:P_CDNVPRODUTO,PR.IDTIPOPROD, NVL(PR.IDPESAPROD, 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD,PR.IDCOBTXSERV, NVL(PR.IDPRODATIVPR,'S') AS IDPRODATIVPR, NVL(PR.IDSOLLOCIMP, 'N') AS "
    "IDSOLLOCIMP FROM PRODUTOSEG S, PRODUTO PR, (SELECT COUNT(*) AS NRCOMPPROD, CDPRODUTO FROM ROTFABRICA "
    "GROUP BY CDPRODUTO) R, (SELECT COUNT(*) AS NRCOMPPRODL, CDPRODUTO FROM ROTFABLOCAL WHERE (CDFILIAL = "
    ":P_CDFILIAL) GROUP BY CDPRODUTO) F WHERE (S.CDSEGMER = :P_CDSEGMER) AND (PR.CDPRODUTO = S.CDPRODUTO) "
    "AND (NVL(PR.IDPRODATIVPR,'S') = 'S') AND (R.CDPRODUTO(+) = PR.CDPRODUTO) AND (F.CDPRODUTO(+) = "
    "PR.CDPRODUTO) ORDER BY PR.CDPRODUTO";
const char* const kProdSegmentoMsSql =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE,:P_CDNVPRODUTO,PR.IDTIPOPROD, ISNULL(PR.IDPESAPROD, 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD,PR.IDCOBTXSERV, ISNULL(PR.IDPRODATIVPR,'S') AS IDPRODATIVPR, ISNULL(PR.IDSOLLOCIMP, "
    "'N') AS IDSOLLOCIMP FROM PRODUTOSEG S JOIN PRODUTO PR ON (PR.CDPRODUTO = S.CDPRODUTO) LEFT JOIN "
    "(SELECT COUNT(*) AS NRCOMPPROD, CDPRODUTO FROM ROTFABRICA GROUP BY CDPRODUTO) R ON (R.CDPRODUTO = "
    "PR.CDPRODUTO) LEFT JOIN (SELECT COUNT(*) AS NRCOMPPRODL, CDPRODUTO FROM ROTFABLOCAL WHERE (CDFILIAL "
    "= :P_CDFILIAL) GROUP BY CDPRODUTO) F ON (F.CDPRODUTO = PR.CDPRODUTO) WHERE (S.CDSEGMER = "
    ":P_CDSEGMER) AND (ISNULL(PR.IDPRODATIVPR,'S') = 'S') ORDER BY PR.CDPRODUTO";
const char* const kSrvProdutoOracle =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE,PR.IDTIPOPROD, NVL(PR.IDPESAPROD, 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD,PR.IDCOBTXSERV, NVL(PR.IDPRODATIVPR,'S') AS IDPRODATIVPR, NVL(PR.IDSOLLOCIMP, 'N') AS "
    "IDSOLLOCIMP FROM PRODUTO PR WHERE (PR.CDNVPRODUTO = :P_CDNVPRODUTO) ORDER BY PR.CDARVPROD";
const char* const kSrvProdutoMsSql =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE,PR.IDTIPOPROD, ISNULL(PR.IDPESAPROD, 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD,PR.IDCOBTXSERV, ISNULL(PR.IDPRODATIVPR,'S') AS IDPRODATIVPR, ISNULL(PR.IDSOLLOCIMP, "
    "'N') AS IDSOLLOCIMP FROM PRODUTO PR WHERE (PR.CDNVPRODUTO = :P_CDNVPRODUTO) ORDER BY PR.CDARVPROD";
const char* const kProdSegGrupoOracle =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE,PR.IDTIPOPROD, NVL(PR.IDPESAPROD, 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD,PR.IDCOBTXSERV, NVL(PR.IDPRODATIVPR,'S') AS IDPRODATIVPR, NVL(PR.IDSOLLOCIMP, 'N') AS "
    "IDSOLLOCIMP FROM PRODUTO PR, PRSUBGRPROD PO , PRODUTOSEG PS, FILIAL FI WHERE (FI.CDFILIAL = "
    ":P_CDFILIAL ) AND (PS.CDSEGMER = FI.CDSEGMER ) AND (PR.CDPRODUTO = PS.CDPRODUTO ) AND (PR.CDPRODUTO "
    "= PO.CDPRODUTO ) AND (PO.CDGRUPPROD = :P_CDGRUPPROD) AND (PO.CDFILISUBGR = :P_PARAM ) ORDER BY "
    "PR.CDARVPROD";
const char* const kProdSegGrupoMsSql =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE,PR.IDTIPOPROD, ISNULL(PR.IDPESAPROD, 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD,PR.IDCOBTXSERV, ISNULL(PR.IDPRODATIVPR,'S') AS IDPRODATIVPR, ISNULL(PR.IDSOLLOCIMP, "
    "'N') AS IDSOLLOCIMP FROM PRODUTO PR, PRSUBGRPROD PO , PRODUTOSEG PS, FILIAL FI WHERE (FI.CDFILIAL = "
    ":P_CDFILIAL ) AND (PS.CDSEGMER = FI.CDSEGMER ) AND (PR.CDPRODUTO = PS.CDPRODUTO ) AND (PR.CDPRODUTO "
    "= PO.CDPRODUTO ) AND (PO.CDGRUPPROD = :P_CDGRUPPROD) AND (PO.CDFILISUBGR = :P_PARAM ) ORDER BY "
    "PR.CDARVPROD";
const char* const kSrvProdutosFOracle =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE,PR.IDTIPOPROD, NVL(PR.IDPESAPROD, 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD,PR.IDCOBTXSERV, NVL(PR.IDPRODATIVPR,'S') AS IDPRODATIVPR, NVL(PR.IDSOLLOCIMP, 'N') AS "
    "IDSOLLOCIMP FROM PRODUTO PR, PRSUBGRPROD PO WHERE (PR.CDPRODUTO = PO.CDPRODUTO ) AND (PO.CDGRUPPROD "
    "= :P_CDGRUPPROD) AND (PO.CDFILISUBGR = :P_PARAM) ORDER BY PR.CDARVPROD";
const char* const kSrvProdutosFMsSql =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE,PR.IDTIPOPROD, ISNULL(PR.IDPESAPROD, 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD,PR.IDCOBTXSERV, ISNULL(PR.IDPRODATIVPR,'S') AS IDPRODATIVPR, ISNULL(PR.IDSOLLOCIMP, "
    "'N') AS IDSOLLOCIMP FROM PRSUBGRPROD PO, PRODUTO PR WHERE PR.CDPRODUTO = PO.CDPRODUTO AND "
    "(PO.CDGRUPPROD = :P_CDGRUPPROD) AND (PO.CDFILISUBGR = :P_PARAM) ORDER BY PR.CDARVPROD";
const char* const kInsere =
    "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, CDIDENTBUTON, DSBUTTON, "
    "NRCOLORTEXT, NRCOLORBACK, DSMESSAGEBUT, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTELA, NRPGCONFTAUX, "
    "DTULTATUITCT) VALUES (:P_CDFILIAL, :P_NRCONFTELA, :P_IDTPBUTTON, :P_NRBUTTON, :P_CDIDENTBUTON, "
    ":P_DSBUTTON, :P_NRCOLORTEXT, :P_NRCOLORBACK, :P_DSMESSAGEBUT, :P_IDTPBUTONAUX, :P_NRBUTTONAUX, "
    ":P_NRPGCONFTELA, :P_NRPGCONFTAUX, :P_DTULTATUITCT)";
const char* const kMudaNome =
    "UPDATE ITMENUCONFTE SET DSBUTTON = :P_DSBUTTON WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = "
    ":P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRBUTTONAUX = "
    ":P_NRBUTTONAUX ) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRPGCONFTELA = :P_NRPGCONFTELA) AND "
    "(NRPGCONFTAUX = :P_NRPGCONFTAUX)";
const char* const kMudaCor =
    "UPDATE ITMENUCONFTE SET NRCOLORBACK = :P_NRCOLORBACK WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA "
    "= :P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRPGCONFTELA "
    "= :P_NRPGCONFTELA) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND "
    "(NRPGCONFTAUX = :P_NRPGCONFTAUX)";
const char* const kMudaFonte =
    "UPDATE ITMENUCONFTE SET NRCOLORTEXT = :P_NRCOLORTEXT WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA "
    "= :P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRPGCONFTELA "
    "= :P_NRPGCONFTELA) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND "
    "(NRPGCONFTAUX = :P_NRPGCONFTAUX)";
const char* const kDelProdGrup =
    "DELETE FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) AND "
    "(IDTPBUTONAUX = :P_IDTPBUTONAUX ) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = "
    ":P_NRPGCONFTAUX)";
const char* const kDeleta =
    "DELETE FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) AND "
    "(IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRPGCONFTELA = :P_NRPGCONFTELA)";
const char* const kDelProduto =
    "DELETE FROM ITMENUCONFTE WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) AND "
    "(IDTPBUTTON IN ('1','9','A') ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRPGCONFTELA = :P_NRPGCONFTELA) "
    "AND (IDTPBUTONAUX = '2' ) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX)";
const char* const kGrupProd =
    "SELECT CDFILIAL, NRCONFTELA, NRBUTTON, NRPGCONFTELA, NRBUTTONAUX, NRPGCONFTAUX, DSBUTTON, IDTPBUTTON "
    "FROM ITMENUCONFTE WHERE (IDTPBUTTON IN ('1','9','A') ) AND (IDTPBUTONAUX = '2' ) AND (NRBUTTONAUX = "
    ":P_NRBUTTONAUX ) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX) AND (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA "
    "= :P_NRCONFTELA )";
const char* const kRecortaProdutos =
    "UPDATE ITMENUCONFTE SET NRBUTTONAUX = :P_NRBUTTONAUX, NRPGCONFTAUX = :P_NRPGCONFTAUX WHERE (CDFILIAL "
    "= :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON_ANT ) AND "
    "(NRBUTTON = :P_NRBUTTON_ANT ) AND (NRPGCONFTELA = :P_NRPGCONFTELA_ANT) AND (IDTPBUTONAUX = "
    ":P_IDTPBUTONAUX_ANT) AND (NRBUTTONAUX = :P_NRBUTTONAUX_ANT ) AND (NRPGCONFTAUX = "
    ":P_NRPGCONFTAUX_ANT)";
const char* const kMudaImagem =
    "UPDATE ITMENUCONFTE SET DSIMAGEMBUT = :P_DSIMAGEMBUT WHERE (CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = "
    ":P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON ) AND (NRBUTTON = :P_NRBUTTON ) AND (NRPGCONFTELA = "
    ":P_NRPGCONFTELA) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX ) AND (NRPGCONFTAUX = "
    ":P_NRPGCONFTAUX)";
const char* const kRecColProd =
    "UPDATE ITMENUCONFTE SET NRCOLORBACK = :P_NRCOLORBACK, NRCOLORTEXT = :P_NRCOLORTEXT, DSBUTTON = "
    ":P_DSBUTTON, IDTPBUTTON = :P_IDTPBUTTON, NRBUTTON = :P_NRBUTTON, NRPGCONFTELA = :P_NRPGCONFTELA, "
    "IDTPBUTONAUX = :P_IDTPBUTONAUX, NRBUTTONAUX = :P_NRBUTTONAUX, NRPGCONFTAUX = :P_NRPGCONFTAUX WHERE "
    "(CDFILIAL = :P_CDFILIAL ) AND (NRCONFTELA = :P_NRCONFTELA ) AND (IDTPBUTTON = :P_IDTPBUTTON_ANT ) "
    "AND (NRBUTTON = :P_NRBUTTON_ANT ) AND (NRPGCONFTELA = :P_NRPGCONFTELA_ANT) AND (IDTPBUTONAUX = "
    ":P_IDTPBUTONAUX_ANT) AND (NRBUTTONAUX = :P_NRBUTTONAUX_ANT ) AND (NRPGCONFTAUX = "
    ":P_NRPGCONFTAUX_ANT)";

// The catalogue statements for the embedded and the PostgreSQL database: the
// same columns, defaults, conditions and order. The level value travels as
// text; NULLS LAST keeps the server databases' order of empty codes.
const char* const kProdSegmentoPortable =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE, CAST(:P_CDNVPRODUTO AS VARCHAR(20)), PR.IDTIPOPROD, "
    "COALESCE(NULLIF(PR.IDPESAPROD, ''), 'N') AS IDPESAPROD, PR.QTTARAPROD, PR.IDCOBTXSERV, "
    "COALESCE(NULLIF(PR.IDPRODATIVPR, ''), 'S') AS IDPRODATIVPR, COALESCE(NULLIF(PR.IDSOLLOCIMP, ''), 'N') AS "
    "IDSOLLOCIMP "
    "FROM PRODUTOSEG S JOIN PRODUTO PR ON (PR.CDPRODUTO = S.CDPRODUTO) "
    "LEFT JOIN (SELECT COUNT(*) AS NRCOMPPROD, CDPRODUTO FROM ROTFABRICA GROUP BY CDPRODUTO) R "
    "ON (R.CDPRODUTO = PR.CDPRODUTO) "
    "LEFT JOIN (SELECT COUNT(*) AS NRCOMPPRODL, CDPRODUTO FROM ROTFABLOCAL WHERE (CDFILIAL = :P_CDFILIAL) "
    "GROUP BY CDPRODUTO) F ON (F.CDPRODUTO = PR.CDPRODUTO) "
    "WHERE (S.CDSEGMER = :P_CDSEGMER) AND (COALESCE(NULLIF(PR.IDPRODATIVPR, ''), 'S') = 'S') ORDER BY PR.CDPRODUTO";
const char* const kSrvProdutoPortable =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE, PR.IDTIPOPROD, COALESCE(NULLIF(PR.IDPESAPROD, ''), 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD, "
    "PR.IDCOBTXSERV, COALESCE(NULLIF(PR.IDPRODATIVPR, ''), 'S') AS IDPRODATIVPR, COALESCE(NULLIF(PR.IDSOLLOCIMP, ''), "
    "'N') AS "
    "IDSOLLOCIMP FROM PRODUTO PR WHERE (PR.CDNVPRODUTO = :P_CDNVPRODUTO) ORDER BY PR.CDARVPROD NULLS LAST";
const char* const kProdSegGrupoPortable =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE, PR.IDTIPOPROD, COALESCE(NULLIF(PR.IDPESAPROD, ''), 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD, "
    "PR.IDCOBTXSERV, COALESCE(NULLIF(PR.IDPRODATIVPR, ''), 'S') AS IDPRODATIVPR, COALESCE(NULLIF(PR.IDSOLLOCIMP, ''), "
    "'N') AS "
    "IDSOLLOCIMP FROM PRODUTO PR, PRSUBGRPROD PO, PRODUTOSEG PS, FILIAL FI WHERE (FI.CDFILIAL = :P_CDFILIAL ) "
    "AND (PS.CDSEGMER = FI.CDSEGMER ) AND (PR.CDPRODUTO = PS.CDPRODUTO ) AND (PR.CDPRODUTO = PO.CDPRODUTO ) "
    "AND (PO.CDGRUPPROD = :P_CDGRUPPROD) AND (PO.CDFILISUBGR = :P_PARAM ) ORDER BY PR.CDARVPROD NULLS LAST";
const char* const kSrvProdutosFPortable =
    "SELECT PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.NMFOTOPROD, PR.NMPRODIMPFIS, PR.CDBARPRODUTO, "
    "PR.CDPRODINTE, PR.SGUNIDADE, PR.IDTIPOPROD, COALESCE(NULLIF(PR.IDPESAPROD, ''), 'N') AS IDPESAPROD, "
    "PR.QTTARAPROD, "
    "PR.IDCOBTXSERV, COALESCE(NULLIF(PR.IDPRODATIVPR, ''), 'S') AS IDPRODATIVPR, COALESCE(NULLIF(PR.IDSOLLOCIMP, ''), "
    "'N') AS "
    "IDSOLLOCIMP FROM PRODUTO PR, PRSUBGRPROD PO WHERE (PR.CDPRODUTO = PO.CDPRODUTO ) "
    "AND (PO.CDGRUPPROD = :P_CDGRUPPROD) AND (PO.CDFILISUBGR = :P_PARAM) ORDER BY PR.CDARVPROD NULLS LAST";

FieldDef text(const char* name, int width) {
    return FieldDef{QString::fromLatin1(name), FieldKind::Text, width};
}

FieldDef number(const char* name) {
    return FieldDef{QString::fromLatin1(name), FieldKind::Float, 0};
}

// A column of the menu item, as the table of menu item columns has it.
FieldDef item(const char* name) {
    const QString column = QString::fromLatin1(name);
    const SrvColunas::Coluna* c = SrvColunas::coluna(column);
    return FieldDef{column, c->tipo, c->largura};
}

QList<FieldDef> pesqGruposColumns() {
    return {item("NRBUTTON"),     item("DSBUTTON"),    item("NRCOLORTEXT"), item("NRCOLORBACK"),
            item("DSMESSAGEBUT"), item("DSIMAGEMBUT"), item("IDTPBUTTON"),  item("NRPGCONFTELA")};
}

QList<FieldDef> pesqProdGrupoColumns() {
    return {item("NRBUTTON"),     item("DSBUTTON"),   item("NRCOLORTEXT"), item("NRCOLORBACK"),
            item("NRPGCONFTAUX"), item("IDTPBUTTON"), item("DSIMAGEMBUT"), item("NRPGCONFTELA")};
}

QList<FieldDef> filtroProdColumns() {
    return {text("CDFILIAL", 4), text("CDLOJA", 4), text("CDPRODCOUVER", 10), text("CDPRODCONSUM", 10),
            text("CDPRODCOMVEN", 10)};
}

// The eight leading product columns of every catalogue statement.
QList<FieldDef> productHead() {
    return {text("CDARVPROD", 20),    text("CDPRODUTO", 10),    text("NMPRODUTO", 50),  text("NMFOTOPROD", 200),
            text("NMPRODIMPFIS", 40), text("CDBARPRODUTO", 30), text("CDPRODINTE", 20), text("SGUNIDADE", 5)};
}

QList<FieldDef> productTail() {
    return {text("IDTIPOPROD", 1),  text("IDPESAPROD", 1),   number("QTTARAPROD"),
            text("IDCOBTXSERV", 1), text("IDPRODATIVPR", 1), text("IDSOLLOCIMP", 1)};
}

QList<FieldDef> productColumns() {
    return productHead() + productTail();
}

// The segment statement carries the bound level value after SGUNIDADE.
QList<FieldDef> productSegmentColumns() {
    return productHead() + QList<FieldDef>{text("CDNVPRODUTO", 2)} + productTail();
}

void setTexts(TADOSqlStorage& storage, TADOQuery& query, const char* oracle, const char* msSql, const char* portable) {
    storage.SQLORACLE = QString::fromLatin1(oracle);
    storage.SQLMSSQL = QString::fromLatin1(msSql);
    storage.SQLSQLITE = QString::fromLatin1(portable);
    storage.SQLPOSTGRES = QString::fromLatin1(portable);
    storage.ADOQuery = &query;
}

QString sql(const char* text) {
    return QString::fromLatin1(text);
}

} // namespace

TrdmConfGrupo::TrdmConfGrupo()
    : dspPesqGrupos(adqPesqGrupos, pesqGruposColumns()), adqPesqGrupos(adcConfGrupo, sql(kPesqGrupos)),
      acmInsere(adcConfGrupo, sql(kInsere)), adqPesqProdGrupo(adcConfGrupo, sql(kPesqProdGrupo)),
      dspPesqProdGrupo(adqPesqProdGrupo, pesqProdGrupoColumns()), adqSrvParavend(adcConfGrupo, sql(kSrvParavend)),
      dspProdSegmento(adqProdSegmento, productSegmentColumns()), acmMudaNome(adcConfGrupo, sql(kMudaNome)),
      adqSegmento(adcConfGrupo, sql(kSegmento)), adqMaxNivel(adcConfGrupo, sql(kMaxNivel)),
      adqProdSegmento(adcConfGrupo), dspSrvProduto(adqSrvProduto, productColumns()), adqSrvProduto(adcConfGrupo),
      dspProdSegGrupo(adqProdSegGrupo, productColumns()), adqSrvPrSubGrProd(adcConfGrupo, sql(kSrvPrSubGrProd)),
      adqProdSegGrupo(adcConfGrupo), dspSrvProdutosF(adqSrvProdutosF, productColumns()), adqSrvProdutosF(adcConfGrupo),
      adqFiltroProd(adcConfGrupo, sql(kFiltroProd)), dspFiltroProd(adqFiltroProd, filtroProdColumns()),
      acmDelProdGrup(adcConfGrupo, sql(kDelProdGrup)), acmDeleta(adcConfGrupo, sql(kDeleta)),
      acmDelProduto(adcConfGrupo, sql(kDelProduto)), acmMudaCor(adcConfGrupo, sql(kMudaCor)),
      acmMudaFonte(adcConfGrupo, sql(kMudaFonte)), acmRecortaProdutos(adcConfGrupo, sql(kRecortaProdutos)),
      adqGrupProd(adcConfGrupo, sql(kGrupProd)), acmRecColProd(adcConfGrupo, sql(kRecColProd)),
      acmMudaImagem(adcConfGrupo, sql(kMudaImagem)) {
    setTexts(assProdSegmento, adqProdSegmento, kProdSegmentoOracle, kProdSegmentoMsSql, kProdSegmentoPortable);
    setTexts(assSrvProduto, adqSrvProduto, kSrvProdutoOracle, kSrvProdutoMsSql, kSrvProdutoPortable);
    setTexts(assProdSegGrupo, adqProdSegGrupo, kProdSegGrupoOracle, kProdSegGrupoMsSql, kProdSegGrupoPortable);
    setTexts(assSrvProdutosF, adqSrvProdutosF, kSrvProdutosFOracle, kSrvProdutosFMsSql, kSrvProdutosFPortable);
    adcConfGrupo.beforeConnect = [this](TADOConnection& sender) { adcConfGrupoBeforeConnect(sender); };
    adcConfGrupo.afterConnect = [this](TADOConnection& sender) { adcConfGrupoAfterConnect(sender); };
}

// Defined here, not inline, so that the exported class has one destructor.
TrdmConfGrupo::~TrdmConfGrupo() = default;

void TrdmConfGrupo::adcConfGrupoBeforeConnect(TADOConnection& sender) {
    sender.setConnectionString(_GetStringConexKmr(QString()));
}

void TrdmConfGrupo::adcConfGrupoAfterConnect(TADOConnection& sender) {
    SetADODBSession(sender);
}

void TrdmConfGrupo::StartTrans() {
    if (!SqlGuards::transactionOpen(adcConfGrupo))
        SqlGuards::begin(adcConfGrupo);
}

void TrdmConfGrupo::Commit() {
    if (!SqlGuards::transactionOpen(adcConfGrupo))
        return;
    SqlGuards::commit(adcConfGrupo);
    if (diario)
        diario->fechaTransacao(true);
}

void TrdmConfGrupo::Rollback() {
    // What the journal recorded in the transaction goes with it, even when
    // the rollback itself fails (the store then ends the transaction).
    if (diario)
        diario->fechaTransacao(false);
    SqlGuards::rollback(adcConfGrupo);
}

void TrdmConfGrupo::DropIfLost() {
    // The PostgreSQL driver closes a connection the server has ended.
    if (!adcConfGrupo.connected()) {
        m_dropped = true;
        return;
    }
    // After a failure, a trivial statement tells a refused statement from a
    // connection that is gone. An embedded database cannot go away.
    QString probeText;
    switch (adcConfGrupo.dialect()) {
    case SqlDialect::PostgreSQL:
    case SqlDialect::MsSql:
        probeText = QStringLiteral("SELECT 1");
        break;
    case SqlDialect::Oracle:
        probeText = QStringLiteral("SELECT 1 FROM DUAL");
        break;
    default:
        return;
    }
    QSqlQuery probe(adcConfGrupo.database());
    if (probe.exec(probeText))
        return;
    probe = QSqlQuery();
    adcConfGrupo.setConnected(false);
    m_dropped = true;
}

void TrdmConfGrupo::ReconnectIfDropped() {
    if (!m_dropped)
        return;
    adcConfGrupo.setConnected(true);
    m_dropped = false;
}
