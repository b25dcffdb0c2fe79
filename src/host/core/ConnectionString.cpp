#include "ConnectionString.h"

#include <QList>
#include <QPair>
#include <QRegularExpression>

namespace {

struct Segment {
    QString key;   // as written, trimmed
    QString value; // unquoted
    bool hasKey = false;
};

// Reads one value starting at pos: either a double-quoted text (a doubled
// quote stands for one quote, and ';' is kept) or everything up to the next ';'.
QString readValue(const QString& text, qsizetype& pos) {
    while (pos < text.size() && text.at(pos).isSpace() && text.at(pos) != u';')
        ++pos;
    if (pos < text.size() && text.at(pos) == u'"') {
        QString out;
        ++pos;
        while (pos < text.size()) {
            const QChar c = text.at(pos++);
            if (c == u'"') {
                if (pos < text.size() && text.at(pos) == u'"') {
                    out += u'"';
                    ++pos;
                    continue;
                }
                break;
            }
            out += c;
        }
        // Skip anything up to the separator after the closing quote.
        while (pos < text.size() && text.at(pos) != u';')
            ++pos;
        return out;
    }
    const qsizetype end = text.indexOf(u';', pos);
    const qsizetype stop = end < 0 ? text.size() : end;
    QString out = text.mid(pos, stop - pos).trimmed();
    pos = stop;
    return out;
}

QList<Segment> tokenize(const QString& text) {
    QList<Segment> out;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype eq = text.indexOf(u'=', pos);
        const qsizetype semi = text.indexOf(u';', pos);
        Segment seg;
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // A piece without '=': kept apart so that it is never mistaken
            // for a key, and never echoed in redacted text.
            const qsizetype stop = semi < 0 ? text.size() : semi;
            seg.value = text.mid(pos, stop - pos).trimmed();
            pos = stop;
        } else {
            seg.key = text.mid(pos, eq - pos).trimmed();
            seg.hasKey = true;
            pos = eq + 1;
            seg.value = readValue(text, pos);
        }
        if (seg.hasKey || !seg.value.isEmpty())
            out.append(seg);
        if (pos < text.size() && text.at(pos) == u';')
            ++pos;
    }
    return out;
}

bool isPasswordKey(const QString& upperKey) {
    return upperKey == QLatin1String("PWD") || upperKey.contains(QLatin1String("PASSWORD"));
}

} // namespace

ConnectionString ConnectionString::parse(const QString& text) {
    ConnectionString cs;
    cs.m_text = text;
    for (const Segment& seg : tokenize(text)) {
        if (seg.hasKey && !seg.key.isEmpty())
            cs.m_values.insert(seg.key.toUpper(), seg.value);
    }
    return cs;
}

QString ConnectionString::value(const QString& key) const {
    return m_values.value(key.trimmed().toUpper());
}

bool ConnectionString::contains(const QString& key) const {
    return m_values.contains(key.trimmed().toUpper());
}

QString ConnectionString::provider() const {
    const QString written = value(QStringLiteral("Provider"));
    const QString p = written.trimmed().toLower();
    if (p == QLatin1String("sqlite") || p == QLatin1String("sqlite3"))
        return QStringLiteral("SQLite");
    if (p == QLatin1String("postgresql") || p == QLatin1String("psql") || p == QLatin1String("postgres") ||
        p == QLatin1String("pgsql"))
        return QStringLiteral("PostgreSQL");
    if (p == QLatin1String("odbc") || p.startsWith(QLatin1String("msdasql")))
        return QStringLiteral("ODBC");
    return written;
}

QString ConnectionString::qtDriver() const {
    const QString p = provider();
    if (p == QLatin1String("SQLite"))
        return QStringLiteral("QSQLITE");
    if (p == QLatin1String("PostgreSQL"))
        return QStringLiteral("QPSQL");
    if (p == QLatin1String("ODBC"))
        return QStringLiteral("QODBC");
    return {};
}

QString ConnectionString::redacted() const {
    QStringList parts;
    for (const Segment& seg : tokenize(m_text)) {
        if (!seg.hasKey)
            continue; // could be the tail of an unquoted password holding ';'
        if (isPasswordKey(seg.key.toUpper()))
            parts << seg.key + QStringLiteral("=***");
        else
            parts << seg.key + u'=' + quote(seg.value);
    }
    return parts.join(u';');
}

QString ConnectionString::quote(const QString& value) {
    if (!value.contains(u';') && !value.contains(u'"') && value.trimmed() == value)
        return value;
    QString v = value;
    v.replace(u'"', QLatin1String("\"\""));
    return u'"' + v + u'"';
}

QString ConnectionString::masked(const QString& text) const {
    QString out = text;
    if (!m_text.trimmed().isEmpty())
        out.replace(m_text, redacted());
    // A password key followed by '=' and its value: quoted, braced or up to
    // the next separator. A password's text elsewhere is left alone: it may
    // be an ordinary word of the message.
    static const QRegularExpression echoed(
        QStringLiteral(R"((\b(?:pwd|password)\s*=\s*)('[^']*'|"[^"]*"|\{[^}]*\}|[^;\s'"]*))"),
        QRegularExpression::CaseInsensitiveOption);
    out.replace(echoed, QStringLiteral("\\1***"));
    return out;
}

QString ConnectionString::server() const {
    const QString host = value(QStringLiteral("Host"));
    return host.isEmpty() ? value(QStringLiteral("Server")) : host;
}

QString ConnectionString::port() const {
    return value(QStringLiteral("Port"));
}
