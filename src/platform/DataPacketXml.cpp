// The client-dataset XML data packet:
//   <?xml version="1.0" standalone="yes"?>
//   <DATAPACKET Version="2.0"><METADATA><FIELDS>
//     <FIELD attrname="NAME" fieldtype="string" WIDTH="5"/> ...
//   </FIELDS><PARAMS/></METADATA>
//   <ROWDATA><ROW NAME="value" .../> ...</ROWDATA></DATAPACKET>
// Field types written: "string" (with WIDTH), "r8", "i8", "dateTime". Read
// also: "string.uni" and other string variants, "i1"/"i2"/"i4"/"ui*" as
// integers, "r4"/"fixed"/"bcd" as floats, "date"/"time"/"SQLdateTime" as
// date-times. A null cell is an absent attribute. Date-times are written as
// "yyyyMMddTHH:mm:sszzz" (wall-clock time, no zone). Control characters other
// than tab, carriage return and line feed cannot be carried by XML 1.0 and are
// left out when writing.

#include "DataPacket.h"
#include "DataPacketData.h"
#include "DataPacketFile.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QXmlStreamReader>

#include <cmath>

std::optional<FieldKind> PacketText::fieldKind(QStringView type) {
    const QString t = type.trimmed().toString().toLower();
    if (t.contains(QLatin1String("string")))
        return FieldKind::Text;
    if (t == QLatin1String("r8") || t == QLatin1String("r4") || t == QLatin1String("fixed") ||
        t == QLatin1String("fixedfmt") || t == QLatin1String("bcd") || t == QLatin1String("fmtbcd"))
        return FieldKind::Float;
    if (t == QLatin1String("i1") || t == QLatin1String("i2") || t == QLatin1String("i4") || t == QLatin1String("i8") ||
        t == QLatin1String("ui1") || t == QLatin1String("ui2") || t == QLatin1String("ui4") ||
        t == QLatin1String("ui8"))
        return FieldKind::Integer;
    if (t == QLatin1String("datetime") || t == QLatin1String("date") || t == QLatin1String("time") ||
        t == QLatin1String("sqldatetime"))
        return FieldKind::DateTime;
    return std::nullopt;
}

// The integers the packets mostly hold (colours) are read as integers, which
// is exact and much cheaper; anything else as a double.
double PacketText::packetNumber(QStringView text, bool* ok) {
    const qint64 whole = text.toLongLong(ok);
    if (*ok && !(whole == 0 && text.startsWith(u'-')))
        return double(whole);
    return text.toDouble(ok);
}

namespace {

class PacketReader {
public:
    // Within limits: the limits of DataPacketFile.h checked on this pass
    // over every element, those skipped included.
    enum class Limits { Off, On };
    PacketReader(const QByteArray& xml, Limits limits) : m_xml(xml), m_limited(limits == Limits::On) {}

    std::optional<DataPacket> read(QString* error) {
        std::optional<DataPacket> result;
        try {
            result = readDocument();
        } catch (const std::exception& e) {
            m_error = QString::fromUtf8(e.what());
        }
        if (!m_error.isEmpty()) {
            if (error)
                *error = m_error;
            return std::nullopt;
        }
        return result;
    }

private:
    std::optional<DataPacket> readDocument() {
        if (!nextStart() || m_xml.name() != QLatin1String("DATAPACKET"))
            return fail(QStringLiteral("not a data packet (the root element must be DATAPACKET)"));
        std::optional<QList<FieldDef>> fields;
        std::optional<DataPacket> packet;
        while (nextChild()) {
            if (m_xml.name() == QLatin1String("METADATA")) {
                fields = readMetadata();
                if (!fields)
                    return std::nullopt;
                packet.emplace(*fields);
            } else if (m_xml.name() == QLatin1String("ROWDATA")) {
                if (!packet)
                    return fail(QStringLiteral("ROWDATA comes before METADATA"));
                if (!readRows(*packet))
                    return std::nullopt;
            } else {
                skip();
            }
        }
        if (m_xml.hasError())
            return fail(m_xml.errorString());
        if (!packet)
            return fail(QStringLiteral("the data packet has no METADATA"));
        // Anything after the root element must still be well-formed.
        while (!m_xml.atEnd() && m_error.isEmpty())
            next();
        if (!m_error.isEmpty())
            return std::nullopt;
        if (m_xml.hasError())
            return fail(m_xml.errorString());
        return packet;
    }

