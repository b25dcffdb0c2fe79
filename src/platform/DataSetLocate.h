#pragma once
// Locate over the visible rows of a client dataset: the values sought are
// converted once to their fields' kinds, then compared straight on the
// packet's columns.

#include "ClientDataSet.h"
#include "DataPacket.h"

#include <QString>
#include <QVariant>

#include <optional>
#include <string>

struct PacketColumn;
class DataSetView;

// One field of a locate and the value sought in it.
class LocateKey {
public:
    // Null when the value can never match a cell of the field (a text that
    // is no number, sought in a numeric field).
    static std::optional<LocateKey> make(const PacketColumn& column, FieldKind kind, const QVariant& value);

    bool matches(int row, LocateOptions options) const;

private:
    const PacketColumn* m_col = nullptr;
    bool m_text = true;
    bool m_null = false;
    bool m_ascii = true;
    std::string m_utf8;
    QString m_string;
    double m_number = 0;
};

// Position of the first visible row that every key matches; -1 when none.
// Rows from tailFrom on are matched by the tail keys (at row - tailFrom).
int locatePosition(const DataSetView& view, const std::vector<LocateKey>& keys, LocateOptions options,
                   const std::vector<LocateKey>& tailKeys = {}, int tailFrom = -1);
