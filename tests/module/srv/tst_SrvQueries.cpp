// The data service's reads, its calling convention and its connection, on
// every engine.

#include "SrvFixture.h"

#include <AdoSession.h>
#include <HostErrors.h>

#include <QSqlQuery>

class SrvQueries : public SrvFixture {
    Q_OBJECT
public:
    using SrvFixture::SrvFixture;

private:
    Call pesqGrupo(const QString& page) {
        return call([&](QVariant& r) { return getPesqGrupo("9999", "00001", page, r); });
    }
    Call pesqProdGrupo(const QString& page, const QString& groupButton, const QString& groupPage) {
        return call([&](QVariant& r) { return getPesqProdGrupo("9999", "00001", page, groupButton, groupPage, r); });
    }
    Call produto(const QString& branch = QStringLiteral("9999")) {
        return call([&](QVariant& r) { return getProduto(branch, r); });
    }
    void addProductRow(const QString& code, const QString& tree, const QString& level,
                       const QString& active = QStringLiteral("NULL")) {
        db().exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDPRODATIVPR, "
                                 "QTTARAPROD) VALUES ('%1', '%2', 'Nome %1', '%3', %4, 0.25)")
                      .arg(code, tree, level, active));
    }
    void setBranch(const QString& segment, const QString& group) {
        db().exec(QStringLiteral("INSERT INTO FILIAL (CDFILIAL, CDSEGMER) VALUES ('9999', %1)").arg(segment));
        db().exec(QStringLiteral("INSERT INTO PARAVEND (CDFILIAL, CDGRPRODPDV) VALUES ('9999', %1)").arg(group));
    }
    // Products 1 to 4 on the highest level "3" (tree order differs from code
    // order), a level-2 product, segment "S1" with 1, 2 (inactive) and 3,
    // group "G1" with 3 and 4 under "P", and 1 under the branch.
    void catalogue() {
        addProductRow("P1", "03", "3");
        addProductRow("P2", "02", "3", "'N'");
        addProductRow("P3", "01", "3", "'S'");
        addProductRow("P4", "04", "3");
        addProductRow("L2", "00", "2");
        for (const char* p : {"P1", "P2", "P3"})
            db().exec(QStringLiteral("INSERT INTO PRODUTOSEG (CDSEGMER, CDPRODUTO) VALUES ('S1', '%1')").arg(p));
        for (const char* p : {"P3", "P4"})
            db().exec(QStringLiteral("INSERT INTO PRSUBGRPROD (CDGRUPPROD, CDFILISUBGR, CDPRODUTO) VALUES ('G1', "
                                     "'P', '%1')")
                          .arg(p));
        db().exec("INSERT INTO ROTFABRICA (CDPRODUTO, CDPRODCOMP, QTPRODCOMP) VALUES ('P1', 'P4', 1)");
        db().exec("INSERT INTO ROTFABRICA (CDPRODUTO, CDPRODCOMP, QTPRODCOMP) VALUES ('P1', 'P3', 1)");
        db().exec("INSERT INTO ROTFABLOCAL (CDFILIAL, CDPRODUTO, CDPRODCOMP, QTPRODCOMP) VALUES ('9999', 'P1', "
                  "'P4', 1)");
    }

private slots:
    void groupPageHoldsGroupsAndNavigatorsOnly();
    void groupPagesAreSeparate();
    void productPageMatchesTheParentLinkAsText();
    void productPageCarriesItsColumns();
    void storeFilter();
    void catalogueLevelPath();
    void catalogueSegmentPath();
    void emptyFlagsReadAsTheirDefaults();
    void catalogueGroupPathUsesSharedComposition();
    void catalogueGroupPathPrefersBranchComposition();
    void catalogueGroupAndSegmentPath();
    void emptyCatalogueOnEveryPath();
    void failingQueryGivesTextNotPacket();
    void noInstanceGivesNonzeroStatus();
    void reconnectRunsConnectEventsAgain();
    void connectFailureHidesPassword();
    void lostConnectionIsReportedAndReopened();
};

