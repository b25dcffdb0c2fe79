#include "DataPacketFile.h"
#include "DataPacketData.h"

#include <QBuffer>
#include <QFile>
#include <QXmlStreamReader>

namespace {

PacketRead refused(PacketFault fault, const QString& detail) {
    PacketRead r;
    r.fault = fault;
    r.detail = detail;
    return r;
}

// A first pass over the raw bytes, before any XML parser sees them. An
// attribute value cannot hold '<', so a tag and all its attributes lie between
// the '<' that opens it and the next '<'. Such a stretch is bounded in length
// (one line of hundreds of megabytes would be held whole by the parser) and in
// its count of '=' (a tag with millions of attributes keeps the parser busy
// for minutes): loosely, as text and comments count too, which a packet does
// not use.
class TagGuard {
public:
    static constexpr int maxEquals = 16 * PacketLimits::maxAttributes;

    PacketFault admit(const QByteArray& chunk) {
        for (const char c : chunk) {
            if (c == '<') {
                m_equals = 0;
                m_bytes = 0;
                continue;
            }
            if (++m_bytes > PacketLimits::maxTagBytes)
                return PacketFault::TooLongElement;
            if (c == '=' && ++m_equals > maxEquals)
                return PacketFault::TooManyAttributes;
        }
        return PacketFault::None;
    }

private:
    int m_equals = 0;
    int m_bytes = 0;
};

// Reads the device to its end through the guard, keeping the bytes in `keep`
// when given; stops at the first limit passed (the size one byte past it).
PacketFault readGuarded(QIODevice& device, QByteArray* keep) {
    TagGuard guard;
    qint64 total = 0;
    while (true) {
        const QByteArray chunk = device.read(64 * 1024);
        if (chunk.isEmpty())
            return PacketFault::None;
        total += chunk.size();
        if (total > PacketLimits::maxBytes)
            return PacketFault::TooLarge;
        if (const PacketFault fault = guard.admit(chunk); fault != PacketFault::None)
            return fault;
        if (keep)
            keep->append(chunk);
    }
}

// One streaming pass over the XML: the limits, well-formedness and the root
// element's name. Only the current token is held, never the document.
class BoundsScan {
public:
    explicit BoundsScan(QIODevice& device) : m_device(device), m_xml(&device) {}

    PacketRead run() {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_device.pos() > PacketLimits::maxBytes)
                return refused(PacketFault::TooLarge, QStringLiteral("more than %1 bytes").arg(PacketLimits::maxBytes));
            if (m_xml.isStartElement()) {
                if (const auto fault = admitElement(); fault != PacketFault::None)
                    return refused(fault, m_detail);
            } else if (m_xml.isEndElement()) {
                --m_depth;
            }
        }
        if (m_xml.hasError() || m_root.isEmpty())
            return refused(PacketFault::NotXml, QStringLiteral("not XML: %1 at line %2, column %3")
                                                    .arg(m_xml.errorString())
                                                    .arg(m_xml.lineNumber())
                                                    .arg(m_xml.columnNumber()));
        if (m_root != QLatin1String("DATAPACKET"))
            return refused(PacketFault::NotPacket, QStringLiteral("the root element is %1").arg(m_root));
        return {};
    }

private:
    PacketFault admitElement() {
        if (m_root.isEmpty())
            m_root = m_xml.name().toString();
        const auto where = [this] { return QStringLiteral(" (line %1)").arg(m_xml.lineNumber()); };
        if (++m_depth > PacketLimits::maxDepth) {
            m_detail = QStringLiteral("elements nested deeper than %1").arg(PacketLimits::maxDepth) + where();
            return PacketFault::TooDeep;
        }
        if (m_xml.attributes().size() > PacketLimits::maxAttributes) {
            m_detail =
                QStringLiteral("an element with more than %1 attributes").arg(PacketLimits::maxAttributes) + where();
            return PacketFault::TooManyAttributes;
        }
        if (m_xml.name() == QLatin1String("ROW") && ++m_rows > PacketLimits::maxRows) {
            m_detail = QStringLiteral("more than %1 rows").arg(PacketLimits::maxRows);
            return PacketFault::TooManyRows;
        }
        if (m_xml.name() == QLatin1String("FIELD") && ++m_fields > PacketLimits::maxFields) {
            m_detail = QStringLiteral("more than %1 fields").arg(PacketLimits::maxFields);
            return PacketFault::TooManyFields;
        }
        return PacketFault::None;
    }

    QIODevice& m_device;
    QXmlStreamReader m_xml;
    QString m_root;
    QString m_detail;
    int m_depth = 0;
    int m_rows = 0;
    int m_fields = 0;
};

} // namespace

bool isOverLimit(PacketFault fault) {
    switch (fault) {
    case PacketFault::TooLarge:
    case PacketFault::TooDeep:
    case PacketFault::TooManyRows:
    case PacketFault::TooManyFields:
    case PacketFault::TooManyAttributes:
    case PacketFault::TooLongElement:
        return true;
    default:
        return false;
    }
}

namespace {

QString limitDetail(PacketFault fault) {
    switch (fault) {
    case PacketFault::TooLarge:
        return QStringLiteral("more than %1 bytes").arg(PacketLimits::maxBytes);
    case PacketFault::TooLongElement:
        return QStringLiteral("more than %1 bytes without a '<'").arg(PacketLimits::maxTagBytes);
    default:
        return QStringLiteral("a tag with more than %1 '='").arg(TagGuard::maxEquals);
    }
}

} // namespace

PacketRead readBoundedPacket(QIODevice& device) {
    // The bytes are held once, through the guard, up to the size limit.
    if (!device.isSequential() && device.size() - device.pos() > PacketLimits::maxBytes)
        return refused(PacketFault::TooLarge, limitDetail(PacketFault::TooLarge));
    QByteArray bytes;
    if (const PacketFault fault = readGuarded(device, &bytes); fault != PacketFault::None)
        return refused(fault, limitDetail(fault));
    // The plain form read straight from its bytes; any other parsed within
    // the limits in one pass by the general reader. A packet refused there is read
    // again the long way, the streaming scan of the limits first and then
    // the parser, so that it is refused with the fault and detail it always
    // had.
    PacketRead read;
    read.packet = parsePlainPacket(bytes);
    if (read.packet)
        return read;
    read.packet = parsePacketWithinLimits(bytes);
    if (read.packet)
        return read;
    QBuffer held(&bytes);
    held.open(QIODevice::ReadOnly);
    PacketRead scan = BoundsScan(held).run();
    if (scan.fault != PacketFault::None)
        return scan;
    QString error;
    scan.packet = DataPacket::fromXml(bytes, &error);
    if (!scan.packet)
        return refused(PacketFault::Invalid, error);
    return scan;
}

PacketRead readPacketFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(PacketFault::Unreadable, file.errorString());
    return readBoundedPacket(file);
}