    std::optional<QList<FieldDef>> readMetadata() {
        QList<FieldDef> fields;
        bool sawFields = false;
        while (nextChild()) {
            if (m_xml.name() == QLatin1String("FIELDS")) {
                sawFields = true;
                while (nextChild()) {
                    if (m_xml.name() != QLatin1String("FIELD")) {
                        skip();
                        continue;
                    }
                    auto f = readField();
                    if (!f)
                        return std::nullopt;
                    for (const FieldDef& other : fields)
                        if (other.name.compare(f->name, Qt::CaseInsensitive) == 0)
                            return fail(QStringLiteral("field \"%1\" is defined twice").arg(f->name)), std::nullopt;
                    fields.append(*f);
                }
            } else {
                skip();
            }
        }
        if (m_xml.hasError())
            return fail(m_xml.errorString()), std::nullopt;
        if (!sawFields)
            return fail(QStringLiteral("METADATA has no FIELDS")), std::nullopt;
        return fields;
    }

    std::optional<FieldDef> readField() {
        const QXmlStreamAttributes a = m_xml.attributes();
        FieldDef f;
        f.name = a.value(QLatin1String("attrname")).toString();
        if (f.name.trimmed().isEmpty())
            return fail(QStringLiteral("a FIELD has no attrname (line %1)").arg(m_xml.lineNumber())), std::nullopt;
        const QStringView type = a.value(QLatin1String("fieldtype"));
        const auto kind = PacketText::fieldKind(type);
        if (!kind)
            return fail(QStringLiteral("field \"%1\" has the unsupported type \"%2\"").arg(f.name, type.toString())),
                   std::nullopt;
        f.kind = *kind;
        const QStringView width = a.value(QLatin1String("WIDTH"));
        if (!width.isEmpty()) {
            bool ok = false;
            f.width = width.toInt(&ok);
            if (!ok || f.width < 0)
                return fail(QStringLiteral("field \"%1\" has an invalid WIDTH \"%2\"").arg(f.name, width.toString())),
                       std::nullopt;
        }
        skip(); // nested definitions are not used
        return f;
    }

    bool readRows(DataPacket& packet) {
        const QList<FieldDef>& fields = packet.fields();
        QHash<QString, int> exact;
        QHash<QString, int> folded;
        for (int i = 0; i < fields.size(); ++i) {
            exact.insert(fields[i].name, i);
            folded.insert(fields[i].name.toLower(), i);
        }
        std::vector<QStringView> cells(size_t(fields.size()));
        std::vector<bool> present(size_t(fields.size()));
        int row = 0;
        while (nextChild()) {
            if (m_xml.name() != QLatin1String("ROW")) {
                skip();
                continue;
            }
            ++row;
            const QXmlStreamAttributes attributes = m_xml.attributes();
            std::fill(present.begin(), present.end(), false);
            for (const QXmlStreamAttribute& at : attributes) {
                const QString name = at.name().toString();
                int col = exact.value(name, -1);
                if (col < 0)
                    col = folded.value(name.toLower(), -1);
                if (col < 0)
                    continue; // row state and other bookkeeping attributes
                cells[size_t(col)] = at.value();
                present[size_t(col)] = true;
            }
            packet.beginRow();
            for (int c = 0; c < fields.size(); ++c) {
                if (!present[size_t(c)]) {
                    packet.appendNull();
                } else if (!appendCell(packet, fields[c], cells[size_t(c)], row)) {
                    return false;
                }
            }
            skip();
        }
        if (m_xml.hasError())
            return fail(m_xml.errorString()), false;
        return true;
    }

    bool appendCell(DataPacket& packet, const FieldDef& field, QStringView text, int row) {
        bool ok = true;
        switch (field.kind) {
        case FieldKind::Text:
            packet.appendText(text);
            return true;
        case FieldKind::Float: {
            const double v = PacketText::packetNumber(text.trimmed(), &ok);
            ok = ok && std::isfinite(v);
            if (ok)
                packet.appendNumber(v);
            break;
        }
        case FieldKind::Integer: {
            const qint64 v = text.trimmed().toLongLong(&ok);
            if (ok)
                packet.appendInteger(v);
            break;
        }
        case FieldKind::DateTime: {
            const QDateTime v = PacketText::parseDateTime(text);
            ok = v.isValid();
            if (ok)
                packet.appendDateTime(v);
            break;
        }
        }
        if (!ok)
            fail(QStringLiteral("row %1: field \"%2\" has the invalid value \"%3\"")
                     .arg(row)
                     .arg(field.name, text.toString()));
        return ok;
    }

