// The catalogue kept between two touches on an empty product button: given
// again while the catalogue tables do not change, read again as soon as
// another connection (or this one) changed them, on every engine.

#include "SrvFixture.h"

#include <QSqlQuery>

class SrvCacheCatalogo : public SrvFixture {
    Q_OBJECT
public:
    using SrvFixture::SrvFixture;

private:
    DataPacket produto() {
        return packet(call([](QVariant& r) { return getProduto(QStringLiteral("9999"), r); }));
    }
    // Every cell of every row, as text.
    static QList<QStringList> rows(const DataPacket& p) {
        QList<QStringList> out;
        for (int r = 0; r < p.rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < p.fieldCount(); ++c)
                row << (p.isNull(r, c) ? QStringLiteral("<null>") : p.text(r, c));
            out << row;
        }
        return out;
    }
    void addProductRow(const QString& code, const QString& tree, const QString& level = QStringLiteral("3")) {
        db().exec(QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO) VALUES ('%1', "
                                 "'%2', 'Nome %1', '%3')")
                      .arg(code, tree, level));
    }
    void catalogue() {
        addProductRow("P1", "03");
        addProductRow("P2", "02");
        addProductRow("P3", "01");
        addProductRow("L2", "00", "2");
    }
    // A write of another station: a menu row, no catalogue table.
    void menuWrite() { addGroup(QStringLiteral("05"), QStringLiteral("1"), QStringLiteral("Outra")); }

private slots:
    void unchangedCatalogueIsGivenAgain();
    void changesOfAnotherConnectionShowAtTheNextTouch();
    void changesOfEveryPathShow();
    void writesOutsideTheCatalogueKeepItsRows();
    void changeCommittedAfterTheReadShows();
    void reconnectReadsAgain();
};

void SrvCacheCatalogo::unchangedCatalogueIsGivenAgain() {
    catalogue();
    // The caller lets go of its copy before a read, never before a packet given again.
    int soltas = 0;
    const Srv_Kmr00003::AntesDeLerCatalogo conta([&] { ++soltas; });
    const DataPacket first = produto();
    QCOMPARE(soltas, 1);
    QCOMPARE(column(first, "CDPRODUTO"), QStringList({"P3", "P2", "P1"}));
    const DataPacket second = produto();
    QCOMPARE(rows(second), rows(first));
    // The very same rows: nothing was read again.
    QVERIFY(second.sharesRowsWith(first));
    QVERIFY(produto().sharesRowsWith(first));
    QCOMPARE(soltas, 1);
}

void SrvCacheCatalogo::changesOfAnotherConnectionShowAtTheNextTouch() {
    catalogue();
    const DataPacket before = produto();
    addProductRow("P4", "015");
    int soltas = 0;
    {
        const Srv_Kmr00003::AntesDeLerCatalogo conta([&] { ++soltas; });
        QCOMPARE(column(produto(), "CDPRODUTO"), QStringList({"P3", "P4", "P2", "P1"}));
    }
    QCOMPARE(soltas, 1);
    db().exec("UPDATE PRODUTO SET NMPRODUTO = 'Renomeado' WHERE CDPRODUTO = 'P2'");
    QCOMPARE(column(produto(), "NMPRODUTO"), QStringList({"Nome P3", "Nome P4", "Renomeado", "Nome P1"}));
    db().exec("DELETE FROM PRODUTO WHERE CDPRODUTO = 'P3'");
    const DataPacket after = produto();
    QCOMPARE(column(after, "CDPRODUTO"), QStringList({"P4", "P2", "P1"}));
    QVERIFY(!after.sharesRowsWith(before));
    // And back again.
    db().exec("UPDATE PRODUTO SET NMPRODUTO = 'Nome P2' WHERE CDPRODUTO = 'P2'");
    QCOMPARE(column(produto(), "NMPRODUTO"), QStringList({"Nome P4", "Nome P2", "Nome P1"}));
}

