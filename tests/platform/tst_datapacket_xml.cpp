// The packet file as written: byte for byte what a QXmlStreamWriter writes
// for the same packet (every escape, accents, emoji, numbers, dates, nulls,
// empty packets); characters XML cannot carry left out, so that the file
// always reads back; and numbers read back exactly.

#include "DataPacket.h"

#include <QTest>
#include <QXmlStreamWriter>

#include <cmath>

namespace {

QString typeName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Text:
        return QStringLiteral("string");
    case FieldKind::Float:
        return QStringLiteral("r8");
    case FieldKind::Integer:
        return QStringLiteral("i8");
    case FieldKind::DateTime:
        return QStringLiteral("dateTime");
    }
    return {};
}

// The packet written through the stream writer, as the files were written
// before.
QByteArray streamWritten(const DataPacket& p) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument(QStringLiteral("1.0"), true);
    w.writeStartElement(QStringLiteral("DATAPACKET"));
    w.writeAttribute(QStringLiteral("Version"), QStringLiteral("2.0"));
    w.writeStartElement(QStringLiteral("METADATA"));
    w.writeStartElement(QStringLiteral("FIELDS"));
    for (const FieldDef& f : p.fields()) {
        w.writeEmptyElement(QStringLiteral("FIELD"));
        w.writeAttribute(QStringLiteral("attrname"), f.name);
        w.writeAttribute(QStringLiteral("fieldtype"), typeName(f.kind));
        if (f.kind == FieldKind::Text)
            w.writeAttribute(QStringLiteral("WIDTH"), QString::number(f.width > 0 ? f.width : 255));
    }
    w.writeEndElement();
    w.writeEmptyElement(QStringLiteral("PARAMS"));
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("ROWDATA"));
    for (int r = 0; r < p.rowCount(); ++r) {
        w.writeEmptyElement(QStringLiteral("ROW"));
        for (int c = 0; c < p.fieldCount(); ++c) {
            if (p.isNull(r, c))
                continue;
            QString text = p.text(r, c);
            if (p.fields()[c].kind == FieldKind::Float) {
                const double v = p.value(r, c).toDouble();
                text = (v == std::floor(v) && std::fabs(v) < 1e15) ? QString::number(qint64(v))
                                                                   : QString::number(v, 'g', 17);
            }
            w.writeAttribute(p.fields()[c].name, text);
        }
    }
    w.writeEndDocument();
    return out;
}

DataPacket sample() {
    DataPacket p({{"CODE", FieldKind::Text, 10},
                  {"NAME", FieldKind::Text, 50},
                  {"COLOR", FieldKind::Float, 0},
                  {"QTY", FieldKind::Integer, 0},
                  {"WHEN", FieldKind::DateTime, 0},
                  {"EMPTY", FieldKind::Text, 0}});
    QString every;
    for (char16_t c = 0x20; c < 0x250; ++c)
        every += QChar(c);
    const QVariantList texts{QString::fromUtf8("Pão de queijo \"grande\" <especial> & cia\nlinha 2\r\n\ttab"),
                             every,
                             QString::fromUtf8("Açaí 😀 € \u2028 \u0085 \uFFFD"),
                             QString(),
                             QStringLiteral("'apóstrofo' ]]> --> <!-- x"),
                             QStringLiteral("")};
    const QVariantList numbers{11571344.0, 0.1 + 0.2, -0.0, 1e15, -1e300, 255.0};
    for (int i = 0; i < texts.size(); ++i)
        p.appendRow({QString::number(i), texts[i], numbers[i], i % 2 ? QVariant() : QVariant(qint64(-7 * i)),
                     i % 3 ? QVariant() : QVariant(QDateTime(QDate(2026, 12, 7), QTime(21, 35, 0, 120 * i))),
                     QStringLiteral("")});
    return p;
}

// Where two files part, with what each holds there; empty when equal.
QByteArray firstDifference(const QByteArray& a, const QByteArray& b) {
    qsizetype i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    if (i == a.size() && i == b.size())
        return {};
    return "at byte " + QByteArray::number(i) + ": \"" + a.mid(qMax<qsizetype>(0, i - 20), 50) + "\" against \"" +
           b.mid(qMax<qsizetype>(0, i - 20), 50) + "\"";
}

} // namespace

class TestDataPacketXml : public QObject {
    Q_OBJECT
private slots:
    void writesWhatTheStreamWriterWrites() {
        const DataPacket p = sample();
        QCOMPARE(firstDifference(p.toXml(), streamWritten(p)), QByteArray());
        const DataPacket noRows({{"CODE", FieldKind::Text, 10}});
        QCOMPARE(firstDifference(noRows.toXml(), streamWritten(noRows)), QByteArray());
        const DataPacket noFields(QList<FieldDef>{});
        QCOMPARE(firstDifference(noFields.toXml(), streamWritten(noFields)), QByteArray());
        // And it reads back to the same cells.
        const auto back = DataPacket::fromXml(p.toXml());
        QVERIFY(back);
        for (int r = 0; r < p.rowCount(); ++r)
            for (int c = 0; c < p.fieldCount(); ++c)
                QCOMPARE(back->value(r, c), p.value(r, c));
    }

    void leavesOutWhatXmlCannotCarry() {
        DataPacket p({{"NAME", FieldKind::Text, 50}});
        QString bad = QStringLiteral("a");
        for (char16_t c = 1; c < 0x20; ++c)
            bad += QChar(c);
        bad += QChar(0xFFFE);
        bad += QChar(0xFFFF);
        bad += QStringLiteral("b");
        p.appendRow({bad});
        p.beginRow(); // bytes that are not UTF-8 read as U+FFFD, as the text does
        p.appendUtf8("x\xC3(y\xFF", 5);
        QString error;
        const auto back = DataPacket::fromXml(p.toXml(), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->text(0, 0), QStringLiteral("a\t\n\rb"));
        QCOMPARE(back->text(1, 0), p.text(1, 0));
    }

    void numbersReadBackExactly() {
        DataPacket p({{"N", FieldKind::Float, 0}});
        const QList<double> values{0, 11571344, -16777215, 9007199254740993.0, 1e15, 0.1, -2.5e-300};
        for (double v : values)
            p.appendRow({v});
        const auto back = DataPacket::fromXml(p.toXml());
        QVERIFY(back);
        for (int r = 0; r < p.rowCount(); ++r)
            QCOMPARE(back->value(r, 0).toDouble(), values[r]);
        // "-0" is a float's minus zero, not the integer zero.
        const auto minus = DataPacket::fromXml(R"(<DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname="N" )"
                                               R"(fieldtype="r8"/></FIELDS></METADATA><ROWDATA><ROW N=" -0 "/>)"
                                               R"(<ROW N="12"/></ROWDATA></DATAPACKET>)");
        QVERIFY(minus);
        QVERIFY(std::signbit(minus->value(0, 0).toDouble()));
        QCOMPARE(minus->value(1, 0).toDouble(), 12.0);
    }
};

QTEST_MAIN(TestDataPacketXml)
#include "tst_datapacket_xml.moc"
