// The public face of the client dataset: fields, lifecycle, cursor, editing.
// The visible rows are a DataSetView; locate is in DataSetLocate.

#include "ClientDataSet.h"
#include "ClientDataSetPrivate.h"
#include "DataSetLocate.h"

#include <algorithm>
#include <cmath>
#include <optional>

using ClientDataSetDetail::DataSetField;
using ClientDataSetDetail::splitFields;

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
    d->changeField(name, [visible](DataSetField& f) { f.visible = visible; });
}

QString ClientDataSet::displayLabel(int field) const {
    const QList<DataSetField>& list = d->active ? d->fields : d->defs;
    if (field < 0 || field >= list.size())
        return {};
    return list[field].label.isEmpty() ? list[field].def.name : list[field].label;
}

void ClientDataSet::setDisplayLabel(QStringView name, const QString& label) {
    d->changeField(name, [&label](DataSetField& f) { f.label = label; });
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
    d->tail = DataPacket();
    d->fields.clear();
    d->filter.reset();
    d->view.release();
    d->rowsChanged();
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
    d->tail = DataPacket();
    d->rowsChanged();
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
    return d->allRows();
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
    d->step(true);
}

void ClientDataSet::prior() {
    d->requireActive();
    d->checkBrowse(this);
    d->step(false);
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
    std::vector<LocateKey> tailKeys;
    for (int i = 0; i < names.size(); ++i) {
        const int f = d->requireField(names[i]);
        std::optional<LocateKey> key = LocateKey::make(d->column(f), d->fields[f].def.kind, values[i]);
        if (!key)
            return false; // a value that is no number matches no numeric cell
        keys.push_back(std::move(*key));
        if (d->hasTail())
            tailKeys.push_back(*LocateKey::make(DataPacketAccess::column(d->tail, d->fields[f].column),
                                                d->fields[f].def.kind, values[i]));
    }
    const int position = locatePosition(d->view, keys, options, tailKeys, d->hasTail() ? d->packet.rowCount() : -1);
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
    // Rows shared with another packet go unchanged; the new row goes to the
    // tail (a change would copy every row first).
    const bool intoTail = d->hasTail() || d->packet.isShared();
    if (intoTail && d->tail.fieldCount() == 0)
        d->tail = DataPacket(d->packet.fields());
    DataPacket& target = intoTail ? d->tail : d->packet;
    target.beginRow();
    for (int c = 0; c < fieldOfColumn.size(); ++c) {
        if (fieldOfColumn[c] < 0)
            target.appendNull();
        else
            target.appendValue(d->pending[fieldOfColumn[c]]);
    }
    d->appending = false;
    d->pending.clear();
    // Only the new row is placed: the others keep their places.
    const int row = d->rowCount() - 1;
    // The view stays right for the rows as they are now; none kept aside does.
    const std::optional<ClientDataSetPrivate::ViewKey> key = d->viewKey;
    d->rowsChanged();
    if (key) {
        d->viewKey = key;
        d->viewKey->generation = d->generation;
    }
    const std::vector<int> keys = d->indexFields();
    // Hidden by the filter: stay on a visible row.
    d->moveToPosition(
        d->withRule(keys, [&](const DataSetView::Rule& rule) { return d->view.insertAppended(rule, row); }));
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
