#include "FilterExpression.h"
#include "ClientDataSet.h"
#include "DataPacketData.h"

#include <cstring>

namespace {

int compareBytes(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int compareNumbers(double a, double b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

struct Token {
    enum Type { End, Name, String, Number, LParen, RParen, Op } type = End;
    QString text;
    int pos = 0; // 1-based, for messages
};

} // namespace

class FilterParser {
public:
    FilterParser(const QString& text, const FilterExpression::FieldLookup& lookup, FilterExpression& out)
        : m_text(text), m_lookup(lookup), m_out(out) {}

    void parse() {
        advance();
        if (m_tok.type == Token::End)
            error(QStringLiteral("the expression is empty"));
        m_out.m_root = parseOr();
        if (m_tok.type != Token::End)
            error(QStringLiteral("unexpected \"%1\"").arg(m_tok.text));
    }

private:
    using Node = FilterExpression::Node;
    using Operand = FilterExpression::Operand;
    using Op = FilterExpression::Op;

    [[noreturn]] void error(const QString& why) const {
        throw DataSetError(QStringLiteral("Invalid filter \"%1\" at position %2: %3")
                               .arg(m_text)
                               .arg(m_tok.pos)
                               .arg(why)
                               .toStdString());
    }

    bool isKeyword(const char* word) const {
        return m_tok.type == Token::Name && m_tok.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    void advance() {
        const qsizetype n = m_text.size();
        while (m_at < n && m_text[m_at].isSpace())
            ++m_at;
        m_tok = Token();
        m_tok.pos = int(m_at) + 1;
        if (m_at >= n)
            return;
        const QChar c = m_text[m_at];
        if (c == u'(' || c == u')') {
            m_tok.type = c == u'(' ? Token::LParen : Token::RParen;
            m_tok.text = c;
            ++m_at;
        } else if (c == u'\'') {
            readString();
        } else if (c.isDigit() || (c == u'.' && m_at + 1 < n && m_text[m_at + 1].isDigit()) ||
                   (c == u'-' && m_at + 1 < n && (m_text[m_at + 1].isDigit() || m_text[m_at + 1] == u'.'))) {
            qsizetype end = m_at + 1;
            while (end < n && (m_text[end].isDigit() || m_text[end] == u'.'))
                ++end;
            m_tok.type = Token::Number;
            m_tok.text = m_text.mid(m_at, end - m_at);
            m_at = end;
        } else if (c.isLetter() || c == u'_') {
            qsizetype end = m_at + 1;
            while (end < n && (m_text[end].isLetterOrNumber() || m_text[end] == u'_'))
                ++end;
            m_tok.type = Token::Name;
            m_tok.text = m_text.mid(m_at, end - m_at);
            m_at = end;
        } else if (c == u'[') {
            const qsizetype close = m_text.indexOf(u']', m_at + 1);
            if (close < 0)
                error(QStringLiteral("missing \"]\" after a field name"));
            m_tok.type = Token::Name;
            m_tok.text = m_text.mid(m_at + 1, close - m_at - 1);
            m_at = close + 1;
        } else {
            static const char* const ops[] = {"<>", "!=", "<=", ">=", "=", "<", ">"};
            for (const char* op : ops) {
                const auto len = qsizetype(std::strlen(op));
                if (QStringView(m_text).mid(m_at, len) == QLatin1String(op)) {
                    m_tok.type = Token::Op;
                    m_tok.text = QString::fromLatin1(op);
                    m_at += len;
                    return;
                }
            }
            error(QStringLiteral("unexpected character \"%1\"").arg(c));
        }
    }

    void readString() {
        QString value;
        qsizetype i = m_at + 1;
        const qsizetype n = m_text.size();
        for (;;) {
            if (i >= n)
                error(QStringLiteral("unterminated text literal"));
            if (m_text[i] == u'\'') {
                if (i + 1 < n && m_text[i + 1] == u'\'') {
                    value += u'\'';
                    i += 2;
                    continue;
                }
                break;
            }
            value += m_text[i++];
        }
        m_tok.type = Token::String;
        m_tok.text = value;
        m_at = i + 1;
    }

    int add(Node node) {
        if (m_out.m_nodes.size() >= 20000)
            error(QStringLiteral("the expression is too long"));
        m_out.m_nodes.push_back(std::move(node));
        return int(m_out.m_nodes.size()) - 1;
    }

    int binary(Node::Type type, int left, int right) {
        Node n;
        n.type = type;
        n.left = left;
        n.right = right;
        return add(std::move(n));
    }

    int parseOr() {
        int left = parseAnd();
        while (isKeyword("OR")) {
            advance();
            left = binary(Node::Or, left, parseAnd());
        }
        return left;
    }

    int parseAnd() {
        int left = parseNot();
        while (isKeyword("AND")) {
            advance();
            left = binary(Node::And, left, parseNot());
        }
        return left;
    }

    int parseNot() {
        if (isKeyword("NOT")) {
            if (++m_depth > 200)
                error(QStringLiteral("too deeply nested"));
            advance();
            const int inner = parseNot();
            --m_depth;
            return binary(Node::Not, inner, -1);
        }
        return parsePrimary();
    }

    int parsePrimary() {
        if (m_tok.type == Token::LParen) {
            if (++m_depth > 200)
                error(QStringLiteral("too deeply nested"));
            advance();
            const int inner = parseOr();
            if (m_tok.type != Token::RParen)
                error(m_tok.type == Token::End ? QStringLiteral("missing \")\"")
                                               : QStringLiteral("expected \")\" but found \"%1\"").arg(m_tok.text));
            advance();
            --m_depth;
            return inner;
        }
        Node n;
        n.a = parseOperand();
        if (isKeyword("IS")) {
            if (n.a.field < 0)
                error(QStringLiteral("IS NULL needs a field name"));
            advance();
            n.type = Node::IsNull;
            if (isKeyword("NOT")) {
                n.type = Node::IsNotNull;
                advance();
            }
            if (!isKeyword("NULL"))
                error(QStringLiteral("expected NULL after IS"));
            advance();
            return add(std::move(n));
        }
        if (m_tok.type != Token::Op)
            error(m_tok.type == Token::End
                      ? QStringLiteral("a comparison is incomplete")
                      : QStringLiteral("expected a comparison operator but found \"%1\"").arg(m_tok.text));
        n.op = opOf(m_tok.text);
        advance();
        n.b = parseOperand();
        bind(n);
        return add(std::move(n));
    }

    static Op opOf(const QString& t) {
        if (t == QLatin1String("="))
            return Op::Eq;
        if (t == QLatin1String("<>") || t == QLatin1String("!="))
            return Op::Ne;
        if (t == QLatin1String("<"))
            return Op::Lt;
        if (t == QLatin1String(">"))
            return Op::Gt;
        if (t == QLatin1String("<="))
            return Op::Le;
        return Op::Ge;
    }

    static Op mirrored(Op op) {
        switch (op) {
        case Op::Lt:
            return Op::Gt;
        case Op::Gt:
            return Op::Lt;
        case Op::Le:
            return Op::Ge;
        case Op::Ge:
            return Op::Le;
        default:
            return op;
        }
    }

    Operand parseOperand() {
        Operand o;
        switch (m_tok.type) {
        case Token::Name: {
            if (isKeyword("AND") || isKeyword("OR") || isKeyword("NOT") || isKeyword("IS") || isKeyword("NULL"))
                error(QStringLiteral("expected a field name or a value but found \"%1\"").arg(m_tok.text));
            FieldKind kind = FieldKind::Text;
            o.field = m_lookup(m_tok.text, &kind);
            if (o.field < 0)
                error(QStringLiteral("unknown field \"%1\"").arg(m_tok.text));
            o.kind = kind;
            break;
        }
        case Token::String:
            o.text = m_tok.text.toStdString();
            o.number = m_tok.text.trimmed().toDouble(&o.numeric);
            break;
        case Token::Number:
            o.text = m_tok.text.toStdString();
            o.number = m_tok.text.toDouble(&o.numeric);
            if (!o.numeric)
                error(QStringLiteral("invalid number \"%1\"").arg(m_tok.text));
            break;
        default:
            error(m_tok.type == Token::End
                      ? QStringLiteral("a comparison is incomplete")
                      : QStringLiteral("expected a field name or a value but found \"%1\"").arg(m_tok.text));
        }
        advance();
        return o;
    }

    // Puts the field on the left and checks that the two sides can be compared.
    void bind(Node& n) const {
        if (n.a.field < 0 && n.b.field >= 0) {
            std::swap(n.a, n.b);
            n.op = mirrored(n.op);
        }
        if (n.a.field < 0)
            return; // two literals
        const bool textField = n.a.kind == FieldKind::Text;
        if (n.b.field >= 0) {
            if (textField != (n.b.kind == FieldKind::Text))
                error(QStringLiteral("a text field cannot be compared with a numeric field"));
            return;
        }
        if (textField)
            return;
        if (n.a.kind == FieldKind::DateTime) {
            const QDateTime dt = PacketText::parseDateTime(QString::fromStdString(n.b.text));
            if (!dt.isValid())
                error(QStringLiteral("\"%1\" is not a date").arg(QString::fromStdString(n.b.text)));
            n.b.number = double(PacketText::toWallMsecs(dt));
            n.b.numeric = true;
        } else if (!n.b.numeric) {
            error(QStringLiteral("\"%1\" is not a number").arg(QString::fromStdString(n.b.text)));
        }
    }

    const QString& m_text;
    const FilterExpression::FieldLookup& m_lookup;
    FilterExpression& m_out;
    qsizetype m_at = 0;
    int m_depth = 0;
    Token m_tok;
};

FilterExpression::FilterExpression(const QString& text, const FieldLookup& lookup) {
    FilterParser(text, lookup, *this).parse();
}

bool FilterExpression::matches(const std::vector<const PacketColumn*>& columns, int row) const {
    return eval(m_root, columns, row);
}

bool FilterExpression::eval(int node, const std::vector<const PacketColumn*>& columns, int row) const {
    const Node& n = m_nodes[size_t(node)];
    switch (n.type) {
    case Node::And:
        return eval(n.left, columns, row) && eval(n.right, columns, row);
    case Node::Or:
        return eval(n.left, columns, row) || eval(n.right, columns, row);
    case Node::Not:
        return !eval(n.left, columns, row);
    case Node::IsNull:
        return columns[size_t(n.a.field)]->isNull(row);
    case Node::IsNotNull:
        return !columns[size_t(n.a.field)]->isNull(row);
    case Node::Compare:
        return compare(n, columns, row);
    }
    return false;
}

bool FilterExpression::compare(const Node& n, const std::vector<const PacketColumn*>& columns, int row) const {
    int c = 0;
    if (n.a.field < 0) {
        c = n.a.numeric && n.b.numeric ? compareNumbers(n.a.number, n.b.number) : compareBytes(n.a.text, n.b.text);
    } else {
        const PacketColumn* a = columns[size_t(n.a.field)];
        if (a->isNull(row))
            return false;
        const bool text = n.a.kind == FieldKind::Text;
        if (n.b.field >= 0) {
            const PacketColumn* b = columns[size_t(n.b.field)];
            if (b->isNull(row))
                return false;
            c = text ? compareBytes(a->textAt(row), b->textAt(row))
                     : compareNumbers(a->numberAt(row), b->numberAt(row));
        } else {
            c = text ? compareBytes(a->textAt(row), n.b.text) : compareNumbers(a->numberAt(row), n.b.number);
        }
    }
    switch (n.op) {
    case Op::Eq:
        return c == 0;
    case Op::Ne:
        return c != 0;
    case Op::Lt:
        return c < 0;
    case Op::Gt:
        return c > 0;
    case Op::Le:
        return c <= 0;
    case Op::Ge:
        return c >= 0;
    }
    return false;
}
