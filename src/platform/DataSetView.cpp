#include "DataSetView.h"

#include "DataPacketData.h"
#include "FilterExpression.h"

#include <algorithm>

namespace {

// Index order over the key columns: nulls first, text as bytes, numbers as numbers.
class RowOrder {
public:
    explicit RowOrder(const DataSetView::Rule& rule) {
        for (const int f : rule.keyFields)
            m_keys.push_back(rule.columns[static_cast<size_t>(f)]);
    }
    bool any() const { return !m_keys.empty(); }

    bool operator()(int x, int y) const {
        for (const PacketColumn* c : m_keys) {
            const bool nx = c->isNull(x);
            const bool ny = c->isNull(y);
            if (nx != ny)
                return nx;
            if (nx)
                continue;
            if (c->kind == FieldKind::Text) {
                const int cmp = c->textAt(x).compare(c->textAt(y));
                if (cmp != 0)
                    return cmp < 0;
            } else {
                const double a = c->numberAt(x);
                const double b = c->numberAt(y);
                if (a != b)
                    return a < b;
            }
        }
        return false;
    }

private:
    std::vector<const PacketColumn*> m_keys;
};

bool passes(const DataSetView::Rule& rule, int row) {
    return !rule.filter || rule.filter->matches(rule.columns, row);
}

} // namespace

void DataSetView::rebuild(const Rule& rule, int rowCount) {
    m_rows.clear();
    m_rows.reserve(static_cast<size_t>(rowCount));
    for (int r = 0; r < rowCount; ++r)
        if (passes(rule, r))
            m_rows.push_back(r);
    const RowOrder order(rule);
    if (order.any())
        std::stable_sort(m_rows.begin(), m_rows.end(), order);
}

int DataSetView::insertAppended(const Rule& rule, int row) {
    if (!passes(rule, row))
        return -1;
    const RowOrder order(rule);
    // After every row it ties with: they all come before it in storage order,
    // which is where the stable sort of rebuild() puts it.
    const auto at = order.any() ? std::upper_bound(m_rows.begin(), m_rows.end(), row, order) : m_rows.end();
    const auto position = at - m_rows.begin();
    m_rows.insert(at, row);
    return static_cast<int>(position);
}

int DataSetView::positionOf(int row) const {
    const auto it = std::find(m_rows.begin(), m_rows.end(), row);
    return row >= 0 && it != m_rows.end() ? static_cast<int>(it - m_rows.begin()) : -1;
}
