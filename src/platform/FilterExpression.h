#pragma once
// A dataset filter, parsed once into a small tree and evaluated per row
// straight on the packet's columns.
//
// Grammar (keywords case-insensitive, blanks optional around parentheses):
//   expr    := and { OR and }
//   and     := not { AND not }
//   not     := NOT not | primary
//   primary := '(' expr ')' | operand ( IS [NOT] NULL | op operand )
//   operand := field | 'text' (quotes doubled inside) | number
//   op      := = | <> | != | < | > | <= | >=
// A comparison that involves a null cell is false (so NOT of it is true);
// IS NULL tests for null. Text is compared as text (case-sensitive), numbers
// as numbers.

#include "DataPacket.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

struct PacketColumn;

class FilterExpression {
public:
    // Resolves a field name to the dataset field and its kind (-1 when unknown).
    using FieldLookup = std::function<int(QStringView name, FieldKind* kind)>;

    // Throws DataSetError with the position and the reason on a bad expression.
    FilterExpression(const QString& text, const FieldLookup& lookup);

    // columns[field] = the packet column that holds the dataset field.
    bool matches(const std::vector<const PacketColumn*>& columns, int row) const;

private:
    enum class Op { Eq, Ne, Lt, Gt, Le, Ge };
    struct Operand {
        int field = -1; // -1: a literal
        FieldKind kind = FieldKind::Text;
        std::string text; // UTF-8 of a literal
        double number = 0;
        bool numeric = false; // the literal has a numeric value
    };
    struct Node {
        enum Type { And, Or, Not, Compare, IsNull, IsNotNull } type = Compare;
        int left = -1;
        int right = -1;
        Op op = Op::Eq;
        Operand a;
        Operand b;
    };

    bool eval(int node, const std::vector<const PacketColumn*>& columns, int row) const;
    bool compare(const Node& n, const std::vector<const PacketColumn*>& columns, int row) const;

    std::vector<Node> m_nodes;
    int m_root = -1;

    friend class FilterParser;
};
