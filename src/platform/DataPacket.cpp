#include "DataPacket.h"
#include "DataPacketData.h"

#include <QTimeZone>

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace {

const bool metaTypeRegistered = [] {
    qRegisterMetaType<DataPacket>("DataPacket");
    return true;
}();

void storeText(PacketColumn& c, QStringView text) {
    const size_t n = size_t(text.size());
    const char16_t* s = text.utf16();
    // Most cells are short ASCII codes and names: copy them straight in and
    // only fall back to the full encoder when a non-ASCII character shows up.
    // ASCII four characters at a time; the first non-ASCII character hands
    // the rest to the full encoder.
    char* out = c.bytes.extend(n);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        quint64 w;
        std::memcpy(&w, s + i, sizeof w);
        if (w & 0xFF80FF80FF80FF80ull)
            break;
        const quint32 packed =
            quint32((w & 0xFF) | ((w >> 8) & 0xFF00) | ((w >> 16) & 0xFF0000) | ((w >> 24) & 0xFF000000));
        std::memcpy(out + i, &packed, sizeof packed);
    }
    for (; i < n && s[i] < 0x80; ++i)
        out[i] = char(s[i]);
    c.bytes.commit(i);
    if (i < n) {
        const QByteArray rest = text.sliced(qsizetype(i)).toUtf8();
        c.bytes.append(rest.constData(), size_t(rest.size()));
    }
    if (c.bytes.size() > 0xFFFFFFFFu)
        throw std::length_error("DataPacket: text column larger than 4 GiB");
    c.ends.push_back(quint32(c.bytes.size()));
}

void pushNull(PacketColumn& c) {
    c.nulls.push(true);
    switch (c.kind) {
    case FieldKind::Text:
        c.ends.push_back(quint32(c.bytes.size()));
        break;
    case FieldKind::Float:
        c.reals.push_back(0.0);
        break;
    case FieldKind::Integer:
    case FieldKind::DateTime:
        c.ints.push_back(0);
        break;
    }
}

void pushFlag(PacketColumn& c) {
    c.nulls.push(false);
}

void pushReal(PacketColumn& c, double v) {
    pushFlag(c);
    c.reals.push_back(v);
}

void pushInt(PacketColumn& c, qint64 v) {
    pushFlag(c);
    c.ints.push_back(v);
}

std::optional<double> parseNumber(QStringView text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (ok && std::isfinite(v))
        return v;
    return std::nullopt;
}

qint64 roundToInteger(double v) {
    if (!std::isfinite(v))
        return 0;
    if (v >= 9.2e18)
        return std::numeric_limits<qint64>::max();
    if (v <= -9.2e18)
        return std::numeric_limits<qint64>::min();
    return std::llround(v);
}

std::optional<qint64> parseInteger(QStringView text) {
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (ok)
        return v;
    if (auto d = parseNumber(text))
        return roundToInteger(*d);
    return std::nullopt;
}

PacketColumn makeColumn(FieldKind kind) {
    PacketColumn c;
    c.kind = kind;
    return c;
}

} // namespace

// ---- text forms -----------------------------------------------------------

QString PacketText::display(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Double:
        return number(v.toDouble());
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    default:
        return v.toString();
    }
}

QString PacketText::number(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

QString PacketText::dateTime(const QDateTime& value) {
    return value.toString(QStringLiteral("yyyyMMdd'T'HH:mm:sszzz"));
}

QDateTime PacketText::parseDateTime(QStringView text) {
    const QString t = text.trimmed().toString();
    static const char* const formats[] = {"yyyyMMdd'T'HH:mm:sszzz",
                                          "yyyyMMdd'T'HH:mm:ss",
                                          "yyyyMMdd",
                                          "yyyy-MM-dd'T'HH:mm:ss.zzz",
                                          "yyyy-MM-dd'T'HH:mm:ss",
                                          "yyyy-MM-dd HH:mm:ss",
                                          "yyyy-MM-dd",
                                          "dd/MM/yyyy HH:mm:ss",
                                          "dd/MM/yyyy"};
    for (const char* f : formats) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(f));
        if (dt.isValid())
            return dt;
    }
    return {};
}

