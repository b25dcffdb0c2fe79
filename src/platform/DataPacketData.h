#pragma once
// Internal storage of a DataPacket, shared with the client dataset so that
// filters and indexes read cells without building a QVariant or QString per
// row. Not part of the public interface.

#include "DataPacket.h"

#include <QSharedData>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

// Grows a vector by half its size at a time: the default doubling would leave
// up to half of a large packet's memory unused.
template <class V> inline void growFor(V& v, size_t extra) {
    const size_t need = v.size() + extra;
    if (need > v.capacity())
        v.reserve(std::max(need, v.capacity() + v.capacity() / 2 + 16));
}

// One bit per cell, set for null.
class NullBits {
public:
    int count() const { return m_count; }
    bool at(int i) const { return (m_words[size_t(i) >> 6] >> (i & 63)) & 1u; }
    void push(bool null) {
        if ((m_count & 63) == 0) {
            growFor(m_words, 1);
            m_words.push_back(0);
        }
        if (null)
            m_words[size_t(m_count) >> 6] |= quint64(1) << (m_count & 63);
        ++m_count;
    }
    void set(int i, bool null) {
        const quint64 bit = quint64(1) << (i & 63);
        if (null)
            m_words[size_t(i) >> 6] |= bit;
        else
            m_words[size_t(i) >> 6] &= ~bit;
    }
    void reserve(size_t n) { m_words.reserve((n + 63) / 64); }
    size_t capacityBytes() const { return m_words.capacity() * sizeof(quint64); }

private:
    std::vector<quint64> m_words;
    int m_count = 0;
};

// Bytes of a text column, back to back. Raw storage: growing it does not
// zero-fill what is about to be overwritten.
class ByteArena {
public:
    ByteArena() = default;
    ByteArena(const ByteArena& o) : m_size(o.m_size), m_capacity(o.m_size) {
        if (m_size) {
            m_data = std::make_unique_for_overwrite<char[]>(m_size);
            std::memcpy(m_data.get(), o.m_data.get(), m_size);
        }
    }
    ByteArena& operator=(const ByteArena& o) {
        if (this != &o)
            *this = ByteArena(o);
        return *this;
    }
    ByteArena(ByteArena&&) noexcept = default;
    ByteArena& operator=(ByteArena&&) noexcept = default;

    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    const char* data() const { return m_data.get(); }
    // Room for n more bytes at the end; commit() then says how many were used.
    char* extend(size_t n) {
        if (m_size + n > m_capacity) {
            const size_t cap = std::max(m_size + n, m_capacity + m_capacity / 2 + 256);
            auto fresh = std::make_unique_for_overwrite<char[]>(cap);
            if (m_size)
                std::memcpy(fresh.get(), m_data.get(), m_size);
            m_data = std::move(fresh);
            m_capacity = cap;
        }
        return m_data.get() + m_size;
    }
    void commit(size_t n) { m_size += n; }
    void append(const char* p, size_t n) {
        if (n == 0)
            return;
        std::memcpy(extend(n), p, n);
        commit(n);
    }

private:
    std::unique_ptr<char[]> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// One column. Text cells are UTF-8, back to back in one arena, with the end
// offset of each cell; numbers sit in a plain vector. A null cell still takes
// its slot (empty text, zero) so that row r is always slot r.
struct PacketColumn {
    FieldKind kind = FieldKind::Text;
    NullBits nulls;
    ByteArena bytes;           // Text
    std::vector<quint32> ends; // Text: end of each cell in bytes
    std::vector<double> reals; // Float
    std::vector<qint64> ints;  // Integer; DateTime as msecs of the wall-clock time read as UTC

    int count() const { return nulls.count(); }
    bool isNull(int row) const { return row >= count() || nulls.at(row); }
    std::string_view textAt(int row) const {
        if (row >= int(ends.size()))
            return {};
        const quint32 begin = row == 0 ? 0 : ends[size_t(row) - 1];
        return {bytes.data() + begin, size_t(ends[size_t(row)] - begin)};
    }
    // Float and Integer cells as a double (DateTime: msecs).
    double numberAt(int row) const {
        if (kind == FieldKind::Float)
            return row < int(reals.size()) ? reals[size_t(row)] : 0.0;
        return row < int(ints.size()) ? double(ints[size_t(row)]) : 0.0;
    }
    qsizetype memoryUsage() const;
};

class DataPacketData : public QSharedData {
public:
    QList<FieldDef> fields;
    std::vector<PacketColumn> columns;
    int rows = 0;
    int cursor = 0; // next column of the row being built; == columns.size() when none is open
};

// Read access to the columns of a packet (friend of DataPacket).
class DataPacketAccess {
public:
    static const PacketColumn& column(const DataPacket& p, int col) { return p.d->columns[size_t(col)]; }
};

namespace PacketText {
// A float as the dataset shows it: integral values without decimals, others
// with up to 15 significant digits.
QString number(double value);
// The date-time text of the packet file: "yyyyMMddTHH:mm:sszzz".
QString dateTime(const QDateTime& value);
// Reads the packet form and a few common ones (ISO, dd/MM/yyyy); invalid when none fits.
QDateTime parseDateTime(QStringView text);
// Wall-clock msecs (date and time read as UTC) and back to a local QDateTime.
qint64 toWallMsecs(const QDateTime& value);
QDateTime fromWallMsecs(qint64 msecs);
} // namespace PacketText