void SrvQueries::groupPageHoldsGroupsAndNavigatorsOnly() {
    addGroup("01", "1", "Bebidas");
    addItem("7", "12", "1", "0", "0", "0", "Navegador_Direito_Grp");
    addItem("8", "11", "1", "0", "0", "0", "Navegador_Esquerdo_Grp");
    addProduct("01", "1", "01", "1"); // same position and page, product level
    addItem("9", "36", "1", "2", "01", "1");
    addGroup("02", "1", "Outra filial");
    db().exec("UPDATE ITMENUCONFTE SET CDFILIAL = '0001' WHERE NRBUTTON = '02'");

    const DataPacket p = packet(pesqGrupo("1"));
    QCOMPARE(fieldNames(p), QStringList({"NRBUTTON", "DSBUTTON", "NRCOLORTEXT", "NRCOLORBACK", "DSMESSAGEBUT",
                                         "DSIMAGEMBUT", "IDTPBUTTON", "NRPGCONFTELA"}));
    QStringList types = column(p, "IDTPBUTTON");
    types.sort();
    QCOMPARE(types, QStringList({"2", "7", "8"}));
    QCOMPARE(p.fields().at(p.indexOf(u"NRCOLORBACK")).kind, FieldKind::Float);
    const int row = int(column(p, "NRBUTTON").indexOf("01"));
    QCOMPARE(p.value(row, p.indexOf(u"NRCOLORBACK")), QVariant(11571344.0));
    QCOMPARE(p.text(row, p.indexOf(u"DSBUTTON")), QString("Bebidas"));
}

void SrvQueries::groupPagesAreSeparate() {
    addGroup("01", "1", "Primeira");
    addGroup("01", "2", "Segunda");
    QCOMPARE(column(packet(pesqGrupo("2")), "DSBUTTON"), QStringList({"Segunda"}));
    QCOMPARE(column(packet(pesqGrupo("1")), "DSBUTTON"), QStringList({"Primeira"}));
    const DataPacket empty = packet(pesqGrupo("3"));
    QCOMPARE(empty.rowCount(), 0);
    QCOMPARE(empty.fieldCount(), 8);
}

void SrvQueries::productPageMatchesTheParentLinkAsText() {
    addGroup("05", "1");
    addProduct("01", "1", "05", "1", "Sob 05");
    addProduct("02", "1", "5", "1", "Sob 5");
    addProduct("03", "2", "05", "1", "Pagina 2");
    addItem("A", "35", "1", "2", "05", "1", "Navegador_Esquerdo_Prod");
    addItem("7", "05", "1", "0", "0", "0"); // group-level navigator never appears

    QStringList captions = column(packet(pesqProdGrupo("1", "05", "1")), "DSBUTTON");
    captions.sort();
    QCOMPARE(captions, QStringList({"Navegador_Esquerdo_Prod", "Sob 05"}));
    QCOMPARE(column(packet(pesqProdGrupo("1", "5", "1")), "DSBUTTON"), QStringList({"Sob 5"}));
    QCOMPARE(column(packet(pesqProdGrupo("2", "05", "1")), "DSBUTTON"), QStringList({"Pagina 2"}));
    QCOMPARE(packet(pesqProdGrupo("1", "06", "1")).rowCount(), 0);
    QCOMPARE(packet(pesqProdGrupo("1", "0", "0")).rowCount(), 0);
}

void SrvQueries::productPageCarriesItsColumns() {
    addProduct("07", "1", "03", "1", "Pão d'Açúcar; \"único\" -- fim");
    const DataPacket p = packet(pesqProdGrupo("1", "03", "1"));
    QCOMPARE(fieldNames(p), QStringList({"NRBUTTON", "DSBUTTON", "NRCOLORTEXT", "NRCOLORBACK", "NRPGCONFTAUX",
                                         "IDTPBUTTON", "DSIMAGEMBUT", "NRPGCONFTELA"}));
    QCOMPARE(p.rowCount(), 1);
    QCOMPARE(p.text(0, 0), QString("07"));
    QCOMPARE(p.text(0, 1), QString("Pão d'Açúcar; \"único\" -- fim"));
    QCOMPARE(p.value(0, 2), QVariant(0.0));
    QCOMPARE(p.text(0, 4), QString("1"));
    QCOMPARE(p.text(0, 6), QString("img"));
}