qint64 PacketText::toWallMsecs(const QDateTime& value) {
    return QDateTime(value.date(), value.time(), QTimeZone::utc()).toMSecsSinceEpoch();
}

QDateTime PacketText::fromWallMsecs(qint64 msecs) {
    const QDateTime utc = QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc());
    return QDateTime(utc.date(), utc.time());
}

qsizetype PacketColumn::memoryUsage() const {
    return qsizetype(nulls.capacityBytes() + bytes.capacity() + ends.capacity() * sizeof(quint32) +
                     reals.capacity() * sizeof(double) + ints.capacity() * sizeof(qint64));
}

// ---- DataPacket -----------------------------------------------------------

DataPacket::DataPacket() : d(new DataPacketData) {
}

DataPacket::DataPacket(const QList<FieldDef>& fields) : d(new DataPacketData) {
    d->fields = fields;
    d->columns.reserve(size_t(fields.size()));
    for (const FieldDef& f : fields)
        d->columns.push_back(makeColumn(f.kind));
    d->cursor = int(fields.size());
}

DataPacket::DataPacket(const DataPacket&) = default;
DataPacket& DataPacket::operator=(const DataPacket&) = default;
DataPacket::DataPacket(DataPacket&&) noexcept = default;
DataPacket& DataPacket::operator=(DataPacket&&) noexcept = default;
DataPacket::~DataPacket() = default;

const QList<FieldDef>& DataPacket::fields() const {
    return d->fields;
}
int DataPacket::fieldCount() const {
    return int(d->fields.size());
}
int DataPacket::rowCount() const {
    return d->rows;
}

