// The plain form of a packet file read in one pass over its bytes: UTF-8,
// the elements of a packet (DATAPACKET, METADATA, FIELDS, FIELD, PARAMS,
// ROWDATA, ROW) with ASCII names, attribute values with the five predefined
// entities and character references, whitespace between the tags. That is
// what the writer writes and what an import reads nearly always. Anything
// else (a comment, a processing instruction, a DOCTYPE, another encoding, a
// namespace, text between the tags, a literal tab or line break inside a
// value, a limit passed, a value that does not convert) is left to the
// general reader, which gives the same packet or the fault: this reader
// never refuses a file, it only declines one.

#include "DataPacket.h"
#include "DataPacketData.h"
#include "DataPacketFile.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Thrown to decline the file; caught at the top.
struct Declined {};

[[noreturn]] void decline() {
    throw Declined{};
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool isAscii(const QString& s) {
    for (const QChar ch : s)
        if (ch.unicode() >= 0x80)
            return false;
    return true;
}

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool equalFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    return true;
}

// A character XML 1.0 carries (tab, line feed and carriage return only as
// references here: a literal one in a value is normalised by the general
// reader, and declined).
bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

struct Attribute {
    std::string_view name;
    std::string_view value; // decoded: into the input, or into the reader's buffer
};

class PlainReader {
public:
    explicit PlainReader(const QByteArray& xml) : m_p(xml.constData()), m_end(xml.constData() + xml.size()) {}

    DataPacket read() {
        declaration();
        spaces();
        if (!tag("DATAPACKET") || m_empty)
            decline();
        distinctNames();
        std::optional<DataPacket> packet;
        const Inside inside(*this, "DATAPACKET");
        while (child()) {
            if (m_name == "METADATA" && !packet)
                packet.emplace(metadata());
            else if (m_name == "ROWDATA" && packet)
                rows(*packet);
            else
                decline();
        }
        if (!packet)
            decline();
        spaces();
        if (m_p != m_end)
            decline();
        return std::move(*packet);
    }

private:
    // `<?xml version="1.0" encoding="UTF-8" standalone="yes"?>`, its
    // encoding and standalone declarations optional; or none at all.
    void declaration() {
        static constexpr std::string_view kStart = "<?xml";
        if (size_t(m_end - m_p) < kStart.size() || std::string_view(m_p, kStart.size()) != kStart)
            return;
        m_p += kStart.size();
        const auto pseudo = [&](std::string_view name, std::initializer_list<std::string_view> values, bool required) {
            const char* back = m_p;
            if (!spaces() || !literal(name)) {
                if (required)
                    decline();
                m_p = back;
                return;
            }
            const char quote = valueOpened();
            const char* start = m_p;
            while (m_p != m_end && *m_p != quote)
                ++m_p;
            if (m_p == m_end)
                decline();
            const std::string_view value(start, size_t(m_p - start));
            ++m_p;
            for (const std::string_view v : values)
                if (value == v)
                    return;
            decline();
        };
        pseudo("version", {"1.0"}, true);
        pseudo("encoding", {"UTF-8", "utf-8"}, false);
        pseudo("standalone", {"yes", "no"}, false);
        spaces();
        if (!literal("?>"))
            decline();
    }

    // `= "` (or `= '`) after a name, spaces allowed around the sign; gives
    // the quote.
    char valueOpened() {
        spaces();
        if (!literal("="))
            decline();
        spaces();
        if (m_p == m_end || (*m_p != '"' && *m_p != '\''))
            decline();
        return *m_p++;
    }

    bool spaces() {
        const char* start = m_p;
        while (m_p != m_end && isSpace(*m_p))
            ++m_p;
        return m_p != start;
    }

    bool literal(std::string_view s) {
        if (size_t(m_end - m_p) < s.size() || std::memcmp(m_p, s.data(), s.size()) != 0)
            return false;
        m_p += s.size();
        return true;
    }

    std::string_view name() {
        const char* start = m_p;
        if (m_p == m_end || !isNameStart(*m_p))
            decline();
        while (m_p != m_end && isNameChar(*m_p))
            ++m_p;
        return {start, size_t(m_p - start)};
    }

    // A start tag named `expected` (any name when empty) with its
    // attributes, at the current position; m_empty tells a `/>`.
    bool tag(std::string_view expected) {
        const char* open = m_p;
        if (!literal("<"))
            return false;
        m_name = name();
        if (!expected.empty() && m_name != expected)
            decline();
        m_attributes.clear();
        m_buffer.clear();
        m_decoded.clear();
        for (;;) {
            const bool spaced = spaces();
            if (literal("/>")) {
                m_empty = true;
                break;
            }
            if (literal(">")) {
                m_empty = false;
                break;
            }
            if (!spaced)
                decline();
            attribute();
        }
        if (int(m_attributes.size()) > PacketLimits::maxAttributes)
            decline();
        // As the scan of the limits measures a tag: up to the next '<'.
        const char* next = static_cast<const char*>(std::memchr(m_p, '<', size_t(m_end - m_p)));
        if ((next ? next : m_end) - open > PacketLimits::maxTagBytes)
            decline();
        // Values decoded into the buffer point into it only now that it is whole.
        for (const auto& [index, start, size] : m_decoded)
            m_attributes[index].value = std::string_view(m_buffer).substr(start, size);
        return true;
    }

