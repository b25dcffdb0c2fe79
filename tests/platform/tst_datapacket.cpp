#include "DataPacket.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDataPacket : public QObject {
    Q_OBJECT

private:
    static DataPacket sample() {
        DataPacket p({{"CODE", FieldKind::Text, 10},
                      {"NAME", FieldKind::Text, 50},
                      {"PRICE", FieldKind::Float, 0},
                      {"QTY", FieldKind::Integer, 0},
                      {"WHEN", FieldKind::DateTime, 0}});
        p.appendRow({"01", QString::fromUtf8("Pão de queijo \"grande\" <especial> & cia\nlinha 2\r\n\ttab"), 12.5,
                     qint64(3), QDateTime(QDate(2026, 12, 7), QTime(21, 35, 0, 120))});
        p.appendRow({"02", QVariant(), 11571344.0, QVariant(), QVariant()});
        p.appendRow({"O'Brien", QString::fromUtf8("Açaí com maçã"), 0.1 + 0.2, qint64(-7),
                     QDateTime(QDate(1999, 1, 31), QTime(0, 0))});
        return p;
    }

    static void compareCells(const DataPacket& a, const DataPacket& b) {
        QCOMPARE(b.fieldCount(), a.fieldCount());
        QCOMPARE(b.rowCount(), a.rowCount());
        for (int c = 0; c < a.fieldCount(); ++c) {
            QCOMPARE(b.fields()[c].name, a.fields()[c].name);
            QCOMPARE(int(b.fields()[c].kind), int(a.fields()[c].kind));
        }
        for (int r = 0; r < a.rowCount(); ++r)
            for (int c = 0; c < a.fieldCount(); ++c) {
                QCOMPARE(b.isNull(r, c), a.isNull(r, c));
                QCOMPARE(b.value(r, c), a.value(r, c));
            }
    }

    static QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& content) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(content);
        return path;
    }

