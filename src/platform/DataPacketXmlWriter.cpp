// Writes the client-dataset XML data packet (the format DataPacketXml.cpp
// reads). Texts are kept in the packet as UTF-8 and go to the file as they
// are, escaped byte by byte; the output is what a QXmlStreamWriter writes for
// the same packet, without its per-attribute conversions, which made the
// writer most of an export's time. Characters XML 1.0 cannot carry (control
// characters other than tab, carriage return and line feed, U+FFFE, U+FFFF)
// are left out.

#include "DataPacket.h"
#include "DataPacketData.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

const char* typeName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Text:
        return "string";
    case FieldKind::Float:
        return "r8";
    case FieldKind::Integer:
        return "i8";
    case FieldKind::DateTime:
        return "dateTime";
    }
    return "";
}

bool validUtf8(std::string_view s) {
    const char* p = s.data();
    const char* const end = p + s.size();
    while (p != end) {
        if (static_cast<unsigned char>(*p) < 0x80) {
            ++p;
            continue;
        }
        char32_t cp = 0;
        const int n = utf8SequenceAt(p, end, cp);
        if (n == 0)
            return false;
        p += n;
    }
    return true;
}

// A byte the writer does not pass as it is: the escaped ones, the other
// control characters (left out) and the first byte of U+FFFE and U+FFFF.
bool needsCare(unsigned char c) {
    return c < 0x20 || c == '<' || c == '>' || c == '&' || c == '"' || c == 0xEF;
}

// An attribute value in UTF-8, escaped as the stream writer escapes it,
// written at `p` (at most six bytes a byte of the value); gives the end. The
// runs of bytes that pass as they are go in at once.
char* writeEscaped(char* p, std::string_view s) {
    const auto put = [&p](std::string_view t) {
        if (t.empty())
            return; // an empty text may have no storage, which memcpy may not be handed
        std::memcpy(p, t.data(), t.size());
        p += t.size();
    };
    size_t run = 0; // where the run of bytes passed as they are began
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (!needsCare(static_cast<unsigned char>(c)))
            continue;
        if (static_cast<unsigned char>(c) == 0xEF &&
            !(i + 2 < s.size() && s[i + 1] == '\xBF' && (s[i + 2] == '\xBE' || s[i + 2] == '\xBF')))
            continue; // another character of the same first byte
        put(s.substr(run, i - run));
        run = i + 1;
        switch (c) {
        case '<':
            put("&lt;");
            break;
        case '>':
            put("&gt;");
            break;
        case '&':
            put("&amp;");
            break;
        case '"':
            put("&quot;");
            break;
        case '\t':
            put("&#9;");
            break;
        case '\n':
            put("&#10;");
            break;
        case '\r':
            put("&#13;");
            break;
        default:
            if (static_cast<unsigned char>(c) == 0xEF) {
                i += 2; // U+FFFE, U+FFFF: left out
                run = i + 1;
            }
            break; // any other control character is not an XML character: left out
        }
    }
    put(s.substr(run));
    return p;
}

// ` name="value"` appended: room for the worst case is made first, the
// attribute written into it, and the text cut to what was written.
void appendAttribute(QByteArray& out, const QByteArray& name, std::string_view value) {
    const qsizetype at = out.size();
    out.resize(at + 4 + name.size() + 6 * qsizetype(value.size()));
    char* p = out.data() + at;
    *p++ = ' ';
    std::memcpy(p, name.constData(), size_t(name.size()));
    p += name.size();
    *p++ = '=';
    *p++ = '"';
    p = writeEscaped(p, value);
    *p++ = '"';
    out.resize(p - out.constData());
}

void appendAttribute(QByteArray& out, const QByteArray& name, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    appendAttribute(out, name, std::string_view(utf8.constData(), size_t(utf8.size())));
}

} // namespace

QByteArray DataPacket::toXml() const {
    QByteArray out;
    out.reserve(qsizetype(256 + 64 * d->fields.size() + qsizetype(d->rows) * (32 + 24 * d->fields.size())));
    out += R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><DATAPACKET Version="2.0"><METADATA>)";
    QList<QByteArray> names;
    for (const FieldDef& f : d->fields)
        names << f.name.toUtf8();
    if (d->fields.isEmpty()) {
        out += "<FIELDS/>";
    } else {
        out += "<FIELDS>";
        for (qsizetype c = 0; c < d->fields.size(); ++c) {
            const FieldDef& f = d->fields[c];
            out += "<FIELD";
            appendAttribute(out, "attrname", f.name);
            out += " fieldtype=\"";
            out += typeName(f.kind);
            out += '"';
            if (f.kind == FieldKind::Text)
                out += " WIDTH=\"" + QByteArray::number(f.width > 0 ? f.width : 255) + '"';
            out += "/>";
        }
        out += "</FIELDS>";
    }
    out += "<PARAMS/></METADATA>";
    if (d->rows == 0) {
        out += "<ROWDATA/></DATAPACKET>\n";
        return out;
    }
    out += "<ROWDATA>";
    for (int r = 0; r < d->rows; ++r) {
        out += "<ROW";
        for (int c = 0; c < d->fields.size(); ++c) {
            const PacketColumn& col = d->columns[size_t(c)];
            if (col.isNull(r))
                continue;
            switch (col.kind) {
            case FieldKind::Text: {
                const std::string_view t = col.textAt(r);
                if (validUtf8(t))
                    appendAttribute(out, names[c], t);
                else // what the text reads as: bad sequences as U+FFFD
                    appendAttribute(out, names[c], QString::fromUtf8(t.data(), qsizetype(t.size())));
                break;
            }
            case FieldKind::Float: {
                const double v = col.reals[size_t(r)];
                if (v == std::floor(v) && std::fabs(v) < 1e15) {
                    char digits[24];
                    const auto end = std::to_chars(digits, digits + sizeof digits, qint64(v)).ptr;
                    appendAttribute(out, names[c], std::string_view(digits, size_t(end - digits)));
                } else {
                    const QByteArray n = QByteArray::number(v, 'g', 17);
                    appendAttribute(out, names[c], std::string_view(n.constData(), size_t(n.size())));
                }
                break;
            }
            default:
                appendAttribute(out, names[c], text(r, c));
            }
        }
        out += "/>";
    }
    out += "</ROWDATA></DATAPACKET>\n";
    return out;
}
