#pragma once
// Internal storage of a DataPacket, shared with the client dataset so that
// filters and indexes read cells without building a QVariant or QString per
// row. Not part of the public interface.

#include "DataPacket.h"

#include <QSharedData>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// Growable array of trivially copyable values on malloc/realloc. A large
// block grows in place (the C library remaps its pages), so the arrays can
// grow by small steps and leave little unused capacity in a big packet.
template <class T> class PodArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodArray() = default;
    PodArray(const PodArray& o) { assign(o); }
    PodArray& operator=(const PodArray& o) {
        if (this != &o) {
            clear();
            assign(o);
        }
        return *this;
    }
    PodArray(PodArray&& o) noexcept
        : m_data(std::exchange(o.m_data, nullptr)), m_size(std::exchange(o.m_size, 0)),
          m_capacity(std::exchange(o.m_capacity, 0)) {}
    PodArray& operator=(PodArray&& o) noexcept {
        if (this != &o) {
            clear();
            m_data = std::exchange(o.m_data, nullptr);
            m_size = std::exchange(o.m_size, 0);
            m_capacity = std::exchange(o.m_capacity, 0);
        }
        return *this;
    }
    ~PodArray() { std::free(m_data); }

    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    const T* data() const { return m_data; }
    T* data() { return m_data; }
    const T& operator[](size_t i) const { return m_data[i]; }
    T& operator[](size_t i) { return m_data[i]; }

    void reserve(size_t n) {
        if (n > m_capacity)
            reallocate(n);
    }
    void push_back(T v) {
        if (m_size == m_capacity) [[unlikely]]
            grow(1);
        m_data[m_size++] = v;
    }
    // Room for n more values at the end; commit() then says how many were used.
    T* extend(size_t n) {
        if (m_size + n > m_capacity)
            grow(n);
        return m_data + m_size;
    }
    void commit(size_t n) { m_size += n; }
    void append(const T* p, size_t n) {
        if (n == 0)
            return;
        std::memcpy(extend(n), p, n * sizeof(T));
        commit(n);
    }
    void clear() {
        std::free(m_data);
        m_data = nullptr;
        m_size = m_capacity = 0;
    }

private:
    void assign(const PodArray& o) {
        if (o.m_size) {
            reallocate(o.m_size);
            std::memcpy(m_data, o.m_data, o.m_size * sizeof(T));
            m_size = o.m_size;
        }
    }
    void grow(size_t extra) {
        // Doubling while small; an eighth at a time once large, which is
        // cheap because realloc then usually extends in place.
        const size_t bytes = m_capacity * sizeof(T);
        const size_t step = bytes < 65536 ? std::max<size_t>(m_capacity, 64 / sizeof(T)) : m_capacity / 8;
        reallocate(std::max(m_size + extra, m_capacity + step));
    }
    void reallocate(size_t capacity) {
        void* p = std::realloc(m_data, capacity * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        m_data = static_cast<T*>(p);
        m_capacity = capacity;
    }

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// One bit per cell, set for null.
class NullBits {
public:
    int count() const { return m_count; }
    bool at(int i) const { return (m_words[size_t(i) >> 6] >> (i & 63)) & 1u; }
    void push(bool null) {
        if ((m_count & 63) == 0)
            m_words.push_back(0);
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
    PodArray<quint64> m_words;
    int m_count = 0;
};

using ByteArena = PodArray<char>;

// One column. Text cells are UTF-8, back to back in one arena, with the end
// offset of each cell; numbers sit in a plain vector. A null cell still takes
// its slot (empty text, zero) so that row r is always slot r.
struct PacketColumn {
    FieldKind kind = FieldKind::Text;
    NullBits nulls;
    ByteArena bytes;        // Text
    PodArray<quint32> ends; // Text: end of each cell in bytes
    PodArray<double> reals; // Float
    PodArray<qint64> ints;  // Integer; DateTime as msecs of the wall-clock time read as UTC

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

// The length of the multi-byte UTF-8 sequence at `p` (before `end`), its code
// point in `cp`; 0 when it is not one: a stray or bad byte, cut short, an
// overlong form, a surrogate or past U+10FFFF.
inline int utf8SequenceAt(const char* p, const char* end, char32_t& cp) {
    const auto c = static_cast<unsigned char>(*p);
    int more = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        more = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        more = 2;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        more = 3;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (end - p <= more)
        return 0;
    for (int k = 1; k <= more; ++k) {
        const auto b = static_cast<unsigned char>(p[k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return more + 1;
}

// A packet parsed and checked against the limits of DataPacketFile.h in the
// same pass; nothing when it passes one or is not a valid packet (the
// bounded read then reads it the long way, for the fault and its detail).
std::optional<DataPacket> parsePacketWithinLimits(const QByteArray& xml);
// The plain form of a packet file (UTF-8, the packet's own elements, the
// predefined entities, whitespace between the tags: what the writer writes)
// read in one pass over its bytes, within the same limits; nothing for a file
// of any other form, or one that passes a limit or is not a valid packet,
// which the general reader then reads (the same packet, or the fault).
std::optional<DataPacket> parsePlainPacket(const QByteArray& xml);

namespace PacketText {
// A float as the dataset shows it: integral values without decimals, others
// with up to 15 significant digits.
QString number(double value);
// A cell as the dataset shows it to the operator: floats as number(), dates
// as "dd/MM/yyyy HH:mm:ss", anything else as its text.
QString display(const QVariant& value);
// The date-time text of the packet file: "yyyyMMddTHH:mm:sszzz".
QString dateTime(const QDateTime& value);
// Reads the packet form and a few common ones (ISO, dd/MM/yyyy); invalid when none fits.
QDateTime parseDateTime(QStringView text);
// A FIELD's fieldtype: "string" and its variants, the integer, float and
// date-time types; nothing for another.
std::optional<FieldKind> fieldKind(QStringView type);
// A number cell's text (already trimmed); *ok false when it is none.
double packetNumber(QStringView text, bool* ok);
// Wall-clock msecs (date and time read as UTC) and back to a local QDateTime.
qint64 toWallMsecs(const QDateTime& value);
QDateTime fromWallMsecs(qint64 msecs);
} // namespace PacketText
