#include "ClientDataSetModel.h"
#include "ClientDataSet.h"
#include "DataPacketData.h"

ClientDataSetModel::ClientDataSetModel(ClientDataSet* dataSet, QObject* parent)
    : QAbstractTableModel(parent), m_dataSet(dataSet) {
    refresh();
}

int ClientDataSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_dataSet)
        return 0;
    return m_dataSet->recordCount();
}

int ClientDataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ClientDataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_dataSet || index.column() >= m_columns.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    // Read on demand: nothing is copied out of the dataset ahead of time.
    const QVariant v = m_dataSet->visibleValue(index.row(), m_columns[index.column()]);
    if (role == Qt::EditRole || v.isNull())
        return v;
    return PacketText::display(v);
}

QVariant ClientDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !m_dataSet)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= m_columns.size())
        return {};
    return m_dataSet->displayLabel(m_columns[section]);
}

void ClientDataSetModel::refresh() {
    beginResetModel();
    m_columns.clear();
    if (m_dataSet) {
        const int fields = int(m_dataSet->fieldDefs().size());
        for (int f = 0; f < fields; ++f)
            if (m_dataSet->isFieldVisible(f))
                m_columns.append(f);
    }
    endResetModel();
}

int ClientDataSetModel::fieldOfColumn(int column) const {
    return column >= 0 && column < m_columns.size() ? m_columns[column] : -1;
}