// The look-ups decide the path; a change to any of their tables shows.
void SrvCacheCatalogo::changesOfEveryPathShow() {
    catalogue();
    QCOMPARE(column(produto(), "CDPRODUTO"), QStringList({"P3", "P2", "P1"}));
    // A higher level: the level path shows it alone.
    addProductRow("N4", "09", "4");
    QCOMPARE(column(produto(), "CDPRODUTO"), QStringList({"N4"}));
    db().exec("DELETE FROM PRODUTO WHERE CDPRODUTO = 'N4'");
    // A segment for the branch: its active products.
    db().exec("INSERT INTO FILIAL (CDFILIAL, CDSEGMER) VALUES ('9999', 'S1')");
    db().exec("INSERT INTO PRODUTOSEG (CDSEGMER, CDPRODUTO) VALUES ('S1', 'P1')");
    QCOMPARE(column(produto(), "CDPRODUTO"), QStringList({"P1"}));
    db().exec("INSERT INTO PRODUTOSEG (CDSEGMER, CDPRODUTO) VALUES ('S1', 'P2')");
    QCOMPARE(column(produto(), "CDPRODUTO"), QStringList({"P1", "P2"}));
    db().exec("UPDATE PRODUTO SET IDPRODATIVPR = 'N' WHERE CDPRODUTO = 'P1'");
    QCOMPARE(column(produto(), "CDPRODUTO"), QStringList({"P2"}));
    // A sales group: the composition, first the shared one, then the branch's own.
    db().exec("DELETE FROM FILIAL");
    db().exec("INSERT INTO PARAVEND (CDFILIAL, CDGRPRODPDV) VALUES ('9999', 'G1')");
    db().exec("INSERT INTO PRSUBGRPROD (CDGRUPPROD, CDFILISUBGR, CDPRODUTO) VALUES ('G1', 'P', 'P3')");
    QCOMPARE(column(produto(), "CDPRODUTO"), QStringList({"P3"}));
    db().exec("INSERT INTO PRSUBGRPROD (CDGRUPPROD, CDFILISUBGR, CDPRODUTO) VALUES ('G1', '9999', 'P2')");
    QCOMPARE(column(produto(), "CDPRODUTO"), QStringList({"P2"}));
}

// Writes to the menu table, by another station or by this service, change no
// row of the catalogue: the rows are the same (on PostgreSQL the checksum
// shows it and the kept rows are given; SQLite cannot tell and reads again).
void SrvCacheCatalogo::writesOutsideTheCatalogueKeepItsRows() {
    catalogue();
    const DataPacket first = produto();
    menuWrite();
    const DataPacket afterOther = produto();
    QCOMPARE(rows(afterOther), rows(first));
    QVERIFY(call([](QVariant& r) {
                return getInsere("9999", "00001", "2", "06", "Nova", 0, 11571344, "", "", "1", "0", "0", "0", r);
            }).ok());
    const DataPacket afterOwn = produto();
    QCOMPARE(rows(afterOwn), rows(first));
    if (onPostgres()) {
        QVERIFY(afterOther.sharesRowsWith(first));
        QVERIFY(afterOwn.sharesRowsWith(first));
    }
    // Nothing more happened: the kept rows, on every engine.
    QVERIFY(produto().sharesRowsWith(afterOwn));
}

// Another connection's change still uncommitted at the read, committed after
// it: the read did not see it, the next touch does.
void SrvCacheCatalogo::changeCommittedAfterTheReadShows() {
    catalogue();
    QSqlDatabase other = db().db();
    QVERIFY(other.transaction());
    QSqlQuery q(other);
    QVERIFY(q.exec("UPDATE PRODUTO SET NMPRODUTO = 'Depois' WHERE CDPRODUTO = 'P1'"));
    QCOMPARE(column(produto(), "NMPRODUTO"), QStringList({"Nome P3", "Nome P2", "Nome P1"}));
    QVERIFY(other.commit());
    QCOMPARE(column(produto(), "NMPRODUTO"), QStringList({"Nome P3", "Nome P2", "Depois"}));
    // Rolled back: nothing changed.
    const DataPacket kept = produto();
    QVERIFY(other.transaction());
    QVERIFY(q.exec("DELETE FROM PRODUTO"));
    QVERIFY(other.rollback());
    const DataPacket again = produto();
    QCOMPARE(rows(again), rows(kept));
}

// A connection opened again reads again (marks of another connection mean
// nothing); what it reads is the catalogue as it is.
void SrvCacheCatalogo::reconnectReadsAgain() {
    catalogue();
    const DataPacket first = produto();
    rdmConfGrupo->adcConfGrupo.setConnected(false);
    rdmConfGrupo->adcConfGrupo.setConnected(true);
    const DataPacket second = produto();
    QCOMPARE(rows(second), rows(first));
    QVERIFY(!second.sharesRowsWith(first));
    QVERIFY(produto().sharesRowsWith(second));
}

int main(int argc, char** argv) {
    return runOnEngines(argc, argv, [](TestDatabase::Engine e) { return std::make_unique<SrvCacheCatalogo>(e); });
}

#include "tst_SrvCacheCatalogo.moc"
