#include "DataSetView.h"

#include "DataPacketData.h"
#include "FilterExpression.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

// Index order over the key columns: nulls first, text as bytes, numbers as numbers.
class RowOrder {
public:
    explicit RowOrder(const DataSetView::Rule& rule)
        : m_tailFrom(rule.tail ? rule.tailFrom : std::numeric_limits<int>::max()) {
        for (const int f : rule.keyFields) {
            m_keys.push_back(rule.columns[static_cast<size_t>(f)]);
            m_tailKeys.push_back(rule.tail ? (*rule.tail)[static_cast<size_t>(f)] : nullptr);
        }
    }
    bool any() const { return !m_keys.empty(); }

    bool operator()(int x, int y) const {
        for (size_t k = 0; k < m_keys.size(); ++k) {
            const PacketColumn* cx = x < m_tailFrom ? m_keys[k] : m_tailKeys[k];
            const PacketColumn* cy = y < m_tailFrom ? m_keys[k] : m_tailKeys[k];
            const int rx = x < m_tailFrom ? x : x - m_tailFrom;
            const int ry = y < m_tailFrom ? y : y - m_tailFrom;
            const bool nx = cx->isNull(rx);
            const bool ny = cy->isNull(ry);
            if (nx != ny)
                return nx;
            if (nx)
                continue;
            if (cx->kind == FieldKind::Text) {
                const int cmp = cx->textAt(rx).compare(cy->textAt(ry));
                if (cmp != 0)
                    return cmp < 0;
            } else {
                const double a = cx->numberAt(rx);
                const double b = cy->numberAt(ry);
                if (a != b)
                    return a < b;
            }
        }
        return false;
    }

private:
    int m_tailFrom;
    std::vector<const PacketColumn*> m_keys;
    std::vector<const PacketColumn*> m_tailKeys;
};

bool passes(const DataSetView::Rule& rule, int row) {
    if (!rule.filter)
        return true;
    if (rule.tail && row >= rule.tailFrom)
        return rule.filter->matches(*rule.tail, row - rule.tailFrom);
    return rule.filter->matches(rule.columns, row);
}

} // namespace

void DataSetView::rebuild(const Rule& rule, int rowCount, std::uint64_t source) {
    m_rows.clear();
    const RowOrder order(rule);
    if (order.any() && source != 0) {
        // Filtering the rows in index order keeps that order: the same rows,
        // in the same order, as filtering first and sorting the rest.
        const std::vector<int>& ordered = orderedRows(rule, rowCount, source);
        if (!rule.filter) {
            m_rows = ordered;
            return;
        }
        m_rows.reserve(ordered.size());
        for (const int r : ordered)
            if (passes(rule, r))
                m_rows.push_back(r);
        return;
    }
    m_rows.reserve(static_cast<size_t>(rowCount));
    for (int r = 0; r < rowCount; ++r)
        if (passes(rule, r))
            m_rows.push_back(r);
    if (order.any() && !std::is_sorted(m_rows.begin(), m_rows.end(), order))
        std::stable_sort(m_rows.begin(), m_rows.end(), order);
}

const std::vector<int>& DataSetView::orderedRows(const Rule& rule, int rowCount, std::uint64_t source) {
    if (m_ordered.source == source && m_ordered.keyFields == rule.keyFields &&
        m_ordered.rows.size() == static_cast<size_t>(rowCount))
        return m_ordered.rows;
    m_ordered.source = 0;
    m_ordered.rows.resize(static_cast<size_t>(rowCount));
    std::iota(m_ordered.rows.begin(), m_ordered.rows.end(), 0);
    const RowOrder order(rule);
    // A query's rows often arrive in the index's order already.
    if (!std::is_sorted(m_ordered.rows.begin(), m_ordered.rows.end(), order))
        std::stable_sort(m_ordered.rows.begin(), m_ordered.rows.end(), order);
    m_ordered.keyFields = rule.keyFields;
    m_ordered.source = source;
    return m_ordered.rows;
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
