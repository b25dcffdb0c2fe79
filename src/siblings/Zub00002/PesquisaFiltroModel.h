#pragma once
// Narrows the rows of a list model to those whose text contains every word the
// operator typed, ignoring case and accents. It sits on top of the dataset's
// model, so the dataset's own filter stays in force underneath. The folded
// text of each row is built once, on the first search, so that each further
// keystroke over a long catalogue is a plain substring scan.

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

class PesquisaFiltroModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PesquisaFiltroModel(QAbstractItemModel* origem, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setFiltro(const QString& texto);
    QString filtro() const { return m_filtro; }

    int linhaOrigem(int linha) const;   // row of the source model; -1 when out of range
    int linhaDe(int linhaOrigem) const; // row showing a source row; -1 when filtered out

    // Lower case without diacritics: "Pão de AÇÚCAR" -> "pao de acucar".
    static QString dobra(const QString& texto);

private:
    void montaChaves();
    void descartaChaves();
    bool casa(int linhaOrigem, const QStringList& termos) const;

    QAbstractItemModel* m_origem;
    QString m_filtro;
    QStringList m_termos;
    QStringList m_chaves; // folded text of each source row, built on demand
    QList<int> m_linhas;  // source rows shown while a filter is set
    bool m_filtrado = false;
};
