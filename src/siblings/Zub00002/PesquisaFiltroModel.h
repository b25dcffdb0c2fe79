#pragma once
// Narrows the rows of a list model to those whose text contains every word the
// operator typed, ignoring case and accents. It sits on top of the dataset's
// model, so the dataset's own filter stays in force underneath. The folded
// text of each row is built once, on the first search, into one block of
// UTF-8 (a row after another), so that each further keystroke over a long
// catalogue is a plain byte search: the first word through the whole block
// at once, the others in the rows it was found in.
//
// Rows may carry a mark (where the product already sits on the menu); when
// any is set, the marks show in a last column of their own.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <string_view>
#include <vector>

class PesquisaFiltroModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PesquisaFiltroModel(QAbstractItemModel* origem, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setFiltro(const QString& texto);
    // Marks by source row; an empty set removes the marks column.
    void setMarcas(const QHash<int, QString>& marcas, const QString& titulo);
    QString marca(int linha) const; // mark of a shown row; empty when none
    int colunaMarcas() const;       // -1 when there are no marks
    QString filtro() const { return m_filtro; }

    // Folds the row texts now, so that the first key does not wait for it.
    void preparaChaves() { montaChaves(); }

    int linhaOrigem(int linha) const;   // row of the source model; -1 when out of range
    int linhaDe(int linhaOrigem) const; // row showing a source row; -1 when filtered out

    // Lower case without diacritics: "Pão de AÇÚCAR" -> "pao de acucar".
    static QString dobra(const QString& texto);

private:
    void montaChaves();
    void descartaChaves();
    std::string_view chave(int linhaOrigem) const;
    bool casa(int linhaOrigem, const std::vector<QByteArray>& termos) const;
    void procuraEmTudo(const std::vector<QByteArray>& termos);

    QAbstractItemModel* m_origem;
    QHash<int, QString> m_marcas;
    QString m_tituloMarcas;
    QString m_filtro;
    QStringList m_termos;
    // The folded text of every source row, built on demand: row r ends at
    // m_fins[r], where a separator byte stands before the next row begins.
    QByteArray m_chaves;
    std::vector<qsizetype> m_fins;
    QList<int> m_linhas; // source rows shown while a filter is set
    bool m_filtrado = false;
};
