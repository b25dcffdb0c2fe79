#pragma once
// The visible rows of a client dataset: the rows of its packet that pass the
// filter, in the order of the active index (storage order when none). Rows
// are packet row numbers; a position is a place among the visible rows.

#include <cstddef>
#include <cstdint>
#include <vector>

class FilterExpression;
struct PacketColumn;

class DataSetView {
public:
    // What decides the visible rows: columns[field] is the packet column of
    // each dataset field, filter the filter switched on (null: none), and
    // keyFields the fields of the active index (empty: storage order).
    struct Rule {
        const std::vector<const PacketColumn*>& columns;
        const FilterExpression* filter = nullptr;
        const std::vector<int>& keyFields;
        // Rows from tailFrom on sit in the tail's columns (at row - tailFrom):
        // the rows a dataset appended to a packet shared with others. Null:
        // every row is in columns.
        const std::vector<const PacketColumn*>* tail = nullptr;
        int tailFrom = 0;
    };

    // Every row from 0 to rowCount - 1 placed anew. Rows equal on the index
    // keep their storage order; nulls sort before any value. With a source
    // (an identity of the rows' content that changes whenever they change;
    // 0 for none) the index order of all rows is kept and reused by the next
    // rebuild of the same source and index, which then only filters it.
    void rebuild(const Rule& rule, int rowCount, std::uint64_t source = 0);

    // Places a row appended to the packet (a row number above every row the
    // view holds) where rebuild() would put it, without visiting the others.
    // Returns its position, or -1 when the filter hides it.
    int insertAppended(const Rule& rule, int row);

    // Position of a row, -1 when it is not visible.
    int positionOf(int row) const;
    int rowAt(int position) const { return m_rows[static_cast<std::size_t>(position)]; }
    int size() const { return static_cast<int>(m_rows.size()); }
    bool empty() const { return m_rows.empty(); }
    void clear() { m_rows.clear(); }
    void release() {
        m_rows.clear();
        m_rows.shrink_to_fit();
        m_ordered = {};
    }
    // Exchanges the visible rows with others kept aside.
    void swapRows(std::vector<int>& other) { m_rows.swap(other); }

private:
    // Every row in the order of an index, for one source.
    struct Ordered {
        std::uint64_t source = 0;
        std::vector<int> keyFields;
        std::vector<int> rows;
    };
    const std::vector<int>& orderedRows(const Rule& rule, int rowCount, std::uint64_t source);

    std::vector<int> m_rows;
    Ordered m_ordered;
};