    void attribute() {
        Attribute a;
        a.name = name();
        if (a.name.starts_with("xmlns"))
            decline(); // a namespace declaration, not an attribute
        const char quote = valueOpened();
        const char* start = m_p;
        bool plain = true;
        size_t bufferStart = m_buffer.size();
        for (;;) {
            if (m_p == m_end)
                decline();
            const auto c = static_cast<unsigned char>(*m_p);
            if (c == static_cast<unsigned char>(quote))
                break;
            if (c == '&') {
                if (plain) {
                    m_buffer.append(start, size_t(m_p - start));
                    plain = false;
                }
                reference();
                continue;
            }
            if (c < 0x20 || c == '<')
                decline();
            const char* from = m_p;
            if (c < 0x80)
                ++m_p;
            else
                utf8Character();
            if (!plain)
                m_buffer.append(from, size_t(m_p - from));
        }
        if (plain)
            a.value = std::string_view(start, size_t(m_p - start));
        else
            m_decoded.push_back({m_attributes.size(), bufferStart, m_buffer.size() - bufferStart});
        ++m_p;
        m_attributes.push_back(a);
    }

    // One multi-byte UTF-8 character of an XML character.
    void utf8Character() {
        char32_t cp = 0;
        const int n = utf8SequenceAt(m_p, m_end, cp);
        if (n == 0 || !isXmlChar(cp))
            decline();
        m_p += n;
    }

    // `&...;` at the current position, decoded into the buffer.
    void reference() {
        ++m_p;
        static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities{
            {{"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"quot;", '"'}, {"apos;", '\''}}};
        for (const auto& [text, c] : kEntities)
            if (literal(text)) {
                m_buffer += c;
                return;
            }
        if (!literal("#"))
            decline();
        const bool hex = literal("x");
        char32_t cp = 0;
        int digits = 0;
        for (; m_p != m_end && *m_p != ';'; ++m_p, ++digits) {
            const char c = *m_p;
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            if (d < 0 || digits >= 8)
                decline();
            cp = cp * (hex ? 16 : 10) + char32_t(d);
        }
        if (m_p == m_end || digits == 0 || !isXmlChar(cp))
            decline();
        ++m_p;
        appendUtf8(m_buffer, cp);
    }

    // The next child start tag of the current element; false at its end
    // tag (named m_open).
    bool child() {
        spaces();
        if (size_t(m_end - m_p) >= 2 && m_p[0] == '<' && m_p[1] == '/')
            return closing(), false;
        if (m_p == m_end || *m_p != '<')
            decline();
        return tag({});
    }

    void closing() {
        m_p += 2;
        if (name() != m_open)
            decline();
        spaces();
        if (!literal(">"))
            decline();
    }

    // The content of an element whose start tag was just read: it must be
    // empty (whitespace at most).
    void nothingInside() {
        if (m_empty)
            return;
        spaces();
        const std::string_view self = m_name;
        if (!literal("</") || name() != self)
            decline();
        spaces();
        if (!literal(">"))
            decline();
    }

    // Children read with child() end at the end tag of `element`.
    struct Inside {
        PlainReader& r;
        std::string_view previous;
        Inside(PlainReader& reader, std::string_view element) : r(reader), previous(reader.m_open) {
            r.m_open = element;
        }
        ~Inside() { r.m_open = previous; }
        Inside(const Inside&) = delete;
        Inside& operator=(const Inside&) = delete;
    };

    const Attribute* find(std::string_view attributeName) const {
        for (const Attribute& a : m_attributes)
            if (a.name == attributeName)
                return &a;
        return nullptr;
    }

