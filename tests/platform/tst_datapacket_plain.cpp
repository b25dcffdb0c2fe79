// The plain reader of packet files against the general reader: every file it
// reads gives the packet the general reader gives (the writer's files, other
// spacing and quoting, references, unknown and case-folded attributes), every
// file outside its form is left to the general reader, and it never accepts a
// file the general reader refuses.

#include "DataPacket.h"
#include "DataPacketData.h"
#include "DataPacketFile.h"

#include <QBuffer>
#include <QTest>

namespace {

// What a packet reads as: its fields with their kinds and widths, then its
// rows as the writer writes them.
QByteArray picture(const DataPacket& p) {
    QByteArray out;
    for (const FieldDef& f : p.fields())
        out += f.name.toUtf8() + ':' + QByteArray::number(int(f.kind)) + ':' + QByteArray::number(f.width) + ';';
    return out + '\n' + p.toXml();
}

DataPacket menuLike() {
    DataPacket p({{"CDFILIAL", FieldKind::Text, 4},
                  {"DSBUTTON", FieldKind::Text, 50},
                  {"NRCOLORBACK", FieldKind::Float, 0},
                  {"QTY", FieldKind::Integer, 0},
                  {"DTULTATUITCT", FieldKind::DateTime, 0},
                  {"EMPTY", FieldKind::Text, 0}});
    const QVariantList texts{QString::fromUtf8("Pão \"grande\" <especial> & cia\nlinha 2\r\n\ttab 'x'"),
                             QString::fromUtf8("Açaí 😀 € \u2028 \u0085 \uFFFD \uFDD0"), QString(),
                             QStringLiteral("]]> --> <!-- &amp;")};
    const QVariantList numbers{11571344.0, 0.1 + 0.2, -0.0, 1e15};
    for (int i = 0; i < texts.size(); ++i)
        p.appendRow({QString::number(i), texts[i], numbers[i], i % 2 ? QVariant() : QVariant(qint64(-7 * i)),
                     i % 3 ? QVariant() : QVariant(QDateTime(QDate(2026, 12, 7), QTime(21, 35, 0, 120 * i))),
                     QStringLiteral("")});
    return p;
}

const char kHead[] = "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                     "<FIELD attrname=\"CODE\" fieldtype=\"string\" WIDTH=\"10\"/>"
                     "<FIELD attrname=\"COLOR\" fieldtype=\"r8\"/></FIELDS><PARAMS/></METADATA><ROWDATA>";
const char kTail[] = "</ROWDATA></DATAPACKET>";

QByteArray withRows(const QByteArray& rows) {
    return kHead + rows + kTail;
}

} // namespace

class TestDataPacketPlain : public QObject {
    Q_OBJECT

