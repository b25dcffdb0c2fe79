// The list model of a client dataset under Qt's model checker, through the
// states a list screen puts it in: closed, loaded, filtered, re-indexed,
// emptied and loaded again.

#include "ClientDataSet.h"
#include "ClientDataSetModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {

DataPacket catalogue(int rows) {
    DataPacket p({{"CDPRODUTO", FieldKind::Text, 10},
                  {"CDARVPROD", FieldKind::Text, 20},
                  {"NMPRODUTO", FieldKind::Text, 50},
                  {"VRPRECO", FieldKind::Float, 0}});
    for (int i = 0; i < rows; ++i)
        p.appendRow({QString::number(10 + i), QStringLiteral("%1").arg(rows - i, 4, 10, QLatin1Char('0')),
                     i % 3 ? QStringLiteral("Produto %1").arg(i) : QVariant(), i * 1.5});
    return p;
}

} // namespace

class TestClientDataSetModel : public QObject {
    Q_OBJECT
private slots:
    void modelCheckerThroughListStates() {
        ClientDataSet ds("cdsPesqProduto");
        ds.addFieldDef({"CDPRODUTO", FieldKind::Text, 10}, false);
        ds.addFieldDef({"CDARVPROD", FieldKind::Text, 20}, true, QString::fromUtf8("Código"));
        ds.addFieldDef({"NMPRODUTO", FieldKind::Text, 50}, true, "Nome");
        ds.addFieldDef({"VRPRECO", FieldKind::Float, 0});
        ds.addIndex("Index1", "CDARVPROD");

        ClientDataSetModel model(&ds);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0); // closed

        ds.setPacket(catalogue(40));
        model.refresh();
        QCOMPARE(model.rowCount(), 40);
        QCOMPARE(model.columnCount(), 3);
        // A null name reads as no text, not as a failure.
        QVERIFY(model.data(model.index(0, 1)).toString().isEmpty());

        ds.setIndexName("Index1");
        model.refresh();
        QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("0001"));

        ds.setFilter("(CDPRODUTO <> '10')AND(CDPRODUTO <> '11')");
        ds.setFiltered(true);
        model.refresh();
        QCOMPARE(model.rowCount(), 38);
        QVERIFY(!model.data(model.index(38, 0)).isValid());
        QVERIFY(!model.data(model.index(0, 3)).isValid());

        ds.setFilter("CDPRODUTO = 'nenhum'");
        model.refresh();
        QCOMPARE(model.rowCount(), 0);

        ds.setFiltered(false);
        ds.setPacket(catalogue(3));
        model.refresh();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nome"));
    }

    void modelWithoutDataSet() {
        ClientDataSetModel model(nullptr);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
        model.refresh();
        QVERIFY(!model.headerData(0, Qt::Horizontal).isValid());
    }
};

QTEST_APPLESS_MAIN(TestClientDataSetModel)
#include "tst_clientdatasetmodel.moc"
