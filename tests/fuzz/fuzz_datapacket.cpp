// The data-packet reader on any bytes, on the path of an import file and of
// the screen's parameter file: the bounded read (the parser within the
// limits; for a packet it refuses, the scan of the limits, then the parser),
// then, for a packet that is accepted, what the screen does with its
// parameter file (opens it in a client dataset and reads the six colours),
// and that a packet it reads is the one the parser alone reads.
#include "ClientDataSet.h"
#include "DataPacketFile.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const PacketRead read = readBoundedPacket(buffer);
    if (!read.packet)
        return 0;
    // The bounded read parses within the limits in one pass: what it reads
    // is what the parser alone reads.
    const std::optional<DataPacket> alone = DataPacket::fromXml(bytes);
    if (!alone || alone->toXml() != read.packet->toXml())
        __builtin_trap();
    ClientDataSet parametros;
    parametros.setPacket(*read.packet);
    if (parametros.isEmpty())
        return 0;
    parametros.first();
    for (int i = 1; i <= 6; ++i) {
        const QString campo = QStringLiteral("INCOR%1").arg(i);
        if (parametros.fieldIndex(campo) >= 0)
            (void)parametros.fieldValue(campo).toDouble();
    }
    for (int c = 0; c < read.packet->fieldCount(); ++c)
        (void)parametros.fieldText(read.packet->fields()[c].name);
    return 0;
}
