#include "CsvReader.h"

#include <QStringDecoder>

namespace {

constexpr char16_t kQuote = u'"';

bool lineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

// Reads the decoded text one character at a time, counting lines.
class Leitor {
public:
    Leitor(const QString& text, QChar separator) : m_text(text), m_sep(separator) {}

    CsvResult records() {
        QList<CsvRecord> out;
        while (m_pos < m_text.size()) {
            CsvRecord record;
            record.line = m_line;
            if (!readRecord(record))
                return m_error;
            const bool blank =
                record.fields.size() == 1 && !record.fields.first().quoted && record.fields.first().text.isEmpty();
            if (!blank)
                out.append(std::move(record));
        }
        return out;
    }

private:
    // One record, up to and including its line end (or the end of the text).
    bool readRecord(CsvRecord& record) {
        for (;;) {
            CsvField field;
            const int column = int(record.fields.size()) + 1;
            if (m_pos < m_text.size() && m_text.at(m_pos) == kQuote) {
                if (!readQuoted(field, column))
                    return false;
            } else {
                readPlain(field);
            }
            record.fields.append(std::move(field));
            if (m_pos >= m_text.size())
                return true;
            const QChar c = m_text.at(m_pos);
            if (c == m_sep) {
                ++m_pos;
                continue;
            }
            if (lineEnd(c)) {
                skipLineEnd();
                return true;
            }
            return fail(column, QStringLiteral("depois das aspas que fecham o campo só pode vir o separador ou o fim "
                                               "da linha"));
        }
    }

    void readPlain(CsvField& field) {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text.at(m_pos) != m_sep && !lineEnd(m_text.at(m_pos)))
            ++m_pos;
        field.text = m_text.mid(start, m_pos - start);
    }

    bool readQuoted(CsvField& field, int column) {
        field.quoted = true;
        const int startLine = m_line;
        ++m_pos; // the opening quote
        for (;;) {
            if (m_pos >= m_text.size()) {
                m_line = startLine;
                return fail(column, QStringLiteral("as aspas abertas neste campo não se fecham até o fim do arquivo"));
            }
            const QChar c = m_text.at(m_pos);
            if (c == kQuote) {
                if (m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == kQuote) {
                    field.text += kQuote;
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                return true;
            }
            if (lineEnd(c)) {
                // A line break inside the field is kept as one LF, whatever the file used.
                skipLineEnd();
                field.text += u'\n';
                continue;
            }
            field.text += c;
            ++m_pos;
        }
    }

    void skipLineEnd() {
        if (m_text.at(m_pos) == u'\r' && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == u'\n')
            ++m_pos;
        ++m_pos;
        ++m_line;
    }

    bool fail(int column, const QString& reason) {
        m_error = CsvError{m_line, column, reason};
        return false;
    }

    const QString& m_text;
    const QChar m_sep;
    qsizetype m_pos = 0;
    int m_line = 1;
    CsvError m_error;
};

// The line and field of a byte offset, for a fault found before decoding.
CsvError errorAt(const QByteArray& bytes, qsizetype offset, char separator, const QString& reason) {
    CsvError e{1, 1, reason};
    bool quoted = false;
    for (qsizetype i = 0; i < offset && i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '"')
            quoted = !quoted;
        else if (c == '\n' || (c == '\r' && (i + 1 >= bytes.size() || bytes.at(i + 1) != '\n'))) {
            ++e.line;
            if (!quoted)
                e.column = 1;
        } else if (c == separator && !quoted)
            ++e.column;
    }
    return e;
}

// Offset of the first byte that does not belong to a well-formed UTF-8
// sequence (overlong forms and surrogates included); -1 when there is none.
qsizetype firstInvalidUtf8(const QByteArray& bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = b[i];
        int extra = 0;
        unsigned int min = 0;
        unsigned int cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return i;
        }
        if (i + extra >= n)
            return i;
        for (int k = 1; k <= extra; ++k) {
            if ((b[i + k] & 0xC0) != 0x80)
                return i;
            cp = (cp << 6) | (b[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return i;
        i += extra + 1;
    }
    return -1;
}

QByteArray semMarca(const QByteArray& bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
}

} // namespace

char csvSeparator(const QByteArray& bytes) {
    const QByteArray text = semMarca(bytes);
    bool quoted = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == ';' || c == ','))
            return c;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
    }
    return ';';
}

CsvResult readCsv(const QByteArray& bytes, char separator) {
    const QByteArray text = semMarca(bytes);
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        return errorAt(text, nul, separator, QStringLiteral("o arquivo tem um caractere nulo; não é um texto CSV"));
    const qsizetype bad = firstInvalidUtf8(text);
    if (bad >= 0)
        return errorAt(text, bad, separator,
                       QStringLiteral("o texto não está em UTF-8; grave a planilha como \"CSV UTF-8\""));
    // The mark is already gone; a second U+FEFF is the first field's own
    // character and stays (QString::fromUtf8 would drop it as well).
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString decoded = utf8.decode(text);
    return Leitor(decoded, QLatin1Char(separator)).records();
}

QString csvField(const QString& text, char separator, bool quoted) {
    const bool precisa = quoted || text.contains(QLatin1Char(separator)) || text.contains(kQuote) ||
                         text.contains(u'\n') || text.contains(u'\r') ||
                         (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!precisa)
        return text;
    QString out = text;
    out.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}