void SrvQueries::storeFilter() {
    db().exec("INSERT INTO LOJA (CDFILIAL, CDLOJA, CDPRODCOUVER, CDPRODCONSUM, CDPRODCOMVEN) VALUES ('9999', '01', "
              "'C1', NULL, 'V1')");
    const DataPacket p = packet(call([](QVariant& r) { return getfiltroProd("9999", "01", r); }));
    QCOMPARE(fieldNames(p), QStringList({"CDFILIAL", "CDLOJA", "CDPRODCOUVER", "CDPRODCONSUM", "CDPRODCOMVEN"}));
    QCOMPARE(p.rowCount(), 1);
    QCOMPARE(p.text(0, 2), QString("C1"));
    QVERIFY(p.isNull(0, 3));
    QCOMPARE(p.text(0, 4), QString("V1"));
    QCOMPARE(packet(call([](QVariant& r) { return getfiltroProd("9999", "1", r); })).rowCount(), 0);
}

void SrvQueries::catalogueLevelPath() {
    catalogue(); // no PARAVEND row, no FILIAL row
    const DataPacket p = packet(produto());
    QCOMPARE(fieldNames(p), QStringList({"CDARVPROD", "CDPRODUTO", "NMPRODUTO", "NMFOTOPROD", "NMPRODIMPFIS",
                                         "CDBARPRODUTO", "CDPRODINTE", "SGUNIDADE", "IDTIPOPROD", "IDPESAPROD",
                                         "QTTARAPROD", "IDCOBTXSERV", "IDPRODATIVPR", "IDSOLLOCIMP"}));
    // Every product of the highest level, inactive ones too, in tree order.
    QCOMPARE(column(p, "CDPRODUTO"), QStringList({"P3", "P2", "P1", "P4"}));
    QCOMPARE(column(p, "IDPESAPROD"), QStringList({"N", "N", "N", "N"}));
    QCOMPARE(column(p, "IDPRODATIVPR"), QStringList({"S", "N", "S", "S"}));
    QCOMPARE(column(p, "IDSOLLOCIMP"), QStringList({"N", "N", "N", "N"}));
    QCOMPARE(p.fields().at(p.indexOf(u"QTTARAPROD")).kind, FieldKind::Float);
    QCOMPARE(p.value(0, p.indexOf(u"QTTARAPROD")), QVariant(0.25));

    // A blank group and segment count as none.
    setBranch("' '", "''");
    QCOMPARE(column(packet(produto()), "CDPRODUTO"), QStringList({"P3", "P2", "P1", "P4"}));
    // An empty branch code is not refused: nothing is found for it.
    QCOMPARE(packet(produto("")).rowCount(), 4);
}

void SrvQueries::catalogueSegmentPath() {
    catalogue();
    setBranch("'S1'", "NULL");
    const DataPacket p = packet(produto());
    QCOMPARE(p.fieldCount(), 15);
    QCOMPARE(p.fields().at(8).name, QString("CDNVPRODUTO"));
    // Active products of the segment by code; the inactive P2 is left out, and
    // the counted production routes do not multiply rows.
    QCOMPARE(column(p, "CDPRODUTO"), QStringList({"P1", "P3"}));
    QCOMPARE(column(p, "CDNVPRODUTO"), QStringList({"3", "3"}));
    QCOMPARE(p.fields().at(8).kind, FieldKind::Text);
}

// An empty flag counts as unset, as it does where the empty text is NULL: the
// product is active, not weighed, and asks for no local printer.
void SrvQueries::emptyFlagsReadAsTheirDefaults() {
    catalogue();
    addProductRow("P5", "05", "3", "''");
    db().exec("UPDATE PRODUTO SET IDPESAPROD = '', IDSOLLOCIMP = '' WHERE CDPRODUTO = 'P5'");
    db().exec("INSERT INTO PRODUTOSEG (CDSEGMER, CDPRODUTO) VALUES ('S1', 'P5')");
    setBranch("'S1'", "NULL");
    const DataPacket p = packet(produto());
    QCOMPARE(column(p, "CDPRODUTO"), QStringList({"P1", "P3", "P5"}));
    QCOMPARE(column(p, "IDPRODATIVPR").last(), QString("S"));
    QCOMPARE(column(p, "IDPESAPROD").last(), QString("N"));
    QCOMPARE(column(p, "IDSOLLOCIMP").last(), QString("N"));
}

