#include "ClientDataSet.h"
#include "ClientDataSetModel.h"

#include <QTemporaryDir>

#include <QTest>
#include <optional>

namespace {

// A group page as the data service returns it: more columns than the
// screen's persistent fields, in another order.
DataPacket groupPage() {
    DataPacket p({{"NRPGCONFTELA", FieldKind::Text, 2},
                  {"NRBUTTON", FieldKind::Text, 5},
                  {"DSBUTTON", FieldKind::Text, 50},
                  {"NRCOLORBACK", FieldKind::Float, 0},
                  {"IDTPBUTTON", FieldKind::Text, 1},
                  {"EXTRA", FieldKind::Integer, 0}});
    p.appendRow({"1", "03", "Bebidas", 255.0, "2", qint64(1)});
    p.appendRow({"1", "01", "Lanches", 11571344.0, "2", qint64(2)});
    p.appendRow({"2", "01", "Doces", 0.0, "7", QVariant()});
    p.appendRow({"1", "02", QString::fromUtf8("Porções"), 123.456, "8", qint64(4)});
    return p;
}

DataPacket catalogue() {
    DataPacket p({{"CDPRODUTO", FieldKind::Text, 10},
                  {"CDARVPROD", FieldKind::Text, 20},
                  {"NMPRODUTO", FieldKind::Text, 50},
                  {"VRPRECO", FieldKind::Float, 0}});
    p.appendRow({"10", "0300", "Couvert", 5.0});
    p.appendRow({"11", "0100", "X-Burger", 18.5});
    p.appendRow({"20", "0200", "Consumo", 0.0});
    p.appendRow({"O'B", "0150", "Irish coffee", 22.0});
    p.appendRow({"30", "0100", "Comanda", QVariant()});
    p.appendRow({"12", QVariant(), "Sem arvore", 9.0});
    return p;
}

QStringList column(ClientDataSet& ds, const char* field) {
    QStringList out;
    for (ds.first(); !ds.eof(); ds.next())
        out << ds.fieldText(QString::fromLatin1(field));
    return out;
}

void addGroupFields(ClientDataSet& ds) {
    ds.addFieldDef({"NRBUTTON", FieldKind::Text, 5});
    ds.addFieldDef({"DSBUTTON", FieldKind::Text, 50});
    ds.addFieldDef({"NRCOLORBACK", FieldKind::Float, 0});
    ds.addFieldDef({"IDTPBUTTON", FieldKind::Text, 1});
    ds.addFieldDef({"NRPGCONFTELA", FieldKind::Text, 2});
}

} // namespace

