#include "DataSetLocate.h"

#include "DataPacketData.h"
#include "DataSetView.h"

#include <QDateTime>

#include <algorithm>
#include <string_view>

namespace {

bool asciiEqualFolded(std::string_view a, std::string_view b, bool prefix) {
    if (prefix ? a.size() < b.size() : a.size() != b.size())
        return false;
    for (size_t i = 0; i < b.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; });
}

} // namespace

std::optional<LocateKey> LocateKey::make(const PacketColumn& column, FieldKind kind, const QVariant& value) {
    LocateKey k;
    k.m_col = &column;
    k.m_text = kind == FieldKind::Text;
    k.m_null = value.isNull() || !value.isValid();
    if (k.m_null)
        return k;
    if (k.m_text) {
        k.m_string = value.typeId() == QMetaType::Double ? PacketText::number(value.toDouble()) : value.toString();
        k.m_utf8 = k.m_string.toStdString();
        k.m_ascii = isAscii(k.m_utf8);
        return k;
    }
    const QDateTime dt = value.toDateTime();
    if (kind == FieldKind::DateTime && dt.isValid()) {
        k.m_number = double(PacketText::toWallMsecs(dt));
        return k;
    }
    bool ok = false;
    k.m_number = value.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return k;
}

bool LocateKey::matches(int row, LocateOptions options) const {
    const bool isNull = m_col->isNull(row);
    if (m_null || isNull)
        return m_null == isNull;
    if (!m_text)
        return m_col->numberAt(row) == m_number;
    const std::string_view cell = m_col->textAt(row);
    if (!options.caseInsensitive)
        return options.partialKey ? cell.substr(0, m_utf8.size()) == m_utf8 : cell == m_utf8;
    if (m_ascii && isAscii(cell))
        return asciiEqualFolded(cell, m_utf8, options.partialKey);
    const QString s = QString::fromUtf8(cell.data(), qsizetype(cell.size()));
    return options.partialKey ? s.startsWith(m_string, Qt::CaseInsensitive)
                              : s.compare(m_string, Qt::CaseInsensitive) == 0;
}

int locatePosition(const DataSetView& view, const std::vector<LocateKey>& keys, LocateOptions options,
                   const std::vector<LocateKey>& tailKeys, int tailFrom) {
    for (int i = 0; i < view.size(); ++i) {
        const int row = view.rowAt(i);
        const bool inTail = tailFrom >= 0 && row >= tailFrom;
        const std::vector<LocateKey>& set = inTail ? tailKeys : keys;
        const int at = inTail ? row - tailFrom : row;
        if (std::all_of(set.begin(), set.end(), [&](const LocateKey& k) { return k.matches(at, options); }))
            return i;
    }
    return -1;
}