void SrvQueries::catalogueGroupPathUsesSharedComposition() {
    catalogue();
    setBranch("NULL", "'G1'");
    QCOMPARE(column(packet(produto()), "CDPRODUTO"), QStringList({"P3", "P4"}));
}

void SrvQueries::catalogueGroupPathPrefersBranchComposition() {
    catalogue();
    setBranch("NULL", "'G1'");
    db().exec("INSERT INTO PRSUBGRPROD (CDGRUPPROD, CDFILISUBGR, CDPRODUTO) VALUES ('G1', '9999', 'P1')");
    db().exec("INSERT INTO PRSUBGRPROD (CDGRUPPROD, CDFILISUBGR, CDPRODUTO) VALUES ('G1', '9999', 'L2')");
    QCOMPARE(column(packet(produto()), "CDPRODUTO"), QStringList({"L2", "P1"}));
}

void SrvQueries::catalogueGroupAndSegmentPath() {
    catalogue();
    setBranch("'S1'", "'G1'");
    // Composition under "P" is P3, P4; of those only P3 is in segment S1.
    DataPacket p = packet(produto());
    QCOMPARE(p.fieldCount(), 14);
    QCOMPARE(column(p, "CDPRODUTO"), QStringList({"P3"}));
    db().exec("INSERT INTO PRSUBGRPROD (CDGRUPPROD, CDFILISUBGR, CDPRODUTO) VALUES ('G1', '9999', 'P1')");
    db().exec("INSERT INTO PRSUBGRPROD (CDGRUPPROD, CDFILISUBGR, CDPRODUTO) VALUES ('G1', '9999', 'P4')");
    QCOMPARE(column(packet(produto()), "CDPRODUTO"), QStringList({"P1"}));
}

void SrvQueries::emptyCatalogueOnEveryPath() {
    QCOMPARE(packet(produto()).rowCount(), 0);
    setBranch("'S1'", "NULL");
    QCOMPARE(packet(produto()).rowCount(), 0);
    db().exec("UPDATE PARAVEND SET CDGRPRODPDV = 'G1'");
    QCOMPARE(packet(produto()).rowCount(), 0);
    db().exec("UPDATE FILIAL SET CDSEGMER = NULL");
    const DataPacket p = packet(produto());
    QCOMPARE(p.rowCount(), 0);
    QCOMPARE(p.fieldCount(), 14);
}

void SrvQueries::failingQueryGivesTextNotPacket() {
    db().exec("DROP TABLE LOJA");
    const Call c = call([](QVariant& r) { return getfiltroProd("9999", "01", r); });
    QVERIFY2(c.failedWithText(), qPrintable(c.text()));
    QVERIFY2(c.text().contains("--create-schema"), qPrintable(c.text()));
    QVERIFY(!rdmConfGrupo->InTransaction());
    // The other statements still work.
    QCOMPARE(packet(pesqGrupo("1")).rowCount(), 0);
}

void SrvQueries::noInstanceGivesNonzeroStatus() {
    rdmConfGrupo.reset();
    const QString s;
    const QList<std::function<int32_t(QVariant&)>> calls{
        [&](QVariant& r) { return getPesqGrupo(s, s, s, r); },
        [&](QVariant& r) { return getPesqProdGrupo(s, s, s, s, s, r); },
        [&](QVariant& r) { return getfiltroProd(s, s, r); },
        [&](QVariant& r) { return getProduto(s, r); },
        [&](QVariant& r) { return getInsere(s, s, s, s, s, 0, 0, s, s, s, s, s, s, r); },
        [&](QVariant& r) { return getMudaNome(s, s, s, s, s, s, s, s, s, r); },
        [&](QVariant& r) { return getMudaCor(s, s, s, s, s, s, s, s, s, r); },
        [&](QVariant& r) { return getMudaFonte(s, s, s, s, s, s, s, s, s, r); },
        [&](QVariant& r) { return getDelProdGrup(s, s, s, s, s, r); },
        [&](QVariant& r) { return getDeletaGrupo(s, s, s, s, s, r); },
        [&](QVariant& r) { return getDelProduto(s, s, s, s, s, s, r); },
        [&](QVariant& r) { return setColarGrup(s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, r); },
        [&](QVariant& r) { return setColarProd(s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, s, r); },
    };
    for (const auto& f : calls) {
        QVariant result = QStringLiteral("stale");
        QCOMPARE(f(result), KMR_STATUS_FAILED);
        QVERIFY(!result.isValid());
    }
}