private slots:
    void cellsKeepTheirKindAndNulls() {
        const DataPacket p = sample();
        QCOMPARE(p.rowCount(), 3);
        QCOMPARE(p.indexOf(u"price"), 2);
        QCOMPARE(p.indexOf(u"missing"), -1);
        QCOMPARE(p.value(0, 2).typeId(), int(QMetaType::Double));
        QCOMPARE(p.value(0, 3).typeId(), int(QMetaType::LongLong));
        QCOMPARE(p.value(0, 4).toDateTime(), QDateTime(QDate(2026, 12, 7), QTime(21, 35, 0, 120)));
        QVERIFY(p.isNull(1, 1));
        QVERIFY(!p.value(1, 1).isValid());
        QCOMPARE(p.text(1, 1), QString());
        QCOMPARE(p.text(1, 2), QStringLiteral("11571344"));
        QCOMPARE(p.text(0, 2), QStringLiteral("12.5"));
        QCOMPARE(p.text(2, 2), QStringLiteral("0.3"));
        QCOMPARE(p.number(2, 3), -7.0);
        // Out-of-range reads are null, not a crash.
        QVERIFY(p.isNull(3, 0));
        QVERIFY(!p.value(0, 9).isValid());
    }

    void cellByCellConvertsToTheColumnKind() {
        DataPacket p({{"T", FieldKind::Text, 5}, {"F", FieldKind::Float, 0}, {"I", FieldKind::Integer, 0}});
        p.beginRow();
        p.appendNumber(3.0);
        p.appendText(u" 2.75 ");
        p.appendNumber(2.5);
        p.beginRow();
        p.appendText(u"x"); // the row is left short: the rest is null
        p.beginRow();
        p.appendInteger(12);
        p.appendText(u"abc");
        p.appendText(u"41");
        QCOMPARE(p.rowCount(), 3);
        QCOMPARE(p.value(0, 0).toString(), QStringLiteral("3"));
        QCOMPARE(p.value(0, 1).toDouble(), 2.75);
        QCOMPARE(p.value(0, 2).toLongLong(), 3); // rounded
        QVERIFY(p.isNull(1, 1));
        QVERIFY(p.isNull(1, 2));
        QVERIFY(p.isNull(2, 1)); // not a number
        QCOMPARE(p.value(2, 2).toLongLong(), 41);
        QVERIFY_THROWS_EXCEPTION(std::exception, p.appendNull()); // a fourth cell in a row of three
        QVERIFY_THROWS_EXCEPTION(std::exception, p.appendRow({1}));

        // UTF-8 straight from a driver: stored as is, converted for other kinds.
        const QByteArray accents = QString::fromUtf8("Açaí").toUtf8();
        p.beginRow();
        p.appendUtf8(accents.constData(), accents.size());
        p.appendUtf8("1.25", 4);
        p.appendUtf8("\xff\xfeX", 3); // not UTF-8 and not a number
        p.beginRow();
        p.appendUtf8("bad \xff", 5);
        p.appendUtf8(nullptr, 0);
        QCOMPARE(p.value(3, 0).toString(), QString::fromUtf8("Açaí"));
        QCOMPARE(p.value(3, 1).toDouble(), 1.25);
        QVERIFY(p.isNull(3, 2));
        QVERIFY(p.value(4, 0).toString().startsWith(QStringLiteral("bad ")));
        QVERIFY(p.value(4, 0).toString().toUtf8().isValidUtf8());
        QVERIFY(p.isNull(4, 1));
    }

    void setValueReplacesOneCell() {
        DataPacket p = sample();
        const DataPacket before = p;
        p.setValue(0, 0, QStringLiteral("LONGER-CODE"));
        p.setValue(1, 1, QStringLiteral("now set"));
        p.setValue(2, 0, QVariant());
        QCOMPARE(p.value(0, 0).toString(), QStringLiteral("LONGER-CODE"));
        QCOMPARE(p.value(1, 0).toString(), QStringLiteral("02"));
        QCOMPARE(p.value(1, 1).toString(), QStringLiteral("now set"));
        QVERIFY(p.isNull(2, 0));
        QCOMPARE(p.value(2, 1).toString(), QString::fromUtf8("Açaí com maçã"));
        // The copy taken before the change is untouched.
        QCOMPARE(before.value(0, 0).toString(), QStringLiteral("01"));
        QVERIFY(before.isNull(1, 1));
    }

    void travelsInsideAVariant() {
        const QVariant v = QVariant::fromValue(sample());
        QVERIFY(isDataPacket(v));
        QVERIFY(!isDataPacket(QVariant(42)));
        QVERIFY(!isDataPacket(QVariant()));
        compareCells(sample(), v.value<DataPacket>());
    }

    void xmlRoundTrip() {
        const DataPacket p = sample();
        const QByteArray xml = p.toXml();
        QVERIFY(xml.startsWith("<?xml version=\"1.0\""));
        QVERIFY(xml.contains("standalone=\"yes\""));
        QVERIFY(xml.contains("<DATAPACKET Version=\"2.0\">"));
        QVERIFY(xml.contains("<FIELD attrname=\"CODE\" fieldtype=\"string\" WIDTH=\"10\"/>"));
        QVERIFY(xml.contains("fieldtype=\"r8\""));
        QVERIFY(xml.contains("WHEN=\"20261207T21:35:00120\""));
        QString error;
        const auto back = DataPacket::fromXml(xml, &error);
        QVERIFY2(back, qPrintable(error));
        compareCells(p, *back);
        QCOMPARE(back->fields()[1].width, 50);
    }

    void fileRoundTrip() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("pacote.cds"));
        QString error;
        QVERIFY2(sample().saveToFile(path, &error), qPrintable(error));
        const auto back = DataPacket::loadFromFile(path, &error);
        QVERIFY2(back, qPrintable(error));
        compareCells(sample(), *back);
        QVERIFY(!sample().saveToFile(dir.filePath(QStringLiteral("no/such/dir/x.cds")), &error));
        QVERIFY(!error.isEmpty());
    }

    void handWrittenParameterFile() {
        QTemporaryDir dir;
        const QByteArray xml = R"(<?xml version="1.0" standalone="yes"?>
<DATAPACKET Version="2.0"><METADATA><FIELDS>
<FIELD attrname="INCOR1" fieldtype="i4"/><FIELD attrname="INCOR2" fieldtype="i4"/>
<FIELD attrname="INCOR3" fieldtype="i4"/><FIELD attrname="INCOR4" fieldtype="i2"/>
<FIELD attrname="INCOR5" fieldtype="i8"/><FIELD attrname="INCOR6" fieldtype="i4"/>
<FIELD attrname="DSNOME" fieldtype="string.uni" WIDTH="20"/><FIELD attrname="VLR" fieldtype="fixed"/>
</FIELDS><PARAMS LCID="1046"/></METADATA>
<ROWDATA><ROW RowState="4" INCOR1="12960962" INCOR2="14737632" INCOR3="8683643" INCOR4="8421504" INCOR5="15658734" INCOR6="8388608" DSNOME="Cor &amp; tela" VLR="1.50"/>
<ROW INCOR1="1"/></ROWDATA></DATAPACKET>)";
        const QString path = writeFile(dir, "PARAMETROSKMR.CDS", xml);
        QString error;
        const auto p = DataPacket::loadFromFile(path, &error);
        QVERIFY2(p, qPrintable(error));
        QCOMPARE(p->fieldCount(), 8);
        QCOMPARE(p->rowCount(), 2);
        const qint64 expected[] = {12960962, 14737632, 8683643, 8421504, 15658734, 8388608};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(int(p->fields()[c].kind), int(FieldKind::Integer));
            QCOMPARE(p->value(0, c).toLongLong(), expected[c]);
        }
        QCOMPARE(p->value(0, 6).toString(), QStringLiteral("Cor & tela"));
        QCOMPARE(int(p->fields()[7].kind), int(FieldKind::Float));
        QCOMPARE(p->value(0, 7).toDouble(), 1.5);
        QVERIFY(p->isNull(1, 2)); // absent attribute
    }

    void badInputIsAnErrorNotACrash_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("hint");
        QTest::newRow("empty") << QByteArray() << "DATAPACKET";
        QTest::newRow("not xml") << QByteArray("hello") << "DATAPACKET";
        QTest::newRow("other root") << QByteArray("<ROOT/>") << "DATAPACKET";
        QTest::newRow("truncated") << QByteArray(
                                          "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"A\" "
                                          "fieldtype=\"string\" WIDTH=\"2\"/></FIELDS></METADATA><ROWDATA><ROW A=")
                                   << "line";
        QTest::newRow("no metadata") << QByteArray("<DATAPACKET><ROWDATA/></DATAPACKET>") << "METADATA";
        QTest::newRow("unknown type") << QByteArray("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" "
                                                    "fieldtype=\"blob\"/></FIELDS></METADATA></DATAPACKET>")
                                      << "blob";
        QTest::newRow("no name") << QByteArray("<DATAPACKET><METADATA><FIELDS><FIELD fieldtype=\"i4\"/></FIELDS>"
                                               "</METADATA></DATAPACKET>")
                                 << "attrname";
        QTest::newRow("twice") << QByteArray(
                                      "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"i4\"/>"
                                      "<FIELD attrname=\"a\" fieldtype=\"i4\"/></FIELDS></METADATA></DATAPACKET>")
                               << "twice";
        QTest::newRow("bad integer") << QByteArray(
                                            "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"INCOR1\" "
                                            "fieldtype=\"i4\"/></FIELDS></METADATA><ROWDATA><ROW INCOR1=\"red\"/>"
                                            "</ROWDATA></DATAPACKET>")
                                     << "INCOR1";
        QTest::newRow("bad width") << QByteArray("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" "
                                                 "fieldtype=\"string\" WIDTH=\"-3\"/></FIELDS></METADATA></DATAPACKET>")
                                   << "WIDTH";
        QTest::newRow("rows first") << QByteArray("<DATAPACKET><ROWDATA/><METADATA><FIELDS/></METADATA></DATAPACKET>")
                                    << "ROWDATA";
        QTest::newRow("garbage after") << QByteArray("<DATAPACKET><METADATA><FIELDS/></METADATA></DATAPACKET><x")
                                       << "line";
    }

    void badInputIsAnErrorNotACrash() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, hint);
        QString error;
        QVERIFY(!DataPacket::fromXml(xml, &error));
        QVERIFY2(error.contains(hint), qPrintable(error));
        QVERIFY(!DataPacket::fromXml(xml)); // no error text wanted: still no crash
    }

    void missingOrBrokenFileNamesTheFile() {
        QTemporaryDir dir;
        QString error;
        const QString missing = dir.filePath(QStringLiteral("PARAMETROSKMR.CDS"));
        QVERIFY(!DataPacket::loadFromFile(missing, &error));
        QVERIFY2(error.contains(missing), qPrintable(error));
        const QString broken = writeFile(dir, "broken.cds", "<DATAPACKET><METADATA>");
        QVERIFY(!DataPacket::loadFromFile(broken, &error));
        QVERIFY2(error.contains(broken), qPrintable(error));
    }

    void copiesShareUntilChanged() {
        DataPacket big({{"A", FieldKind::Text, 20}});
        for (int i = 0; i < 1000; ++i) {
            big.beginRow();
            big.appendText(u"0123456789");
        }
        QVERIFY(big.memoryUsage() >= 10 * 1000);
        DataPacket copy = big;
        copy.setValue(0, 0, QStringLiteral("changed"));
        QCOMPARE(big.value(0, 0).toString(), QStringLiteral("0123456789"));
        big.removeAllRows();
        QCOMPARE(big.rowCount(), 0);
        QCOMPARE(copy.rowCount(), 1000);
        big.beginRow();
        big.appendText(u"again");
        QCOMPARE(big.value(0, 0).toString(), QStringLiteral("again"));
    }
};

QTEST_APPLESS_MAIN(TestDataPacket)
#include "tst_datapacket.moc"