class TestClientDataSet : public QObject {
    Q_OBJECT

private slots:
    void persistentFieldsMapByName() {
        ClientDataSet ds("cdsPesqGrupo");
        addGroupFields(ds);
        ds.setData(QVariant::fromValue(groupPage()));
        QVERIFY(ds.active());
        QCOMPARE(ds.fieldDefs().size(), 5);
        QCOMPARE(ds.fieldIndex(u"nrbutton"), 0);
        QCOMPARE(ds.fieldIndex(u"EXTRA"), -1);
        QCOMPARE(ds.recordCount(), 4);
        QCOMPARE(ds.fieldText(u"NRBUTTON"), QStringLiteral("03"));
        QCOMPARE(ds.fieldText(u"NRCOLORBACK"), QStringLiteral("255"));
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.fieldText(u"EXTRA"));
    }

    void persistentFieldMismatchNamesTheField() {
        ClientDataSet ds("cdsPesqGrupo");
        addGroupFields(ds);
        ds.addFieldDef({"DSIMAGEMBUT", FieldKind::Text, 200});
        try {
            ds.setData(QVariant::fromValue(groupPage()));
            QFAIL("a missing field was accepted");
        } catch (const DataSetError& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains("DSIMAGEMBUT"), e.what());
        }
        QVERIFY(!ds.active());

        ClientDataSet wrongKind("cds");
        wrongKind.addFieldDef({"DSBUTTON", FieldKind::Float, 0});
        try {
            wrongKind.setData(QVariant::fromValue(groupPage()));
            QFAIL("a text column was accepted for a float field");
        } catch (const DataSetError& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains("DSBUTTON"), e.what());
        }

        // Integer and float columns serve each other.
        ClientDataSet numeric("cds");
        numeric.addFieldDef({"NRCOLORBACK", FieldKind::Integer, 0});
        numeric.addFieldDef({"EXTRA", FieldKind::Float, 0});
        numeric.setPacket(groupPage());
        numeric.setRecNo(3);
        QCOMPARE(numeric.fieldInteger(u"NRCOLORBACK"), 123);
        QCOMPARE(numeric.fieldValue(u"EXTRA").typeId(), int(QMetaType::Double));

        ClientDataSet none("cds");
        QVERIFY_THROWS_EXCEPTION(DataSetError, none.setData(QVariant(QStringLiteral("not a packet"))));
        QVERIFY_THROWS_EXCEPTION(DataSetError, none.setData(QVariant()));
    }

    void indexOrdersRows() {
        ClientDataSet ds("cdsPesqGrupo");
        addGroupFields(ds);
        ds.addIndex("Index1", "NRBUTTON");
        ds.setIndexName("Index1");
        ds.setPacket(groupPage());
        // Stable: the two "01" rows keep their packet order.
        QCOMPARE(column(ds, "NRBUTTON"), QStringList({"01", "01", "02", "03"}));
        QCOMPARE(column(ds, "DSBUTTON"), QStringList({"Lanches", "Doces", QString::fromUtf8("Porções"), "Bebidas"}));

        ds.addIndex("ByPageButton", "NRPGCONFTELA;NRBUTTON");
        ds.setIndexName("bypagebutton");
        QCOMPARE(column(ds, "DSBUTTON"), QStringList({"Lanches", QString::fromUtf8("Porções"), "Bebidas", "Doces"}));

        ds.addIndex("ByColour", "NRCOLORBACK"); // numbers as numbers: 0 < 123.456 < 255 < 11571344
        ds.setIndexName("ByColour");
        QCOMPARE(column(ds, "NRCOLORBACK"), QStringList({"0", "123.456", "255", "11571344"}));

        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setIndexName("Nope"));
        QCOMPARE(ds.indexName(), QStringLiteral("ByColour"));
        ds.addIndex("Broken", "NOFIELD");
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setIndexName("Broken"));
        QCOMPARE(ds.indexName(), QStringLiteral("ByColour"));
        ds.setIndexName({});
        QCOMPARE(column(ds, "NRBUTTON"), QStringList({"03", "01", "01", "02"}));
    }

    void indexPutsNullsFirstAndKeepsCurrentRow() {
        ClientDataSet ds("cdsPesqProduto");
        ds.addIndex("Index1", "CDARVPROD");
        ds.setPacket(catalogue());
        QVERIFY(ds.locate("CDPRODUTO", {"20"}));
        ds.setIndexName("Index1");
        QCOMPARE(ds.fieldText(u"CDPRODUTO"), QStringLiteral("20"));
        QCOMPARE(ds.recNo(), 4);
        QCOMPARE(column(ds, "CDPRODUTO"), QStringList({"12", "11", "30", "O'B", "20", "10"}));
    }

    void filterGrammar_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("codes");
        const QStringList all{"10", "11", "20", "O'B", "30", "12"};
        QTest::newRow("no blanks around AND")
            << "(CDPRODUTO <> '10')AND(CDPRODUTO <> '20')AND(CDPRODUTO <> '30')" << QStringList({"11", "O'B", "12"});
        QTest::newRow("lower-case keywords")
            << "(cdproduto <> '10') and (cdproduto <> '20')" << QStringList({"11", "O'B", "30", "12"});
        QTest::newRow("doubled quote") << "CDPRODUTO = 'O''B'" << QStringList({"O'B"});
        QTest::newRow("excluding the quoted code")
            << "CDPRODUTO <> 'O''B'" << QStringList({"10", "11", "20", "30", "12"});
        QTest::newRow("literal with AND inside")
            << "NMPRODUTO = 'X-Burger' OR NMPRODUTO = 'a AND b'" << QStringList({"11"});
        QTest::newRow("AND binds tighter than OR")
            << "CDPRODUTO = '10' OR CDPRODUTO = '11' AND VRPRECO > 100" << QStringList({"10"});
        QTest::newRow("parentheses") << "(CDPRODUTO = '10' OR CDPRODUTO = '11') AND VRPRECO > 10"
                                     << QStringList({"11"});
        QTest::newRow("NOT binds tighter than AND")
            << "NOT CDPRODUTO = '10' AND VRPRECO < 10" << QStringList({"20", "12"});
        QTest::newRow("NOT of a group") << "NOT (CDPRODUTO = '10' OR CDPRODUTO = '11')"
                                        << QStringList({"20", "O'B", "30", "12"});
        QTest::newRow("numbers as numbers") << "VRPRECO >= 9 AND VRPRECO <= 18.5" << QStringList({"11", "12"});
        QTest::newRow("number against a text field") << "CDPRODUTO = 20" << QStringList({"20"});
        QTest::newRow("literal on the left") << "10 < VRPRECO" << QStringList({"11", "O'B"});
        QTest::newRow("null never compares") << "VRPRECO <> 5" << QStringList({"11", "20", "O'B", "12"});
        QTest::newRow("IS NULL") << "VRPRECO IS NULL OR CDARVPROD is null" << QStringList({"30", "12"});
        QTest::newRow("IS NOT NULL") << "CDARVPROD IS NOT NULL AND CDARVPROD < '0200'"
                                     << QStringList({"11", "O'B", "30"});
        QTest::newRow("field against field") << "CDPRODUTO < CDARVPROD" << QStringList({});
        QTest::newRow("empty text means no filter") << "  " << all;
    }

    void filterGrammar() {
        QFETCH(QString, filter);
        QFETCH(QStringList, codes);
        ClientDataSet ds("cdsPesqProduto");
        ds.setPacket(catalogue());
        ds.setFilter(filter);
        QCOMPARE(ds.recordCount(), 6); // not applied until switched on
        ds.setFiltered(true);
        QCOMPARE(column(ds, "CDPRODUTO"), codes);
        QCOMPARE(ds.recordCount(), codes.size());
        ds.setFiltered(false);
        QCOMPARE(ds.recordCount(), 6);
    }

    void badFilterThrowsAndKeepsTheOldOne_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("hint");
        QTest::newRow("unterminated") << "CDPRODUTO = '10"
                                      << "unterminated";
        QTest::newRow("unknown field") << "CDPRODUTOX = '10'"
                                       << "CDPRODUTOX";
        QTest::newRow("missing paren") << "(CDPRODUTO = '10'"
                                       << ")";
        QTest::newRow("extra paren") << "CDPRODUTO = '10')"
                                     << ")";
        QTest::newRow("dangling AND") << "CDPRODUTO = '10' AND"
                                      << "incomplete";
        QTest::newRow("no operator") << "CDPRODUTO '10'"
                                     << "operator";
        QTest::newRow("text for a number") << "VRPRECO = 'abc'"
                                           << "abc";
        QTest::newRow("bad character") << "CDPRODUTO = '1' ; DROP"
                                       << ";";
        QTest::newRow("IS without NULL") << "CDPRODUTO IS '1'"
                                         << "NULL";
        QTest::newRow("keyword as operand") << "CDPRODUTO = AND"
                                            << "AND";
        QTest::newRow("deep nesting") << QString(5000, u'(') << "nested";
    }

    void badFilterThrowsAndKeepsTheOldOne() {
        QFETCH(QString, filter);
        QFETCH(QString, hint);
        ClientDataSet ds("cdsPesqProduto");
        ds.setPacket(catalogue());
        ds.setFilter("CDPRODUTO <> '10'");
        ds.setFiltered(true);
        QCOMPARE(ds.recordCount(), 5);
        try {
            ds.setFilter(filter);
            QFAIL("a bad filter was accepted");
        } catch (const DataSetError& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(hint), e.what());
        }
        QCOMPARE(ds.filter(), QStringLiteral("CDPRODUTO <> '10'"));
        QCOMPARE(ds.recordCount(), 5);

        // Switching a bad filter on fails and leaves the filter off.
        ClientDataSet other("cds");
        other.setPacket(catalogue());
        other.setFilter(filter);
        QVERIFY_THROWS_EXCEPTION(DataSetError, other.setFiltered(true));
        QVERIFY(!other.filtered());
        QCOMPARE(other.recordCount(), 6);
    }

    void filterOrIndexThatNoLongerFitsIsSwitchedOff() {
        ClientDataSet ds("cdsPesqProduto");
        ds.setFilter("VRPRECO > 10");
        ds.setFiltered(true); // closed: checked when the rows arrive
        ds.setPacket(catalogue());
        QCOMPARE(ds.recordCount(), 2);
        DataPacket other({{"CDPRODUTO", FieldKind::Text, 10}});
        other.appendRow({"77"});
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setPacket(other));
        QVERIFY(!ds.filtered());
        QCOMPARE(ds.recordCount(), 1);
        QCOMPARE(ds.fieldText(u"CDPRODUTO"), QStringLiteral("77"));

        ds.addIndex("Index1", "CDARVPROD");
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setIndexName("Index1")); // no such field here
        QCOMPARE(ds.indexName(), QString());
        ds.setPacket(catalogue());
        ds.setIndexName("Index1");
        QCOMPARE(ds.recNo(), 5); // the current row stays current, now last
        ds.first();
        QCOMPARE(ds.fieldText(u"CDPRODUTO"), QStringLiteral("12"));
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setPacket(other));
        QCOMPARE(ds.indexName(), QString());
        QCOMPARE(ds.fieldText(u"CDPRODUTO"), QStringLiteral("77"));
    }

    void locateByTwoFieldsIgnoringCase() {
        ClientDataSet ds("cdsPesqGrupo");
        addGroupFields(ds);
        ds.addIndex("Index1", "NRBUTTON");
        ds.setIndexName("Index1");
        ds.setPacket(groupPage());
        LocateOptions ci;
        ci.caseInsensitive = true;
        // The page number arrives as an integer; the field is text.
        QVERIFY(ds.locate("NRBUTTON;NRPGCONFTELA", {"01", 2}, ci));
        QCOMPARE(ds.fieldText(u"DSBUTTON"), QStringLiteral("Doces"));
        QCOMPARE(ds.recNo(), 1);
        QVERIFY(ds.locate("nrbutton;NRPGCONFTELA", {"01", 1}, ci));
        QCOMPARE(ds.fieldText(u"DSBUTTON"), QStringLiteral("Lanches"));

        QVERIFY(ds.locate("DSBUTTON", {QString::fromUtf8("PORÇÕES")}, ci));
        QCOMPARE(ds.fieldText(u"NRBUTTON"), QStringLiteral("02"));
        QVERIFY(!ds.locate("DSBUTTON", {"BEBIDAS"}));              // case matters without the option
        QCOMPARE(ds.fieldText(u"NRBUTTON"), QStringLiteral("02")); // not found: the current row stays
        QVERIFY(!ds.locate("NRBUTTON;NRPGCONFTELA", {"03", 2}, ci));
        QCOMPARE(ds.fieldText(u"NRBUTTON"), QStringLiteral("02"));
        QVERIFY(ds.locate("NRCOLORBACK", {11571344}));
        QCOMPARE(ds.fieldText(u"DSBUTTON"), QStringLiteral("Lanches"));

        LocateOptions partial = ci;
        partial.partialKey = true;
        QVERIFY(ds.locate("DSBUTTON", {"beb"}, partial));
        QCOMPARE(ds.fieldText(u"NRBUTTON"), QStringLiteral("03"));

        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.locate("NRBUTTON;NRPGCONFTELA", {"01"}));
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.locate("NOFIELD", {"01"}));
    }

    void locateSeesOnlyFilteredRows() {
        ClientDataSet ds("cdsPesqProduto");
        ds.setPacket(catalogue());
        ds.setFilter("CDPRODUTO <> '20'");
        ds.setFiltered(true);
        QVERIFY(!ds.locate("CDPRODUTO", {"20"}));
        QVERIFY(ds.locate("VRPRECO", {QVariant()})); // null matches null
        QCOMPARE(ds.fieldText(u"CDPRODUTO"), QStringLiteral("30"));
    }

    void cursorWalksVisibleRows() {
        ClientDataSet ds("cds");
        ds.setPacket(catalogue());
        QVERIFY(ds.bof());
        QVERIFY(!ds.eof());
        QCOMPARE(ds.recNo(), 0);
        ds.last();
        QVERIFY(ds.eof());
        QCOMPARE(ds.fieldText(u"CDPRODUTO"), QStringLiteral("12"));
        ds.prior();
        QCOMPARE(ds.fieldText(u"CDPRODUTO"), QStringLiteral("30"));
        ds.setRecNo(1);
        QCOMPARE(ds.fieldText(u"CDPRODUTO"), QStringLiteral("11"));
        ds.first();
        ds.prior();
        QVERIFY(ds.bof());
        QCOMPARE(ds.recNo(), 0);
        QCOMPARE(ds.fieldNumber(u"VRPRECO"), 5.0);
        ds.setRecNo(4);
        QVERIFY(ds.fieldIsNull(u"VRPRECO"));
        QCOMPARE(ds.fieldNumber(u"VRPRECO"), 0.0);
        QCOMPARE(ds.fieldText(u"VRPRECO"), QString());

        ds.setFilter("CDPRODUTO = 'none'");
        ds.setFiltered(true);
        QVERIFY(ds.isEmpty());
        QVERIFY(ds.eof());
        QCOMPARE(ds.recNo(), -1);
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.fieldText(u"CDPRODUTO"));
    }

    void fieldTextAndRounding() {
        DataPacket p({{"F", FieldKind::Float, 0}});
        p.appendRow({2.5});
        p.appendRow({-2.5});
        p.appendRow({1.0 / 3.0});
        ClientDataSet ds("cds");
        ds.setPacket(p);
        QCOMPARE(ds.fieldInteger(u"F"), 3);
        ds.next();
        QCOMPARE(ds.fieldInteger(u"F"), -3);
        ds.next();
        QCOMPARE(ds.fieldText(u"F"), QStringLiteral("0.333333333333333"));
        QCOMPARE(ds.fieldInteger(u"F"), 0);
    }

    void appendAndPost() {
        ClientDataSet ds("cdsAlteracoes");
        ds.addFieldDef({"NRBUTTON", FieldKind::Text, 5});
        ds.addFieldDef({"IDTPBUTTON", FieldKind::Text, 1});
        ds.addFieldDef({"NRCOLOR", FieldKind::Integer, 0});
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.append()); // closed
        ds.createDataSet();
        QVERIFY(ds.active());
        QVERIFY(ds.isEmpty());
        ds.addIndex("Index1", "NRBUTTON");
        ds.setIndexName("Index1");

        ds.append();
        ds.setFieldValue(u"NRBUTTON", "05");
        ds.setFieldValue(u"IDTPBUTTON", "2");
        ds.setFieldValue(u"NRCOLOR", 8388608.0);
        QCOMPARE(ds.fieldText(u"NRBUTTON"), QStringLiteral("05")); // the row being edited
        ds.post();
        ds.append();
        ds.setFieldValue(u"NRBUTTON", "01");
        ds.post();
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.fieldText(u"NRBUTTON"), QStringLiteral("01")); // the posted row is current
        QCOMPARE(ds.recNo(), 0);
        QVERIFY(ds.fieldIsNull(u"IDTPBUTTON"));

        ds.append();
        ds.setFieldValue(u"NRBUTTON", "99");
        ds.cancel();
        QCOMPARE(ds.recordCount(), 2);
        ds.append();
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setFieldValue(u"NRCOLOR", "vermelho"));
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setFieldValue(u"NOFIELD", 1));
        ds.cancel();
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setFieldValue(u"NRBUTTON", "1")); // not appending

        // Appended rows survive filter and index changes.
        ds.setFilter("IDTPBUTTON = '2'");
        ds.setFiltered(true);
        QCOMPARE(column(ds, "NRBUTTON"), QStringList({"05"}));
        QCOMPARE(ds.fieldInteger(u"NRCOLOR"), 8388608);
        ds.setFiltered(false);
        ds.setIndexName({});
        QCOMPARE(column(ds, "NRBUTTON"), QStringList({"05", "01"}));
    }

    void postDoesNotTouchTheLoadedPacket() {
        const DataPacket source = catalogue();
        ClientDataSet ds("cds");
        ds.setPacket(source);
        ds.append();
        ds.setFieldValue(u"CDPRODUTO", "99");
        ds.post();
        QCOMPARE(ds.recordCount(), 7);
        QCOMPARE(source.rowCount(), 6);
        QCOMPARE(ds.packet().rowCount(), 7);
    }

    // A packet loaded again (the catalogue the screen shows at every touch),
    // with the index and the filter of the time before: the rows shown are
    // those of a fresh dataset, after every kind of change in between.
    void reloadedPacketShowsWhatAFreshDataSetShows() {
        const auto fresh = [](const DataPacket& p, const QString& filter) {
            ClientDataSet ds("cdsNovo");
            ds.addIndex("Index1", "CDARVPROD;CDPRODUTO");
            ds.setPacket(p);
            ds.setIndexName("Index1");
            ds.setFilter(filter);
            ds.setFiltered(!filter.isEmpty());
            return column(ds, "CDPRODUTO");
        };
        const QString semEspeciais = QStringLiteral("(CDPRODUTO <> '10') AND (CDPRODUTO <> '20')");
        const DataPacket first = catalogue();
        ClientDataSet ds("cdsPesqProduto");
        ds.addIndex("Index1", "CDARVPROD;CDPRODUTO");
        const auto touch = [&](const DataPacket& p, const QString& filter) {
            ds.setPacket(p);
            ds.setIndexName("Index1");
            ds.setFiltered(false);
            ds.setFilter(filter);
            ds.setFiltered(true);
            return column(ds, "CDPRODUTO");
        };
        QCOMPARE(touch(first, semEspeciais), fresh(first, semEspeciais));
        QCOMPARE(touch(first, semEspeciais), QStringList({"12", "11", "30", "O'B"}));
        // Another filter on the same rows; then the first one again.
        const QString soUm = QStringLiteral("CDPRODUTO = '11'");
        QCOMPARE(touch(first, soUm), QStringList({"11"}));
        QCOMPARE(touch(first, semEspeciais), fresh(first, semEspeciais));
        // Rows of the same count but other contents and order.
        DataPacket second(first.fields());
        second.appendRow({"10", "0050", "Couvert", 5.0});
        second.appendRow({"11", "0900", "X-Burger", 18.5});
        second.appendRow({"20", "0200", "Consumo", 0.0});
        second.appendRow({"O'B", "0150", "Irish coffee", 22.0});
        second.appendRow({"31", "0100", "Comanda", QVariant()});
        second.appendRow({"12", "0000", "Sem arvore", 9.0});
        QCOMPARE(touch(second, semEspeciais), fresh(second, semEspeciais));
        QCOMPARE(touch(second, semEspeciais), QStringList({"12", "31", "O'B", "11"}));
        // A row appended on the screen, then the filter switched off and on.
        ds.append();
        ds.setFieldValue(u"CDPRODUTO", "40");
        ds.setFieldValue(u"CDARVPROD", "0001");
        ds.post();
        ds.setFiltered(false);
        ds.setFiltered(true);
        QCOMPARE(column(ds, "CDPRODUTO"), QStringList({"12", "40", "31", "O'B", "11"}));
        // Emptied, then the first packet again.
        ds.emptyDataSet();
        QCOMPARE(ds.recordCount(), 0);
        QCOMPARE(touch(first, semEspeciais), fresh(first, semEspeciais));
        // Closed, then loaded again.
        ds.close();
        QCOMPARE(touch(first, semEspeciais), fresh(first, semEspeciais));
        // The index's fields redefined under the same name.
        ds.addIndex("Index1", "NMPRODUTO");
        QCOMPARE(column(ds, "CDPRODUTO"), QStringList({"30", "O'B", "12", "11"}));
    }

    // Rows appended to a packet whose rows are shared (kept by a data
    // service) leave those rows shared, and the dataset behaves as one that
    // owns its rows: index, filter, locate, the packet it gives.
    void rowsAppendedToASharedPacketLeaveItShared() {
        const DataPacket source = catalogue();
        const auto build = [](ClientDataSet& ds, const DataPacket& p) {
            ds.addIndex("Index1", "CDARVPROD");
            ds.setPacket(p);
            ds.setIndexName("Index1");
            ds.setFilter("CDPRODUTO <> '20'");
            ds.setFiltered(true);
            for (const QStringList& row : {QStringList{"N1", "", "Próxima"}, QStringList{"21", "0250", "Novo"},
                                           QStringList{"20", "0001", "Escondido"}}) {
                ds.append();
                ds.setFieldValue(u"CDPRODUTO", row[0]);
                ds.setFieldValue(u"CDARVPROD", row[1]);
                ds.setFieldValue(u"NMPRODUTO", row[2]);
                ds.post();
            }
        };
        ClientDataSet shared("cdsPesqProduto");
        build(shared, source);
        QVERIFY(source.isShared()); // not copied
        QCOMPARE(source.rowCount(), 6);
        const std::optional<DataPacket> own = DataPacket::fromXml(source.toXml());
        QVERIFY(own && !own->isShared());
        ClientDataSet alone("cdsSozinho");
        build(alone, *own);
        QCOMPARE(column(shared, "CDPRODUTO"), QStringList({"12", "N1", "11", "30", "O'B", "21", "10"}));
        QCOMPARE(column(shared, "CDPRODUTO"), column(alone, "CDPRODUTO"));
        QVERIFY(shared.locate("CDPRODUTO", {"21"}));
        QCOMPARE(shared.fieldText(u"NMPRODUTO"), QString("Novo"));
        QCOMPARE(shared.recNo(), 5);
        QVERIFY(!shared.locate("CDPRODUTO", {"20"})); // hidden by the filter
        QVERIFY(shared.locate("NMPRODUTO", {"próx"}, {true, true}));
        QCOMPARE(shared.fieldText(u"CDPRODUTO"), QString("N1"));
        shared.setFiltered(false);
        QCOMPARE(column(shared, "CDPRODUTO"), QStringList({"12", "N1", "20", "11", "30", "O'B", "20", "21", "10"}));
        QCOMPARE(column(shared, "CDPRODUTO"), (alone.setFiltered(false), column(alone, "CDPRODUTO")));
        const DataPacket all = shared.packet();
        QCOMPARE(all.rowCount(), 9);
        QCOMPARE(all.text(7, all.indexOf(u"NMPRODUTO")), QString("Novo"));
        QCOMPARE(all.toXml(), alone.packet().toXml());
        // Loaded again: the appended rows go, the shared rows stay.
        shared.setPacket(source);
        QCOMPARE(shared.recordCount(), 6);
        shared.emptyDataSet();
        QCOMPARE(shared.recordCount(), 0);
    }

    void closeAndCreateAgain() {
        ClientDataSet ds("cdsRecortar");
        ds.addFieldDef({"NRBUTTON", FieldKind::Text, 5});
        ds.createDataSet();
        ds.append();
        ds.setFieldValue(u"NRBUTTON", "01");
        ds.post();
        QCOMPARE(ds.recordCount(), 1);
        ds.close();
        QVERIFY(!ds.active());
        QCOMPARE(ds.recordCount(), 0);
        QVERIFY(ds.isEmpty());
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.first());
        ds.createDataSet();
        QVERIFY(ds.active());
        QCOMPARE(ds.recordCount(), 0);
        QCOMPARE(ds.fieldDefs().size(), 1);

        // Without persistent fields the last structure is created again.
        ClientDataSet loose("cdsFiltroProduto");
        QVERIFY_THROWS_EXCEPTION(DataSetError, loose.createDataSet());
        loose.setPacket(catalogue());
        loose.close();
        loose.createDataSet();
        QCOMPARE(loose.fieldDefs().size(), 4);
        QVERIFY(loose.isEmpty());
    }

    void emptyDataSetKeepsStructure() {
        ClientDataSet ds("cdsPesqProdGrupo");
        addGroupFields(ds);
        ds.createDataSet();
        ds.emptyDataSet();
        ds.setPacket(groupPage());
        QCOMPARE(ds.recordCount(), 4);
        ds.emptyDataSet();
        QVERIFY(ds.active());
        QVERIFY(ds.isEmpty());
        QCOMPARE(ds.fieldDefs().size(), 5);
        ds.append();
        ds.setFieldValue(u"NRBUTTON", "01");
        ds.post();
        QCOMPARE(ds.recordCount(), 1);
    }

    void parameterFileLoadsIntoADataSet() {
        QTemporaryDir dir;
        DataPacket params({{"INCOR1", FieldKind::Integer, 0}, {"INCOR2", FieldKind::Integer, 0}});
        params.appendRow({qint64(12960962), qint64(14737632)});
        const QString path = dir.filePath(QStringLiteral("PARAMETROSKMR.CDS"));
        QVERIFY(params.saveToFile(path));
        ClientDataSet ds("cdsParametrosKmr");
        ds.loadFromFile(path);
        QCOMPARE(ds.fieldInteger(u"INCOR1"), 12960962);
        QCOMPARE(ds.fieldInteger(u"INCOR2"), 14737632);
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.fieldInteger(u"INCOR3"));
        try {
            ds.loadFromFile(dir.filePath(QStringLiteral("missing.cds")));
            QFAIL("a missing file was accepted");
        } catch (const DataSetError& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains("missing.cds"), e.what());
        }
    }

    void fieldsVisibilityAndLabels() {
        ClientDataSet ds("cdsPesqProduto");
        ds.addFieldDef({"CDPRODUTO", FieldKind::Text, 10}, false);
        ds.addFieldDef({"CDARVPROD", FieldKind::Text, 20}, true, QString::fromUtf8("Código"));
        ds.addFieldDef({"NMPRODUTO", FieldKind::Text, 50}, true, "Nome");
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.addFieldDef({"cdproduto", FieldKind::Text, 10}));
        ds.setPacket(catalogue());
        QVERIFY(!ds.isFieldVisible(0));
        QVERIFY(ds.isFieldVisible(1));
        QCOMPARE(ds.displayLabel(1), QString::fromUtf8("Código"));
        QCOMPARE(ds.displayLabel(0), QStringLiteral("CDPRODUTO"));
        ds.setDisplayLabel(u"nmproduto", "Produto");
        QCOMPARE(ds.displayLabel(2), QStringLiteral("Produto"));
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.setFieldVisible(u"NOFIELD", true));
        QVERIFY_THROWS_EXCEPTION(DataSetError, ds.addFieldDef({"NEW", FieldKind::Text, 1})); // open
    }

    void modelShowsVisibleFieldsAndRows() {
        ClientDataSet ds("cdsPesqProduto");
        ds.addFieldDef({"CDPRODUTO", FieldKind::Text, 10}, false);
        ds.addFieldDef({"CDARVPROD", FieldKind::Text, 20}, true, QString::fromUtf8("Código"));
        ds.addFieldDef({"NMPRODUTO", FieldKind::Text, 50}, true, "Nome");
        ds.addFieldDef({"VRPRECO", FieldKind::Float, 0});
        ds.addIndex("Index1", "CDARVPROD");
        ds.setIndexName("Index1");
        ClientDataSetModel model(&ds);
        QCOMPARE(model.rowCount(), 0); // closed
        ds.setPacket(catalogue());
        ds.setFilter("(CDPRODUTO <> '10')AND(CDPRODUTO <> '20')AND(CDPRODUTO <> '30')");
        ds.setFiltered(true);
        model.refresh();
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Código"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nome"));
        QCOMPARE(model.fieldOfColumn(1), 2);
        QCOMPARE(model.fieldOfColumn(3), -1);
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("X-Burger"));
        QCOMPARE(model.data(model.index(2, 1)).toString(), QStringLiteral("Irish coffee"));
        QCOMPARE(model.data(model.index(2, 2)).toString(), QStringLiteral("22"));
        QCOMPARE(model.data(model.index(2, 2), Qt::EditRole).toDouble(), 22.0);
        QVERIFY(!model.data(model.index(0, 0)).isValid() || model.data(model.index(0, 0)).toString().isEmpty());
        QVERIFY(!model.data(model.index(7, 0)).isValid());
        ds.setFiltered(false);
        model.refresh();
        QCOMPARE(model.rowCount(), 6);
    }
};

QTEST_APPLESS_MAIN(TestClientDataSet)
#include "tst_clientdataset.moc"