    // Attributes named twice make the file malformed.
    void distinctNames() const {
        for (size_t i = 1; i < m_attributes.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                if (m_attributes[i].name == m_attributes[j].name)
                    decline();
    }

    QList<FieldDef> metadata() {
        if (m_empty)
            decline();
        distinctNames();
        const Inside inside(*this, "METADATA");
        QList<FieldDef> fields;
        bool sawFields = false;
        while (child()) {
            distinctNames();
            if (m_name == "PARAMS") {
                nothingInside();
            } else if (m_name == "FIELDS" && !sawFields) {
                sawFields = true;
                fieldList(fields);
            } else {
                decline();
            }
        }
        if (!sawFields)
            decline();
        return fields;
    }

    void fieldList(QList<FieldDef>& fields) {
        if (m_empty)
            return;
        const Inside inside(*this, "FIELDS");
        while (child()) {
            if (m_name != "FIELD")
                decline();
            distinctNames();
            const FieldDef f = field();
            for (const FieldDef& other : fields)
                if (other.name.compare(f.name, Qt::CaseInsensitive) == 0)
                    decline(); // defined twice: the general reader says so
            fields.append(f);
            nothingInside();
            if (fields.size() > PacketLimits::maxFields)
                decline();
        }
    }

    FieldDef field() const {
        FieldDef f;
        const Attribute* name = find("attrname");
        const Attribute* type = find("fieldtype");
        if (!name || !type)
            decline();
        f.name = QString::fromUtf8(name->value.data(), qsizetype(name->value.size()));
        // A name the general reader would match by Unicode case folding is
        // left to it.
        if (f.name.trimmed().isEmpty() || !isAscii(f.name))
            decline();
        const auto kind = PacketText::fieldKind(QString::fromUtf8(type->value.data(), qsizetype(type->value.size())));
        if (!kind)
            decline();
        f.kind = *kind;
        if (const Attribute* width = find("WIDTH"); width && !width->value.empty()) {
            bool ok = false;
            f.width = QString::fromUtf8(width->value.data(), qsizetype(width->value.size())).toInt(&ok);
            if (!ok || f.width < 0)
                decline();
        }
        return f;
    }

    void rows(DataPacket& packet) {
        distinctNames();
        if (m_empty)
            return;
        const QList<FieldDef>& fields = packet.fields();
        std::vector<std::string> names;
        for (const FieldDef& f : fields)
            names.push_back(f.name.toStdString());
        const size_t n = names.size();
        std::vector<std::string_view> cells(n);
        std::vector<char> exact(n);           // the cell came by the field's own name
        std::vector<char> present(n);         // by its own name or another case of it
        std::vector<std::string_view> others; // names that are no field's own
        const Inside inside(*this, "ROWDATA");
        while (child()) {
            if (m_name != "ROW" || ++m_rows > PacketLimits::maxRows)
                decline();
            std::fill(exact.begin(), exact.end(), 0);
            std::fill(present.begin(), present.end(), 0);
            others.clear();
            size_t expected = 0; // the writer writes the cells in the fields' order
            for (const Attribute& a : m_attributes) {
                size_t col = n;
                if (expected < n && names[expected] == a.name) {
                    col = expected;
                } else {
                    for (size_t c = 0; c < n; ++c)
                        if (names[c] == a.name) {
                            col = c;
                            break;
                        }
                }
                if (col < n) {
                    if (exact[col])
                        decline();
                    exact[col] = 1;
                    expected = col + 1;
                } else {
                    for (const std::string_view o : others)
                        if (o == a.name)
                            decline();
                    others.push_back(a.name);
                    for (size_t c = 0; c < n; ++c)
                        if (equalFolded(names[c], a.name)) {
                            col = c;
                            break;
                        }
                    if (col == n)
                        continue; // row state and other bookkeeping attributes
                }
                cells[col] = a.value;
                present[col] = 1;
            }
            packet.beginRow();
            for (size_t c = 0; c < n; ++c) {
                if (!present[c])
                    packet.appendNull();
                else
                    appendCell(packet, fields[qsizetype(c)].kind, cells[c]);
            }
            nothingInside();
        }
    }

    // A cell as the general reader converts it; a value it would refuse is
    // declined.
    static void appendCell(DataPacket& packet, FieldKind kind, std::string_view value) {
        if (kind == FieldKind::Text) {
            packet.appendUtf8(value.data(), qsizetype(value.size()));
            return;
        }
        if (kind == FieldKind::Float) {
            // The colours and codes of a menu: a few decimal digits, exact.
            if (!value.empty() && value.size() <= 15 && value.find_first_not_of("0123456789") == value.npos) {
                double v = 0;
                for (const char c : value)
                    v = v * 10 + (c - '0');
                packet.appendNumber(v);
                return;
            }
        }
        const QString text = QString::fromUtf8(value.data(), qsizetype(value.size()));
        bool ok = false;
        switch (kind) {
        case FieldKind::Text:
            break;
        case FieldKind::Float: {
            const double v = PacketText::packetNumber(QStringView(text).trimmed(), &ok);
            if (!ok || !std::isfinite(v))
                decline();
            packet.appendNumber(v);
            break;
        }
        case FieldKind::Integer: {
            const qint64 v = QStringView(text).trimmed().toLongLong(&ok);
            if (!ok)
                decline();
            packet.appendInteger(v);
            break;
        }
        case FieldKind::DateTime: {
            const QDateTime v = PacketText::parseDateTime(text);
            if (!v.isValid())
                decline();
            packet.appendDateTime(v);
            break;
        }
        }
    }

    const char* m_p;
    const char* m_end;
    std::string_view m_name; // of the last start tag
    std::string_view m_open; // the element whose children child() reads
    bool m_empty = false;    // the last start tag ended with "/>"
    std::vector<Attribute> m_attributes;
    std::string m_buffer; // the decoded values of the last tag
    struct Decoded {
        size_t index;
        size_t start;
        size_t size;
    };
    std::vector<Decoded> m_decoded;
    int m_rows = 0;
};

} // namespace

std::optional<DataPacket> parsePlainPacket(const QByteArray& xml) {
    try {
        return PlainReader(xml).read();
    } catch (const Declined&) {
        return std::nullopt;
    }
}
