// The client dataset's filter on any expression, as the product search sets
// it: parsed when the filter is switched on, then evaluated on every row of a
// small packet with a field of each kind and null cells.
#include "ClientDataSet.h"

#include <cstddef>
#include <cstdint>

namespace {

DataPacket produtos() {
    DataPacket p({{QStringLiteral("CDPRODUTO"), FieldKind::Text, 10},
                  {QStringLiteral("NMPRODUTO"), FieldKind::Text, 40},
                  {QStringLiteral("VRPRECO"), FieldKind::Float, 0},
                  {QStringLiteral("QTESTOQUE"), FieldKind::Integer, 0},
                  {QStringLiteral("DTALTERA"), FieldKind::DateTime, 0}});
    p.appendRow({QStringLiteral("0001"), QStringLiteral("Café"), 4.5, qint64(10),
                 QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))});
    p.appendRow({QStringLiteral("O'Brien"), QVariant(), QVariant(), qint64(-3), QVariant()});
    p.appendRow({QString(), QStringLiteral("Pão de queijo"), 0.1, QVariant(), QDateTime(QDate(1999, 12, 31), QTime())});
    p.appendRow({QStringLiteral("12"), QStringLiteral("12"), 12.0, qint64(12), QVariant()});
    return p;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const DataPacket packet = produtos();
    ClientDataSet cds;
    cds.setPacket(packet);
    try {
        cds.setFilter(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
        cds.setFiltered(true);
    } catch (const DataSetError&) {
        return 0; // a bad expression is refused: that is the expected outcome
    }
    int seen = 0;
    for (cds.first(); !cds.eof(); cds.next())
        ++seen;
    if (seen != cds.recordCount() || seen > packet.rowCount())
        __builtin_trap(); // the filter shows rows that are not there
    return 0;
}
