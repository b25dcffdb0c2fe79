#pragma once
// Internal to the client dataset (ClientDataSet.cpp): not part of the public
// interface.

#include "ClientDataSet.h"
#include "DataPacketData.h"
#include "DataSetView.h"
#include "FilterExpression.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace ClientDataSetDetail {

struct DataSetField {
    FieldDef def;
    bool visible = true;
    QString label;
    int column = -1; // packet column that holds the field
};

inline QString kindName(FieldKind kind) {
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

inline bool compatible(FieldKind wanted, FieldKind actual) {
    if (wanted == actual)
        return true;
    const auto numeric = [](FieldKind k) { return k == FieldKind::Float || k == FieldKind::Integer; };
    return numeric(wanted) && numeric(actual);
}

inline QStringList splitFields(const QString& fields) {
    QStringList names;
    for (const QString& part : fields.split(u';', Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

} // namespace ClientDataSetDetail

// The state behind a ClientDataSet: its fields, packet, index, filter, view
// and cursor, and the steps that keep them in step.
class ClientDataSetPrivate {
public:
    using DataSetField = ClientDataSetDetail::DataSetField;

    QString name;
    QList<DataSetField> defs;   // persistent fields
    QList<DataSetField> fields; // fields of the open dataset
    QList<FieldDef> lastStructure;
    bool active = false;
    DataPacket packet;
    // The rows appended while the packet's rows were shared with others (the
    // packet a data service keeps and gave again): kept apart, so that two
    // rows appended to a catalogue of a million do not copy it. Row numbers
    // go on from the packet's (row packet.rowCount() is the tail's first).
    DataPacket tail;

    QHash<QString, QString> indexes; // lower-case name -> "A;B"
    QString indexName;

    QString filterText;
    bool filtered = false;
    std::unique_ptr<FilterExpression> filter;

    DataSetView view; // visible rows, in index order

    // What the visible rows were computed from: the rows (a generation that
    // changes with every change of them or of the fields over them), the
    // active index's fields and the filter switched on. A rebuild for the
    // same is skipped; the rows of the view before are kept aside, so that
    // switching a filter off and on again (as a screen does before it sets a
    // new one) costs no new pass over the rows.
    struct ViewKey {
        std::uint64_t generation = 0;
        QString index;
        QString filter;
        bool operator==(const ViewKey&) const = default;
    };
    std::uint64_t generation = 1;
    std::optional<ViewKey> viewKey;
    std::optional<ViewKey> asideKey;
    std::vector<int> asideRows;
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

    // Applies change to the field named so, both in the persistent fields and
    // in the fields of the open dataset; throws when neither has it.
    template <class Change> void changeField(QStringView n, Change change) {
        bool found = false;
        for (QList<DataSetField>* list : {&defs, &fields})
            for (DataSetField& f : *list)
                if (QStringView(f.def.name).compare(n, Qt::CaseInsensitive) == 0) {
                    change(f);
                    found = true;
                }
        if (!found)
            fail(QStringLiteral("field \"%1\" not found").arg(n));
    }

    void requireActive() const {
        if (!active)
            fail(QStringLiteral("cannot perform this operation on a closed dataset"));
    }

    const PacketColumn& column(int field) const { return DataPacketAccess::column(packet, fields[field].column); }

    std::vector<const PacketColumn*> columnPointers(const DataPacket& of) const {
        std::vector<const PacketColumn*> cols;
        cols.reserve(size_t(fields.size()));
        for (int f = 0; f < fields.size(); ++f)
            cols.push_back(&DataPacketAccess::column(of, fields[f].column));
        return cols;
    }
    std::vector<const PacketColumn*> columnPointers() const { return columnPointers(packet); }

    int rowCount() const { return packet.rowCount() + tail.rowCount(); }
    bool hasTail() const { return tail.rowCount() > 0; }

    // The packet's rows and the tail's as one packet (a copy when there is a tail).
    DataPacket allRows() const {
        if (!hasTail())
            return packet;
        DataPacket all = packet;
        for (int r = 0; r < tail.rowCount(); ++r) {
            all.beginRow();
            for (int c = 0; c < tail.fieldCount(); ++c)
                all.appendValue(tail.value(r, c));
        }
        return all;
    }

    // The view's rule over the packet and the tail.
    template <class Use> auto withRule(const std::vector<int>& keys, Use use) const {
        const std::vector<const PacketColumn*> cols = columnPointers();
        const std::vector<const PacketColumn*> tailCols =
            hasTail() ? columnPointers(tail) : std::vector<const PacketColumn*>();
        return use(DataSetView::Rule{cols, filter.get(), keys, hasTail() ? &tailCols : nullptr, packet.rowCount()});
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
                if (!ClientDataSetDetail::compatible(f.def.kind, actual))
                    fail(QStringLiteral("field \"%1\" is %2 in the data packet but %3 in the dataset")
                             .arg(f.def.name, ClientDataSetDetail::kindName(actual),
                                  ClientDataSetDetail::kindName(f.def.kind)));
                mapped.append(f);
            }
        }
        appending = false;
        pending.clear();
        if (!active || hasTail() || !packet.sharesRowsWith(p) || !sameMapping(mapped))
            rowsChanged();
        packet = p;
        tail = DataPacket();
        fields = mapped;
        lastStructure.clear();
        for (const DataSetField& f : fields)
            lastStructure.append(f.def);
        active = true;
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
        for (const QString& n : ClientDataSetDetail::splitFields(indexes.value(indexName.toLower()))) {
            const int f = fieldIndex(n);
            if (f < 0)
                fail(QStringLiteral("index \"%1\": field \"%2\" not found").arg(indexName, n));
            keys.push_back(f);
        }
        return keys;
    }

    bool sameMapping(const QList<DataSetField>& mapped) const {
        if (mapped.size() != fields.size())
            return false;
        for (int f = 0; f < mapped.size(); ++f)
            if (mapped[f].column != fields[f].column || mapped[f].def.kind != fields[f].def.kind ||
                mapped[f].def.name.compare(fields[f].def.name, Qt::CaseInsensitive) != 0)
                return false;
        return true;
    }

    // The rows or the fields over them changed: no view computed before fits.
    void rowsChanged() {
        ++generation;
        viewKey.reset();
        asideKey.reset();
        asideRows = {};
    }

    ViewKey currentKey() const {
        return {generation, indexName.isEmpty() ? QString() : indexes.value(indexName.toLower()),
                filter ? filterText : QString()};
    }

    // Recomputes the visible rows (filter, then index order).
    void rebuild() {
        if (!active) {
            view.clear();
            viewKey.reset();
            return;
        }
        parseFilter();
        const std::vector<int> keys = indexFields();
        const ViewKey key = currentKey();
        if (viewKey == key)
            return;
        if (asideKey == key) {
            view.swapRows(asideRows);
            std::swap(viewKey, asideKey);
            return;
        }
        asideRows.clear();
        view.swapRows(asideRows);
        asideKey = viewKey;
        viewKey.reset();
        withRule(keys, [&](const DataSetView::Rule& rule) { view.rebuild(rule, rowCount(), generation); });
        viewKey = key;
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

    // One row on (forward) or back; past the end eof is set, before the
    // start bof, and the current row stays.
    void step(bool forward) {
        const int to = pos + (forward ? 1 : -1);
        const bool inside = to >= 0 && to < view.size();
        if (inside)
            pos = to;
        (forward ? eof : bof) = !inside;
        (forward ? bof : eof) = false;
    }

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
        const int base = packet.rowCount();
        const QVariant v =
            row < base ? packet.value(row, fields[field].column) : tail.value(row - base, fields[field].column);
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