    // The plain reader reads `xml` and gives what the general reader gives.
    static void readsAsTheGeneralReader(const QByteArray& xml) {
        const std::optional<DataPacket> plain = parsePlainPacket(xml);
        QVERIFY2(plain, xml.left(300).constData());
        const std::optional<DataPacket> general = DataPacket::fromXml(xml);
        QVERIFY2(general, xml.left(300).constData());
        QCOMPARE(picture(*plain), picture(*general));
    }

private slots:
    void readsWhatTheGeneralReaderReads_data() {
        QTest::addColumn<QByteArray>("xml");
        const QByteArray written = menuLike().toXml();
        QTest::newRow("the writer's file") << written;
        QTest::newRow("an empty packet") << DataPacket({{"A", FieldKind::Text, 3}}).toXml();
        QTest::newRow("no fields") << DataPacket(QList<FieldDef>{}).toXml();
        QByteArray spaced = written;
        spaced.replace("><", ">\r\n  <").replace("\"/>", "\" />").replace(" fieldtype=", "\n\tfieldtype=");
        QTest::newRow("indented, CRLF, spaces before />") << spaced;
        QTest::newRow("no declaration, single quotes, spaces around =")
            << QByteArray("\n<DATAPACKET><METADATA><FIELDS><FIELD attrname = 'CODE' fieldtype='string'/>"
                          "</FIELDS></METADATA><ROWDATA><ROW CODE='a\"b'/><ROW CODE = \"c'd\" ></ROW></ROWDATA>"
                          "</DATAPACKET >\n\n");
        QTest::newRow("encoding and standalone")
            << QByteArray("<?xml version='1.0' encoding='utf-8' standalone='no' ?><DATAPACKET><METADATA><FIELDS/>"
                          "</METADATA></DATAPACKET>");
        QTest::newRow("references") << withRows(
            "<ROW CODE=\"&#9;&#10;&#13;&#x41;&#x00e7;&#128512;&lt;&gt;&amp;&quot;&apos;\" COLOR=\"7\"/>");
        QTest::newRow("attributes in another order, unknown and case-folded ones")
            << withRows("<ROW RowState=\"4\" COLOR=\"  12 \" code=\"x\"/><ROW Code=\"y\" CODE=\"z\"/>"
                        "<ROW COLOR=\"1.5e3\" x=\"1\" y=\"2\"/>");
        QTest::newRow("numbers of every kind")
            << withRows("<ROW COLOR=\"0\"/><ROW COLOR=\"-0\"/><ROW COLOR=\"007\"/><ROW COLOR=\"999999999999999\"/>"
                        "<ROW COLOR=\"9999999999999999999\"/><ROW COLOR=\"-12.25\"/><ROW COLOR=\"+3\"/>");
        QTest::newRow("ROWDATA twice, PARAMS before FIELDS")
            << QByteArray("<DATAPACKET><METADATA><PARAMS></PARAMS><FIELDS><FIELD attrname=\"A\" fieldtype=\"i4\">"
                          "</FIELD></FIELDS></METADATA><ROWDATA><ROW A=\"1\"/></ROWDATA><ROWDATA/>"
                          "<ROWDATA><ROW A=\" 2\"/></ROWDATA></DATAPACKET>");
    }
    void readsWhatTheGeneralReaderReads() {
        QFETCH(QByteArray, xml);
        readsAsTheGeneralReader(xml);
    }

    // Outside the plain form: left to the general reader, which reads it
    // (or refuses it) as before.
    void leavesOtherFormsToTheGeneralReader_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("valid");
        const QByteArray head = kHead;
        QTest::newRow("a comment") << withRows("<!-- x --><ROW CODE=\"a\"/>") << true;
        QTest::newRow("a processing instruction") << withRows("<?pi x?><ROW CODE=\"a\"/>") << true;
        QTest::newRow("a DOCTYPE") << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE DATAPACKET>") +
                                          head.mid(head.indexOf("<DATAPACKET")) + kTail
                                   << true;
        QTest::newRow("a literal tab in a value") << withRows("<ROW CODE=\"a\tb\"/>") << true;
        QTest::newRow("a literal line feed in a value") << withRows("<ROW CODE=\"a\nb\"/>") << true;
        QTest::newRow("text between the tags") << withRows("x<ROW CODE=\"a\"/>") << true;
        QTest::newRow("a namespace") << withRows("<ROW xmlns:k=\"urn:k\" k:CODE=\"a\"/>") << true;
        QTest::newRow("another encoding") << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>") +
                                                 head.mid(head.indexOf("<DATAPACKET")) + "<ROW CODE=\"\xE7\"/>" + kTail
                                          << true;
        QTest::newRow("a byte order mark") << QByteArray("\xEF\xBB\xBF") + withRows("<ROW CODE=\"a\"/>") << true;
        QTest::newRow("a non-ASCII field name")
            << QByteArray("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"K\xE2\x84\xAA\" fieldtype=\"string\"/>"
                          "</FIELDS></METADATA><ROWDATA><ROW k\xE2\x84\xAA=\"1\"/></ROWDATA></DATAPACKET>")
            << true;
        QTest::newRow("another element") << withRows("<ROW CODE=\"a\"><X/></ROW>") << true;