void SrvQueries::reconnectRunsConnectEventsAgain() {
    addGroup("01", "1", "Banco A");
    TestDatabase other(onPostgres() ? TestDatabase::Engine::PostgreSQL : TestDatabase::Engine::SQLite);
    other.exec("INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
               "NRBUTTONAUX, NRPGCONFTAUX, DSBUTTON) VALUES ('9999', '00001', '2', '01', '1', '0', '0', '0', 'Banco "
               "B')");
    QCOMPARE(column(packet(pesqGrupo("1")), "DSBUTTON"), QStringList({"Banco A"}));

    TADOConnection& connection = rdmConfGrupo->adcConfGrupo;
    connection.setConnected(false);
    QVERIFY(!connection.connected());
    other.makeCurrent();
    connection.setConnected(true);
    // The connection string was asked for again: the data now come from the other database.
    QCOMPARE(column(packet(pesqGrupo("1")), "DSBUTTON"), QStringList({"Banco B"}));
    // And the session was prepared again.
    QSqlQuery q(connection.database());
    QVERIFY(q.exec(onPostgres() ? "SHOW client_encoding" : "PRAGMA foreign_keys"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString(onPostgres() ? "UTF8" : "1"));
    q = QSqlQuery();
    rdmConfGrupo.reset(); // before the other database goes away
}

void SrvQueries::connectFailureHidesPassword() {
    qputenv("KALMORA_CONEXAO", "Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=nada;User ID=u;Password=Segr3d0X");
    TrdmConfGrupo dm;
    try {
        dm.adcConfGrupo.setConnected(true);
        QFAIL("connecting to a closed port succeeded");
    } catch (const DatabaseError& e) {
        QVERIFY2(e.message().contains("127.0.0.1, porta 1"), qPrintable(e.message()));
        QVERIFY2(!e.message().contains("Segr3d0X"), qPrintable(e.message()));
        QVERIFY(!ADOExceptionMessage(e, dm.adcConfGrupo, QString()).contains("Segr3d0X"));
    }
    QVERIFY(!dm.adcConfGrupo.connected());
}

void SrvQueries::lostConnectionIsReportedAndReopened() {
    if (!onPostgres())
        QSKIP("an embedded database cannot lose its connection");
    addGroup("01", "1", "Antes");
    QCOMPARE(packet(pesqGrupo("1")).rowCount(), 1);
    // The server ends the data service's session, as a restart would.
    db().exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database() AND pid <> "
              "pg_backend_pid()");

    const Call lost =
        call([](QVariant& r) { return getMudaNome("9999", "00001", "01", "1", "Novo", "0", "2", "0", "0", r); });
    QVERIFY2(lost.failedWithText(), qPrintable(lost.text()));
    QVERIFY(!rdmConfGrupo->InTransaction());
    QCOMPARE(menu().at(0).at(9).toString(), QString("Antes"));

    // The next call opens the connection again and works.
    QCOMPARE(column(packet(pesqGrupo("1")), "DSBUTTON"), QStringList({"Antes"}));
    QVERIFY(
        call([](QVariant& r) { return getMudaNome("9999", "00001", "01", "1", "Novo", "0", "2", "0", "0", r); }).ok());
    QCOMPARE(menu().at(0).at(9).toString(), QString("Novo"));
}

int main(int argc, char** argv) {
    return runOnEngines(argc, argv, [](TestDatabase::Engine e) { return std::make_unique<SrvQueries>(e); });
}

#include "tst_SrvQueries.moc"
