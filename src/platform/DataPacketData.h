#pragma once
// Internal storage of a DataPacket, shared with the client dataset so that
// filters and indexes read cells without building a QVariant or QString per
// row. Not part of the public interface.

#include "DataPacket.h"

#include <QSharedData>

#include <algorithm>
#include <string_view>
#include <vector>

// One column. Text cells are UTF-8, back to back in one arena, with the end
// offset of each cell; numbers sit in a plain vector. A null cell still takes
// its slot (empty text, zero) so that row r is always slot r.
struct PacketColumn {
    FieldKind kind = FieldKind::Text;
    std::vector<bool> nulls;
    std::vector<char> bytes;   // Text
    std::vector<quint32> ends; // Text: end of each cell in bytes
    std::vector<double> reals; // Float
    std::vector<qint64> ints;  // Integer; DateTime as msecs of the wall-clock time read as UTC

    int count() const { return int(nulls.size()); }
    bool isNull(int row) const { return row >= count() || nulls[size_t(row)]; }
    std::string_view textAt(int row) const
    {
        if (row >= int(ends.size()))
            return {};
        const quint32 begin = row == 0 ? 0 : ends[size_t(row) - 1];
        return {bytes.data() + begin, size_t(ends[size_t(row)] - begin)};
    }
    // Float and Integer cells as a double (DateTime: msecs).
    double numberAt(int row) const
    {
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

// Grows a vector by half its size at a time: the default doubling would leave
// up to half of a large packet's memory unused.
template <class V> inline void growFor(V& v, size_t extra)
{
    const size_t need = v.size() + extra;
    if (need > v.capacity())
        v.reserve(std::max(need, v.capacity() + v.capacity() / 2 + 16));
}

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