int DataPacket::indexOf(QStringView name) const {
    for (int i = 0; i < d->fields.size(); ++i)
        if (QStringView(d->fields[i].name).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void DataPacket::reserve(int rows) {
    if (rows <= 0)
        return;
    const size_t n = size_t(rows);
    for (PacketColumn& c : d->columns) {
        c.nulls.reserve(n);
        if (c.kind == FieldKind::Text)
            c.ends.reserve(n);
        else if (c.kind == FieldKind::Float)
            c.reals.reserve(n);
        else
            c.ints.reserve(n);
    }
}

void DataPacket::beginRow() {
    DataPacketData* p = d.data();
    const int n = int(p->columns.size());
    // A row left short is completed with nulls, so every column keeps one
    // slot per row.
    while (p->cursor < n)
        pushNull(p->columns[size_t(p->cursor++)]);
    ++p->rows;
    p->cursor = 0;
}

[[noreturn]] static void tooManyCells() {
    throw std::out_of_range("DataPacket: more cells than columns in a row (or no beginRow)");
}

static inline PacketColumn& nextCell(DataPacketData* p) {
    if (p->cursor >= int(p->columns.size())) [[unlikely]]
        tooManyCells();
    return p->columns[size_t(p->cursor++)];
}

void DataPacket::appendNull() {
    pushNull(nextCell(d.data()));
}

void DataPacket::appendText(QStringView text) {
    PacketColumn& c = nextCell(d.data());
    switch (c.kind) {
    case FieldKind::Text:
        pushFlag(c);
        storeText(c, text);
        return;
    case FieldKind::Float:
        if (auto v = parseNumber(text))
            pushReal(c, *v);
        else
            pushNull(c);
        return;
    case FieldKind::Integer:
        if (auto v = parseInteger(text))
            pushInt(c, *v);
        else
            pushNull(c);
        return;
    case FieldKind::DateTime: {
        const QDateTime dt = PacketText::parseDateTime(text);
        if (dt.isValid())
            pushInt(c, PacketText::toWallMsecs(dt));
        else
            pushNull(c);
        return;
    }
    }
}

void DataPacket::appendUtf8(const char* data, qsizetype size) {
    if (size < 0 || (size > 0 && !data))
        throw std::invalid_argument("DataPacket::appendUtf8: invalid text buffer");
    PacketColumn& c = nextCell(d.data());
    if (c.kind != FieldKind::Text || !QByteArrayView(data, size).isValidUtf8()) {
        --d->cursor; // let appendText take the cell
        appendText(QString::fromUtf8(data, size));
        return;
    }
    if (c.bytes.size() + size_t(size) > 0xFFFFFFFFu)
        throw std::length_error("DataPacket: text column larger than 4 GiB");
    pushFlag(c);
    c.bytes.append(data, size_t(size));
    c.ends.push_back(quint32(c.bytes.size()));
}

void DataPacket::appendNumber(double value) {
    PacketColumn& c = nextCell(d.data());
    switch (c.kind) {
    case FieldKind::Text:
        pushFlag(c);
        storeText(c, PacketText::number(value));
        return;
    case FieldKind::Float:
        pushReal(c, value);
        return;
    case FieldKind::Integer:
        pushInt(c, roundToInteger(value));
        return;
    case FieldKind::DateTime:
        pushInt(c, roundToInteger(value));
        return;
    }
}

void DataPacket::appendInteger(qint64 value) {
    PacketColumn& c = nextCell(d.data());
    switch (c.kind) {
    case FieldKind::Text:
        pushFlag(c);
        storeText(c, QString::number(value));
        return;
    case FieldKind::Float:
        pushReal(c, double(value));
        return;
    case FieldKind::Integer:
    case FieldKind::DateTime:
        pushInt(c, value);
        return;
    }
}

void DataPacket::appendDateTime(const QDateTime& value) {
    PacketColumn& c = nextCell(d.data());
    if (!value.isValid()) {
        pushNull(c);
        return;
    }
    switch (c.kind) {
    case FieldKind::Text:
        pushFlag(c);
        storeText(c, PacketText::dateTime(value));
        return;
    case FieldKind::Float:
        pushReal(c, double(PacketText::toWallMsecs(value)));
        return;
    case FieldKind::Integer:
    case FieldKind::DateTime:
        pushInt(c, PacketText::toWallMsecs(value));
        return;
    }
}

void DataPacket::appendValue(const QVariant& value) {
    if (value.isNull() || !value.isValid()) {
        appendNull();
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        appendNumber(value.toDouble());
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        appendInteger(value.toLongLong());
        return;
    case QMetaType::QDateTime:
        appendDateTime(value.toDateTime());
        return;
    case QMetaType::QDate:
        appendDateTime(value.toDate().startOfDay());
        return;
    default:
        appendText(value.toString());
        return;
    }
}

void DataPacket::appendRow(const QVariantList& values) {
    if (values.size() != fieldCount())
        throw std::invalid_argument("DataPacket::appendRow: the row has " + std::to_string(values.size()) +
                                    " values for " + std::to_string(fieldCount()) + " columns");
    beginRow();
    for (const QVariant& v : values)
        appendValue(v);
}

QVariant DataPacket::value(int row, int col) const {
    if (row < 0 || row >= d->rows || col < 0 || col >= fieldCount())
        return {};
    const PacketColumn& c = d->columns[size_t(col)];
    if (c.isNull(row))
        return {};
    switch (c.kind) {
    case FieldKind::Text: {
        const std::string_view t = c.textAt(row);
        return QString::fromUtf8(t.data(), qsizetype(t.size()));
    }
    case FieldKind::Float:
        return c.reals[size_t(row)];
    case FieldKind::Integer:
        return c.ints[size_t(row)];
    case FieldKind::DateTime:
        return PacketText::fromWallMsecs(c.ints[size_t(row)]);
    }
    return {};
}

bool DataPacket::isNull(int row, int col) const {
    if (row < 0 || row >= d->rows || col < 0 || col >= fieldCount())
        return true;
    return d->columns[size_t(col)].isNull(row);
}

std::string_view DataPacket::utf8(int row, int col) const {
    if (isNull(row, col))
        return {};
    const PacketColumn& c = d->columns[size_t(col)];
    return c.kind == FieldKind::Text ? c.textAt(row) : std::string_view();
}

FieldKind DataPacket::kind(int col) const {
    return col >= 0 && col < fieldCount() ? d->columns[size_t(col)].kind : FieldKind::Text;
}

QString DataPacket::text(int row, int col) const {
    if (isNull(row, col))
        return QString(QLatin1String(""));
    const PacketColumn& c = d->columns[size_t(col)];
    switch (c.kind) {
    case FieldKind::Text: {
        const std::string_view t = c.textAt(row);
        return QString::fromUtf8(t.data(), qsizetype(t.size()));
    }
    case FieldKind::Float:
        return PacketText::number(c.reals[size_t(row)]);
    case FieldKind::Integer:
        return QString::number(c.ints[size_t(row)]);
    case FieldKind::DateTime:
        return PacketText::dateTime(PacketText::fromWallMsecs(c.ints[size_t(row)]));
    }
    return {};
}

double DataPacket::number(int row, int col) const {
    if (isNull(row, col))
        return 0.0;
    const PacketColumn& c = d->columns[size_t(col)];
    if (c.kind == FieldKind::Text) {
        const std::string_view t = c.textAt(row);
        return parseNumber(QString::fromUtf8(t.data(), qsizetype(t.size()))).value_or(0.0);
    }
    return c.numberAt(row);
}

void DataPacket::setValue(int row, int col, const QVariant& value) {
    if (row < 0 || row >= d->rows || col < 0 || col >= fieldCount())
        throw std::out_of_range("DataPacket::setValue: cell out of range");
    // Build the new cell in a one-column scratch packet, then splice it in.
    DataPacket cell({d->fields[col]});
    cell.beginRow();
    cell.appendValue(value);
    const PacketColumn& src = cell.d->columns[0];
    PacketColumn& c = d->columns[size_t(col)];
    if (c.count() <= row)
        throw std::logic_error("DataPacket::setValue: the row is still being built");
    c.nulls.set(row, src.nulls.at(0));
    switch (c.kind) {
    case FieldKind::Text: {
        // Rebuild the arena with the new cell in place; edits of loaded rows
        // are rare, appends are the common case.
        const std::string_view fresh = src.textAt(0);
        ByteArena bytes;
        PodArray<quint32> ends;
        ends.reserve(c.ends.size());
        for (int r = 0; r < int(c.ends.size()); ++r) {
            const std::string_view t = r == row ? fresh : c.textAt(r);
            if (bytes.size() + t.size() > 0xFFFFFFFFu)
                throw std::length_error("DataPacket: text column larger than 4 GiB");
            bytes.append(t.data(), t.size());
            ends.push_back(quint32(bytes.size()));
        }
        c.bytes = std::move(bytes);
        c.ends = std::move(ends);
        break;
    }
    case FieldKind::Float:
        c.reals[size_t(row)] = src.reals[0];
        break;
    case FieldKind::Integer:
    case FieldKind::DateTime:
        c.ints[size_t(row)] = src.ints[0];
        break;
    }
}

void DataPacket::removeAllRows() {
    for (PacketColumn& c : d->columns)
        c = makeColumn(c.kind);
    d->rows = 0;
    d->cursor = int(d->columns.size());
}

bool DataPacket::isShared() const {
    return d->ref.loadRelaxed() > 1;
}

qsizetype DataPacket::memoryUsage() const {
    qsizetype total = 0;
    for (const PacketColumn& c : d->columns)
        total += c.memoryUsage() + qsizetype(sizeof(PacketColumn));
    return total;
}

bool isDataPacket(const QVariant& v) {
    return v.metaType() == QMetaType::fromType<DataPacket>();
}