    // The next token; within limits, each element is counted as it starts
    // and ends.
    QXmlStreamReader::TokenType next() {
        const QXmlStreamReader::TokenType t = m_xml.readNext();
        if (!m_limited)
            return t;
        if (t == QXmlStreamReader::StartElement)
            admit();
        else if (t == QXmlStreamReader::EndElement)
            --m_depth;
        return t;
    }

    // As the bounded scan of DataPacketFile.cpp counts them; the scan gives
    // the fault and its detail when the bounded read reads it again.
    void admit() {
        const bool over = ++m_depth > PacketLimits::maxDepth ||
                          m_xml.attributes().size() > PacketLimits::maxAttributes ||
                          (m_xml.name() == QLatin1String("ROW") && ++m_rows > PacketLimits::maxRows) ||
                          (m_xml.name() == QLatin1String("FIELD") && ++m_fields > PacketLimits::maxFields);
        if (over)
            fail(QStringLiteral("a limit of a packet read from outside passed"));
    }

    // Next start element anywhere (used for the root).
    bool nextStart() {
        while (!m_xml.atEnd() && m_error.isEmpty()) {
            if (next() == QXmlStreamReader::StartElement)
                return m_error.isEmpty();
        }
        return false;
    }

    // Next child start element of the current element; false at its end or
    // on an error (QXmlStreamReader::readNextStartElement, with every token
    // through next()).
    bool nextChild() {
        while (m_error.isEmpty()) {
            const QXmlStreamReader::TokenType t = next();
            if (t == QXmlStreamReader::Invalid || t == QXmlStreamReader::EndElement ||
                t == QXmlStreamReader::EndDocument)
                return false;
            if (t == QXmlStreamReader::StartElement)
                return m_error.isEmpty();
        }
        return false;
    }

    // The rest of the current element (QXmlStreamReader::skipCurrentElement,
    // with every token through next()).
    void skip() {
        int depth = 1;
        while (depth > 0 && m_error.isEmpty()) {
            const QXmlStreamReader::TokenType t = next();
            if (t == QXmlStreamReader::Invalid)
                return;
            if (t == QXmlStreamReader::EndElement)
                --depth;
            else if (t == QXmlStreamReader::StartElement)
                ++depth;
        }
    }

    std::nullopt_t fail(const QString& message) {
        if (m_error.isEmpty()) {
            m_error = message;
            if (m_xml.hasError() && message != m_xml.errorString())
                m_error += QStringLiteral(" (%1)").arg(m_xml.errorString());
            m_error += QStringLiteral(" at line %1, column %2").arg(m_xml.lineNumber()).arg(m_xml.columnNumber());
        }
        return std::nullopt;
    }

    QXmlStreamReader m_xml;
    QString m_error;
    bool m_limited = false;
    int m_depth = 0;
    int m_rows = 0;
    int m_fields = 0;
};

} // namespace

std::optional<DataPacket> DataPacket::fromXml(const QByteArray& xml, QString* error) {
    return PacketReader(xml, PacketReader::Limits::Off).read(error);
}

std::optional<DataPacket> parsePacketWithinLimits(const QByteArray& xml) {
    return PacketReader(xml, PacketReader::Limits::On).read(nullptr);
}

bool DataPacket::saveToFile(const QString& path, QString* error) const {
    // Written to a temporary file and renamed, so a failed save never leaves
    // a truncated file behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    file.write(toXml());
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

std::optional<DataPacket> DataPacket::loadFromFile(const QString& path, QString* error) {
    // A file may come from anywhere: read within the limits of DataPacketFile.h.
    PacketRead read = readPacketFile(path);
    if (read.fault == PacketFault::Unreadable && error)
        *error = QStringLiteral("cannot open \"%1\": %2").arg(path, read.detail);
    else if (!read.packet && error)
        *error = QStringLiteral("\"%1\" is not a valid data packet: %2").arg(path, read.detail);
    return std::move(read.packet);
}
