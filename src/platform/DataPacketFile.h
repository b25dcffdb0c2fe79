#pragma once
// Reading a data packet that comes from outside the program (an import file,
// the screen's parameter file). Such a file may be anything: before it is
// parsed it is checked against fixed limits, reading it as a stream, so that a
// huge, deeply nested or overlong file is refused without ever being held in
// memory whole.

#include "DataPacket.h"

#include <QString>

#include <optional>

class QIODevice;

namespace PacketLimits {
inline constexpr qint64 maxBytes = 64LL * 1024 * 1024; // the file
inline constexpr int maxDepth = 16;                    // nested elements (a packet needs 4)
inline constexpr int maxRows = 100'000;                // ROW elements
inline constexpr int maxFields = 128;                  // FIELD elements
inline constexpr int maxAttributes = 256;              // attributes of one element
inline constexpr int maxTagBytes = 1024 * 1024;        // one tag with its attributes, or one text
} // namespace PacketLimits

enum class PacketFault {
    None,
    Unreadable,
    TooLarge,
    TooDeep,
    TooManyRows,
    TooManyFields,
    TooManyAttributes,
    TooLongElement,
    NotXml,
    NotPacket, // well-formed XML whose root is not DATAPACKET
    Invalid,   // a DATAPACKET with a bad structure or value
};

struct PacketRead {
    std::optional<DataPacket> packet;
    PacketFault fault = PacketFault::None;
    QString detail; // what was wrong, in English, for the log
};

// True for the faults that are a limit passed (size, depth, rows, fields,
// attributes, the length of one element).
bool isOverLimit(PacketFault fault);

// Reads a data packet from a device open for reading at its start: checks the
// limits on a streaming pass, then reads and parses it. A sequential device is
// read at most up to the size limit.
PacketRead readBoundedPacket(QIODevice& device);
// The same for a file; Unreadable when it cannot be opened.
PacketRead readPacketFile(const QString& path);
