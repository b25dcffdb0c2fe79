// A data packet read from outside the program within its limits: each limit
// refuses before the file is held, a packet at the limits is still read, and
// the inputs the fuzzer found stay mended.
#include "DataPacketFile.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray packet(const QByteArray& fields, const QByteArray& rows) {
    return "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS><PARAMS/></METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

QByteArray repeated(const char* pattern, int times) {
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += QByteArray(pattern).replace("#", QByteArray::number(i));
    return out;
}

const QByteArray oneField = "<FIELD attrname=\"A\" fieldtype=\"string\" WIDTH=\"20\"/>";

PacketRead readBytes(QByteArray bytes) {
    QBuffer b(&bytes);
    b.open(QIODevice::ReadOnly);
    return readBoundedPacket(b);
}

// A device that gives a pattern without end, like a pipe that never closes.
class EndlessDevice : public QIODevice {
public:
    explicit EndlessDevice(char c) : m_c(c) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        std::fill(data, data + maxSize, m_c);
        return maxSize;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    char m_c;
};

// A file-like buffer that records the largest read asked of it.
class RecordingBuffer : public QBuffer {
public:
    qint64 largestRead = 0;

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        largestRead = std::max(largestRead, maxSize);
        return QBuffer::readData(data, maxSize);
    }
};

} // namespace

class TestDataPacketFile : public QObject {
    Q_OBJECT

private slots:
    void eachLimitIsRefusedWithItsOwnFault_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("fault");
        const QByteArray deep = "<DATAPACKET>" + QByteArray("<a>").repeated(PacketLimits::maxDepth) +
                                QByteArray("</a>").repeated(PacketLimits::maxDepth) + "</DATAPACKET>";
        QTest::newRow("nested too deep") << deep << int(PacketFault::TooDeep);
        // A packet the parser alone would read, its excess in what it skips.
        QByteArray inParams = packet(oneField, "<ROW A=\"1\"/>");
        inParams.replace("<PARAMS/>", "<PARAMS>" + QByteArray("<a>").repeated(PacketLimits::maxDepth) +
                                          QByteArray("</a>").repeated(PacketLimits::maxDepth) + "</PARAMS>");
        QTest::newRow("nested too deep where the parser skips") << inParams << int(PacketFault::TooDeep);
        QTest::newRow("too many rows") << packet(oneField,
                                                 QByteArray("<ROW A=\"1\"/>").repeated(PacketLimits::maxRows + 1))
                                       << int(PacketFault::TooManyRows);
        QTest::newRow("too many fields") << packet(repeated("<FIELD attrname=\"F#\" fieldtype=\"r8\"/>",
                                                            PacketLimits::maxFields + 1),
                                                   "<ROW/>")
                                         << int(PacketFault::TooManyFields);
        QTest::newRow("too many attributes")
            << packet(oneField, "<ROW " + repeated("a#=\"1\" ", PacketLimits::maxAttributes + 1) + "/>")
            << int(PacketFault::TooManyAttributes);
        // Far too many for the XML parser to be let near them.
        QTest::newRow("a tag of millions of attributes")
            << packet(oneField, "<ROW " + repeated("a#=\"\" ", 20 * PacketLimits::maxAttributes) + "/>")
            << int(PacketFault::TooManyAttributes);
        QTest::newRow("one endless value")
            << packet(oneField, "<ROW A=\"" + QByteArray(PacketLimits::maxTagBytes, 'x') + "\"/>")
            << int(PacketFault::TooLongElement);
        QTest::newRow("not XML") << QByteArray("isto não é xml") << int(PacketFault::NotXml);
        QTest::newRow("zeros") << QByteArray(4096, '\0') << int(PacketFault::NotXml);
        QTest::newRow("another root") << QByteArray("<menu><item/></menu>") << int(PacketFault::NotPacket);
        QTest::newRow("bad value") << packet("<FIELD attrname=\"C\" fieldtype=\"r8\"/>", "<ROW C=\"azul\"/>")
                                   << int(PacketFault::Invalid);
    }
    void eachLimitIsRefusedWithItsOwnFault() {
        QFETCH(QByteArray, xml);
        QFETCH(int, fault);
        const PacketRead r = readBytes(xml);
        QCOMPARE(int(r.fault), fault);
        QVERIFY(!r.packet);
        QVERIFY(!r.detail.isEmpty());
        QCOMPARE(isOverLimit(r.fault),
                 fault >= int(PacketFault::TooLarge) && fault <= int(PacketFault::TooLongElement));
    }

    void aPacketAtEveryLimitIsRead() {
        const QByteArray attributes = repeated("F#=\"1\" ", PacketLimits::maxFields);
        const PacketRead r =
            readBytes(packet(repeated("<FIELD attrname=\"F#\" fieldtype=\"i4\"/>", PacketLimits::maxFields),
                             ("<ROW " + attributes + "/>") + QByteArray("<ROW/>").repeated(PacketLimits::maxRows - 1)));
        QCOMPARE(int(r.fault), int(PacketFault::None));
        QVERIFY(r.packet);
        QCOMPARE(r.packet->rowCount(), PacketLimits::maxRows);
        QCOMPARE(r.packet->fieldCount(), PacketLimits::maxFields);
        QCOMPARE(r.packet->value(0, PacketLimits::maxFields - 1).toLongLong(), 1);
    }

    void aHugeSparseFileIsRefusedUnread() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("zeros.xml"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(2LL * 1024 * 1024 * 1024)); // sparse: no disk used
        f.close();
        const PacketRead r = readPacketFile(path);
        QCOMPARE(int(r.fault), int(PacketFault::TooLarge));
        QCOMPARE(int(readPacketFile(dir.filePath(QStringLiteral("missing.xml"))).fault), int(PacketFault::Unreadable));
    }

    void anEndlessStreamStopsAtALimit() {
        EndlessDevice line('x'); // no '<' ever: one endless line
        QCOMPARE(int(readBoundedPacket(line).fault), int(PacketFault::TooLongElement));
        EndlessDevice tags('<'); // every byte starts a tag: only the size stops it
        QCOMPARE(int(readBoundedPacket(tags).fault), int(PacketFault::TooLarge));
    }

    // Found by the fuzzer: every read asked the device for the whole size
    // limit at once, 64 MB for a packet of a few hundred bytes (over a second
    // per read under the sanitizers).
    void aSmallFileIsReadInSmallSteps() {
        QFile input(QStringLiteral(KALMORA_FUZZ_CORPUS "/datapacket/finding-timeout-full-size-read.xml"));
        QVERIFY(input.open(QIODevice::ReadOnly));
        QByteArray bytes = input.readAll();
        RecordingBuffer b;
        b.setBuffer(&bytes);
        QVERIFY(b.open(QIODevice::ReadOnly));
        const PacketRead r = readBoundedPacket(b);
        QVERIFY(!r.packet); // it is a broken packet
        QVERIFY2(b.largestRead <= 1024 * 1024, qPrintable(QString::number(b.largestRead)));
    }
};

QTEST_GUILESS_MAIN(TestDataPacketFile)
#include "tst_datapacketfile.moc"
