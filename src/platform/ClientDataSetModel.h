#pragma once
// Table model over the visible fields and visible rows of a ClientDataSet, for
// list screens. Reads rows on demand, so long lists stay cheap to scroll.

#include <QAbstractTableModel>

class ClientDataSet;

class ClientDataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ClientDataSetModel(ClientDataSet* dataSet, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Call after the dataset's rows, filter or index changed.
    void refresh();
    // Dataset field index of a model column.
    int fieldOfColumn(int column) const;

private:
    ClientDataSet* m_dataSet;
    QList<int> m_columns;
};