        QTest::newRow("an attribute twice") << withRows("<ROW CODE=\"a\" CODE=\"b\"/>") << false;
        QTest::newRow("an unknown attribute twice") << withRows("<ROW x=\"a\" x=\"b\"/>") << false;
        QTest::newRow("no space between attributes") << withRows("<ROW CODE=\"a\"COLOR=\"1\"/>") << false;
        QTest::newRow("a mismatched end tag") << withRows("<ROW CODE=\"a\"></RO>") << false;
        QTest::newRow("cut short") << withRows("<ROW CODE=\"a\"/>").chopped(8) << false;
        QTest::newRow("a '<' in a value") << withRows("<ROW CODE=\"a<b\"/>") << false;
        QTest::newRow("an unknown entity") << withRows("<ROW CODE=\"&eacute;\"/>") << false;
        QTest::newRow("a reference to no character") << withRows("<ROW CODE=\"&#0;\"/>") << false;
        QTest::newRow("a reference to a surrogate") << withRows("<ROW CODE=\"&#xD800;\"/>") << false;
        QTest::newRow("a control character") << withRows("<ROW CODE=\"a\x01\"/>") << false;
        QTest::newRow("bad UTF-8") << withRows("<ROW CODE=\"\xC3\x28\"/>") << false;
        QTest::newRow("an overlong form") << withRows("<ROW CODE=\"\xC0\xAF\"/>") << false;
        QTest::newRow("U+FFFE") << withRows("<ROW CODE=\"\xEF\xBF\xBE\"/>") << false;
        QTest::newRow("a colour that is no number") << withRows("<ROW COLOR=\"azul\"/>") << false;
        QTest::newRow("an infinite colour") << withRows("<ROW COLOR=\"1e999\"/>") << false;
        QTest::newRow("a field defined twice")
            << QByteArray("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"string\"/>"
                          "<FIELD attrname=\"a\" fieldtype=\"string\"/></FIELDS></METADATA></DATAPACKET>")
            << false;
        QTest::newRow("no METADATA") << QByteArray("<DATAPACKET><ROWDATA/></DATAPACKET>") << false;
        QTest::newRow("another root") << QByteArray("<PACKET/>") << false;
        QTest::newRow("two roots") << withRows("") + "<DATAPACKET/>" << false;
        QTest::newRow("an unsupported type")
            << QByteArray("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"blob\"/></FIELDS>"
                          "</METADATA></DATAPACKET>")
            << false;
    }
    void leavesOtherFormsToTheGeneralReader() {
        QFETCH(QByteArray, xml);
        QFETCH(bool, valid);
        QVERIFY(!parsePlainPacket(xml));
        QCOMPARE(bool(DataPacket::fromXml(xml)), valid);
        // The bounded read still gives the general reader's verdict.
        QBuffer buffer(&xml);
        buffer.open(QIODevice::ReadOnly);
        const PacketRead read = readBoundedPacket(buffer);
        QCOMPARE(bool(read.packet), valid);
        if (valid)
            QCOMPARE(picture(*read.packet), picture(*DataPacket::fromXml(xml)));
    }

    // A limit passed is never read here: the general path refuses it with
    // its fault.
    void leavesAPassedLimitToTheGeneralPath() {
        QByteArray rows;
        QByteArray attributes;
        for (int i = 0; i <= PacketLimits::maxAttributes; ++i)
            attributes += " a" + QByteArray::number(i) + "=\"1\"";
        rows += "<ROW" + attributes + "/>";
        const QByteArray xml = withRows(rows);
        QVERIFY(!parsePlainPacket(xml));
        QBuffer buffer(const_cast<QByteArray*>(&xml));
        buffer.open(QIODevice::ReadOnly);
        const PacketRead read = readBoundedPacket(buffer);
        QVERIFY(!read.packet);
        QCOMPARE(read.fault, PacketFault::TooManyAttributes);
    }
};

QTEST_MAIN(TestDataPacketPlain)
#include "tst_datapacket_plain.moc"
