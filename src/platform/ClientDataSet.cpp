// The public face of the client dataset: fields, lifecycle, cursor, editing.
// The visible rows are a DataSetView; locate is in DataSetLocate.

#include "ClientDataSet.h"
#include "DataPacketData.h"
#include "DataSetLocate.h"
#include "DataSetView.h"
#include "FilterExpression.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

struct DataSetField {
    FieldDef def;
    bool visible = true;
    QString label;
    int column = -1; // packet column that holds the field
};

QString kindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Text:
        return QStringLiteral("text");
    case FieldKind::Float:
        return QStringLiteral("float");
    case FieldKind::Integer:
        return QStringLiteral("integer");
    case FieldKind::DateTime:
        return QStringLiteral("date-time");
    }
    return {};
}

bool compatible(FieldKind wanted, FieldKind actual) {
    if (wanted == actual)
        return true;
    const auto numeric = [](FieldKind k) { return k == FieldKind::Float || k == FieldKind::Integer; };
    return numeric(wanted) && numeric(actual);
}

QStringList splitFields(const QString& fields) {
    QStringList names;
    for (const QString& part : fields.split(u';', Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

} // namespace

class ClientDataSetPrivate {
public:
    QString name;
    QList<DataSetField> defs;   // persistent fields
    QList<DataSetField> fields; // fields of the open dataset
    QList<FieldDef> lastStructure;
    bool active = false;
    DataPacket packet;

    QHash<QString, QString> indexes; // lower-case name -> "A;B"
    QString indexName;

    QString filterText;
    bool filtered = false;
    std::unique_ptr<FilterExpression> filter;

    DataSetView view; // visible rows, in index order
    int pos = -1;
    bool eof = true;
    bool bof = true;

    bool appending = false;
    QVariantList pending;

    [[noreturn]] void fail(const QString& why) const {
        const QString who = name.isEmpty() ? QStringLiteral("Dataset") : name;
        throw DataSetError((who + QStringLiteral(": ") + why).toStdString());
    }

    int fieldIndex(QStringView n) const {
        const QList<DataSetField>& list = active ? fields : defs;
        for (int i = 0; i < list.size(); ++i)
            if (QStringView(list[i].def.name).compare(n, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    int requireField(QStringView n) const {
        const int f = fieldIndex(n);
        if (f < 0)
            fail(QStringLiteral("field \"%1\" not found").arg(n));
        return f;
    }

    void requireActive() const {
        if (!active)
            fail(QStringLiteral("cannot perform this operation on a closed dataset"));
    }

    const PacketColumn& column(int field) const { return DataPacketAccess::column(packet, fields[field].column); }

    std::vector<const PacketColumn*> columnPointers() const {
        std::vector<const PacketColumn*> cols;
        cols.reserve(size_t(fields.size()));
        for (int f = 0; f < fields.size(); ++f)
            cols.push_back(&column(f));
        return cols;
    }

    // Opens on a packet: maps the persistent fields onto its columns, or
    // takes its columns when there are none.
    void open(const DataPacket& p) {
        QList<DataSetField> mapped;
        if (defs.isEmpty()) {
            for (int c = 0; c < p.fieldCount(); ++c) {
                DataSetField f;
                f.def = p.fields()[c];
                f.column = c;
                mapped.append(f);
            }
        } else {
            for (DataSetField f : defs) {
                f.column = p.indexOf(f.def.name);
                if (f.column < 0)
                    fail(QStringLiteral("field \"%1\" not found in the data packet").arg(f.def.name));
                const FieldKind actual = p.fields()[f.column].kind;
                if (!compatible(f.def.kind, actual))
                    fail(QStringLiteral("field \"%1\" is %2 in the data packet but %3 in the dataset")
                             .arg(f.def.name, kindName(actual), kindName(f.def.kind)));
                mapped.append(f);
            }
        }
        appending = false;
        pending.clear();
        packet = p;
        fields = mapped;
        lastStructure.clear();
        for (const DataSetField& f : fields)
            lastStructure.append(f.def);
        active = true;
        view.clear();
        pos = -1;
        try {
            rebuild();
        } catch (const DataSetError&) {
            // The rows stay loaded; a filter or an index that does not fit
            // the new fields is switched off.
            filtered = false;
            filter.reset();
            try {
                rebuild();
            } catch (const DataSetError&) {
                indexName.clear();
                rebuild();
            }
            first();
            throw;
        }
        first();
    }

    void parseFilter() {
        filter.reset();
        if (!filtered || !active || filterText.trimmed().isEmpty())
            return;
        filter = std::make_unique<FilterExpression>(filterText, [this](QStringView n, FieldKind* kind) {
            const int f = fieldIndex(n);
            if (f >= 0)
                *kind = fields[f].def.kind;
            return f;
        });
    }

    std::vector<int> indexFields() const {
        std::vector<int> keys;
        if (indexName.isEmpty())
            return keys;
        for (const QString& n : splitFields(indexes.value(indexName.toLower()))) {
            const int f = fieldIndex(n);
            if (f < 0)
                fail(QStringLiteral("index \"%1\": field \"%2\" not found").arg(indexName, n));
            keys.push_back(f);
        }
        return keys;
    }

    // Recomputes the visible rows (filter, then index order).
    void rebuild() {
        view.clear();
        if (!active)
            return;
        parseFilter();
        const std::vector<int> keys = indexFields();
        const std::vector<const PacketColumn*> cols = columnPointers();
        view.rebuild({cols, filter.get(), keys}, packet.rowCount());
    }

    // Rebuilds; on a filter or index that does not fit, restore() puts back
    // what was there before, the view is rebuilt with it and the error goes on.
    template <class Restore> void rebuildOrRestore(Restore restore) {
        try {
            rebuild();
        } catch (const DataSetError&) {
            restore();
            rebuild();
            first();
            throw;
        }
        first();
    }

    int currentRow() const { return pos >= 0 && pos < view.size() ? view.rowAt(pos) : -1; }

    // Rebuilds and keeps the current row current when it is still visible.
    void rebuildKeepingRow() {
        const int row = currentRow();
        rebuild();
        moveToRow(row);
    }

    // The row current when it is visible, else the first row.
    void moveToPosition(int position) {
        if (position >= 0) {
            pos = position;
            eof = bof = false;
        } else {
            first();
        }
    }
    void moveToRow(int row) { moveToPosition(view.positionOf(row)); }

    void first() {
        pos = view.empty() ? -1 : 0;
        bof = true;
        eof = view.empty();
    }

    // Leaves edit mode the way a move does: the pending row is posted.
    void checkBrowse(ClientDataSet* q) {
        if (appending)
            q->post();
    }

    QVariant convert(const QVariant& v, const DataSetField& f) const {
        if (v.isNull() || !v.isValid())
            return {};
        // One-cell packet: the same conversion rules as loading a packet.
        DataPacket cell({f.def});
        cell.beginRow();
        cell.appendValue(v);
        const bool blank = v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty();
        if (cell.isNull(0, 0) && !blank)
            fail(QStringLiteral("\"%1\" is not a valid value for field \"%2\"").arg(v.toString(), f.def.name));
        return cell.value(0, 0);
    }

    // A stored cell read as the dataset field's kind.
    QVariant cellValue(int row, int field) const {
        const QVariant v = packet.value(row, fields[field].column);
        if (v.isNull())
            return {};
        const FieldKind want = fields[field].def.kind;
        if (want == FieldKind::Integer && v.typeId() == QMetaType::Double)
            return qint64(std::llround(v.toDouble()));
        if (want == FieldKind::Float && v.typeId() == QMetaType::LongLong)
            return v.toDouble();
        return v;
    }

    QVariant currentValue(QStringView n) const {
        requireActive();
        const int f = requireField(n);
        if (appending)
            return pending[f];
        const int row = currentRow();
        if (row < 0)
            fail(QStringLiteral("no current record (the dataset is empty)"));
        return cellValue(row, f);
    }
};

// ---- ClientDataSet --------------------------------------------------------

ClientDataSet::ClientDataSet(const QString& name) : d(std::make_unique<ClientDataSetPrivate>()) {
    d->name = name;
}

ClientDataSet::~ClientDataSet() = default;

QString ClientDataSet::name() const {
    return d->name;
}

void ClientDataSet::addFieldDef(const FieldDef& def, bool visible, const QString& displayLabel) {
    if (def.name.trimmed().isEmpty())
        d->fail(QStringLiteral("a field needs a name"));
    if (d->active)
        d->fail(QStringLiteral("cannot add field \"%1\" to an open dataset").arg(def.name));
    for (const DataSetField& f : d->defs)
        if (f.def.name.compare(def.name, Qt::CaseInsensitive) == 0)
            d->fail(QStringLiteral("field \"%1\" is defined twice").arg(def.name));
    DataSetField f;
    f.def = def;
    f.visible = visible;
    f.label = displayLabel;
    d->defs.append(f);
}

void ClientDataSet::clearFieldDefs() {
    if (d->active)
        d->fail(QStringLiteral("cannot change the fields of an open dataset"));
    d->defs.clear();
}

QList<FieldDef> ClientDataSet::fieldDefs() const {
    QList<FieldDef> out;
    for (const DataSetField& f : d->active ? d->fields : d->defs)
        out.append(f.def);
    return out;
}

int ClientDataSet::fieldIndex(QStringView name) const {
    return d->fieldIndex(name);
}

bool ClientDataSet::isFieldVisible(int field) const {
    const QList<DataSetField>& list = d->active ? d->fields : d->defs;
    return field >= 0 && field < list.size() && list[field].visible;
}

void ClientDataSet::setFieldVisible(QStringView name, bool visible) {
    bool found = false;
    for (QList<DataSetField>* list : {&d->defs, &d->fields})
        for (DataSetField& f : *list)
            if (QStringView(f.def.name).compare(name, Qt::CaseInsensitive) == 0) {
                f.visible = visible;
                found = true;
            }
    if (!found)
        d->fail(QStringLiteral("field \"%1\" not found").arg(name));
}

QString ClientDataSet::displayLabel(int field) const {
    const QList<DataSetField>& list = d->active ? d->fields : d->defs;
    if (field < 0 || field >= list.size())
        return {};
    return list[field].label.isEmpty() ? list[field].def.name : list[field].label;
}

void ClientDataSet::setDisplayLabel(QStringView name, const QString& label) {
    bool found = false;
    for (QList<DataSetField>* list : {&d->defs, &d->fields})
        for (DataSetField& f : *list)
            if (QStringView(f.def.name).compare(name, Qt::CaseInsensitive) == 0) {
                f.label = label;
                found = true;
            }
    if (!found)
        d->fail(QStringLiteral("field \"%1\" not found").arg(name));
}

void ClientDataSet::createDataSet() {
    QList<FieldDef> structure;
    for (const DataSetField& f : d->defs)
        structure.append(f.def);
    if (structure.isEmpty())
        structure = d->lastStructure;
    if (structure.isEmpty())
        d->fail(QStringLiteral("cannot create a dataset without fields"));
    d->open(DataPacket(structure));
}

void ClientDataSet::close() {
    d->active = false;
    d->appending = false;
    d->pending.clear();
    d->packet = DataPacket();
    d->fields.clear();
    d->filter.reset();
    d->view.release();
    d->pos = -1;
    d->eof = d->bof = true;
}

bool ClientDataSet::active() const {
    return d->active;
}

void ClientDataSet::emptyDataSet() {
    if (!d->active)
        return; // nothing to remove
    d->appending = false;
    d->pending.clear();
    // A fresh packet of the same columns: the old rows may still be shared
    // with the packet that was loaded.
    d->packet = DataPacket(d->packet.fields());
    d->rebuild();
    d->first();
}

void ClientDataSet::setData(const QVariant& packet) {
    if (!isDataPacket(packet))
        d->fail(QStringLiteral("the value is not a data packet (%1)")
                    .arg(QString::fromLatin1(packet.isValid() ? packet.typeName() : "empty")));
    setPacket(packet.value<DataPacket>());
}

void ClientDataSet::setPacket(const DataPacket& packet) {
    d->open(packet);
}

void ClientDataSet::loadFromFile(const QString& path) {
    QString error;
    const std::optional<DataPacket> p = DataPacket::loadFromFile(path, &error);
    if (!p)
        d->fail(error);
    d->open(*p);
}

DataPacket ClientDataSet::packet() const {
    return d->packet;
}

void ClientDataSet::addIndex(const QString& name, const QString& fields) {
    if (name.trimmed().isEmpty())
        d->fail(QStringLiteral("an index needs a name"));
    if (splitFields(fields).isEmpty())
        d->fail(QStringLiteral("index \"%1\" has no fields").arg(name));
    d->indexes.insert(name.toLower(), fields);
    if (d->active && d->indexName.compare(name, Qt::CaseInsensitive) == 0)
        d->rebuildKeepingRow();
}

void ClientDataSet::setIndexName(const QString& name) {
    if (!name.isEmpty() && !d->indexes.contains(name.toLower()))
        d->fail(QStringLiteral("index \"%1\" not found").arg(name));
    const QString previous = d->indexName;
    d->indexName = name;
    if (!d->active)
        return;
    try {
        d->rebuildKeepingRow();
    } catch (const DataSetError&) {
        d->indexName = previous;
        d->rebuildKeepingRow();
        throw;
    }
}

QString ClientDataSet::indexName() const {
    return d->indexName;
}

void ClientDataSet::setFilter(const QString& expression) {
    const QString previous = d->filterText;
    d->filterText = expression;
    if (!d->active || !d->filtered)
        return;
    d->rebuildOrRestore([&] { d->filterText = previous; });
}

QString ClientDataSet::filter() const {
    return d->filterText;
}

void ClientDataSet::setFiltered(bool on) {
    if (d->filtered == on)
        return;
    d->filtered = on;
    if (!d->active)
        return;
    d->rebuildOrRestore([&] { d->filtered = false; });
}

bool ClientDataSet::filtered() const {
    return d->filtered;
}

void ClientDataSet::first() {
    d->requireActive();
    d->checkBrowse(this);
    d->first();
}

void ClientDataSet::next() {
    d->requireActive();
    d->checkBrowse(this);
    if (d->pos + 1 < d->view.size()) {
        ++d->pos;
        d->eof = false;
    } else {
        d->eof = true;
    }
    d->bof = false;
}

void ClientDataSet::prior() {
    d->requireActive();
    d->checkBrowse(this);
    if (d->pos > 0) {
        --d->pos;
        d->bof = false;
    } else {
        d->bof = true;
    }
    d->eof = false;
}

void ClientDataSet::last() {
    d->requireActive();
    d->checkBrowse(this);
    d->pos = d->view.size() - 1;
    d->eof = true;
    d->bof = d->view.empty();
}

bool ClientDataSet::eof() const {
    return !d->active || d->eof;
}
bool ClientDataSet::bof() const {
    return !d->active || d->bof;
}
bool ClientDataSet::isEmpty() const {
    return !d->active || d->view.empty();
}
int ClientDataSet::recordCount() const {
    return d->active ? d->view.size() : 0;
}
int ClientDataSet::recNo() const {
    return d->active ? d->pos : -1;
}

void ClientDataSet::setRecNo(int position) {
    d->requireActive();
    d->checkBrowse(this);
    if (d->view.empty())
        return;
    d->pos = std::clamp(position, 0, d->view.size() - 1);
    d->eof = d->bof = false;
}

bool ClientDataSet::locate(const QString& fields, const QVariantList& values, LocateOptions options) {
    d->requireActive();
    d->checkBrowse(this);
    const QStringList names = splitFields(fields);
    if (names.isEmpty())
        d->fail(QStringLiteral("locate needs at least one field"));
    if (names.size() != values.size())
        d->fail(QStringLiteral("locate on \"%1\" needs %2 values, got %3")
                    .arg(fields)
                    .arg(names.size())
                    .arg(values.size()));
    std::vector<LocateKey> keys;
    for (int i = 0; i < names.size(); ++i) {
        const int f = d->requireField(names[i]);
        std::optional<LocateKey> key = LocateKey::make(d->column(f), d->fields[f].def.kind, values[i]);
        if (!key)
            return false; // a value that is no number matches no numeric cell
        keys.push_back(std::move(*key));
    }
    const int position = locatePosition(d->view, keys, options);
    if (position < 0)
        return false;
    d->pos = position;
    d->eof = d->bof = false;
    return true;
}

QVariant ClientDataSet::fieldValue(QStringView name) const {
    return d->currentValue(name);
}

QString ClientDataSet::fieldText(QStringView name) const {
    const QVariant v = d->currentValue(name);
    if (v.isNull())
        return QString(QLatin1String(""));
    return PacketText::display(v);
}

double ClientDataSet::fieldNumber(QStringView name) const {
    const QVariant v = d->currentValue(name);
    if (v.isNull())
        return 0.0;
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const double n = v.toString().trimmed().toDouble(&ok);
        if (!ok)
            d->fail(QStringLiteral("\"%1\" of field \"%2\" is not a number").arg(v.toString()).arg(name));
        return n;
    }
    if (v.typeId() == QMetaType::QDateTime)
        return double(PacketText::toWallMsecs(v.toDateTime()));
    return v.toDouble();
}

qint64 ClientDataSet::fieldInteger(QStringView name) const {
    const QVariant v = d->currentValue(name);
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::LongLong)
        return v.toLongLong();
    const double n = fieldNumber(name);
    if (!std::isfinite(n) || std::fabs(n) >= 9.2e18)
        d->fail(QStringLiteral("the value of field \"%1\" is out of the integer range").arg(name));
    return std::llround(n);
}

bool ClientDataSet::fieldIsNull(QStringView name) const {
    return d->currentValue(name).isNull();
}

void ClientDataSet::append() {
    d->requireActive();
    d->checkBrowse(this);
    d->pending = QVariantList(d->fields.size());
    d->appending = true;
}

void ClientDataSet::setFieldValue(QStringView name, const QVariant& value) {
    d->requireActive();
    const int f = d->requireField(name);
    if (!d->appending)
        d->fail(QStringLiteral("the dataset is not in insert mode (call append first)"));
    d->pending[f] = d->convert(value, d->fields[f]);
}

void ClientDataSet::post() {
    d->requireActive();
    if (!d->appending)
        return;
    QList<int> fieldOfColumn(d->packet.fieldCount(), -1);
    for (int f = 0; f < d->fields.size(); ++f)
        fieldOfColumn[d->fields[f].column] = f;
    d->packet.beginRow(); // detaches from a shared packet before the first change
    for (int c = 0; c < fieldOfColumn.size(); ++c) {
        if (fieldOfColumn[c] < 0)
            d->packet.appendNull();
        else
            d->packet.appendValue(d->pending[fieldOfColumn[c]]);
    }
    d->appending = false;
    d->pending.clear();
    // Only the new row is placed: the others keep their places.
    const int row = d->packet.rowCount() - 1;
    const std::vector<int> keys = d->indexFields();
    const std::vector<const PacketColumn*> cols = d->columnPointers();
    // Hidden by the filter: stay on a visible row.
    d->moveToPosition(d->view.insertAppended({cols, d->filter.get(), keys}, row));
}

void ClientDataSet::cancel() {
    d->appending = false;
    d->pending.clear();
}

QVariant ClientDataSet::visibleValue(int row, int field) const {
    if (!d->active || row < 0 || row >= d->view.size() || field < 0 || field >= d->fields.size())
        return {};
    return d->cellValue(d->view.rowAt(row), field);
}
