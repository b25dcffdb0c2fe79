#pragma once
// In-memory table of the screen: field definitions (persistent fields), rows
// loaded from a data packet or a file, one active index, a filter expression,
// locate, append/post and a cursor (first/next/eof). Rows appended through
// append()/post() are kept in the dataset until it is closed or emptied.

#include "DataPacket.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <stdexcept>

class DataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
};

class ClientDataSetPrivate;

class ClientDataSet {
public:
    explicit ClientDataSet(const QString& name = {});
    ~ClientDataSet();
    ClientDataSet(const ClientDataSet&) = delete;
    ClientDataSet& operator=(const ClientDataSet&) = delete;

    QString name() const;

    // Persistent fields. With none defined the dataset takes the packet's columns.
    void addFieldDef(const FieldDef& def, bool visible = true, const QString& displayLabel = {});
    void clearFieldDefs();
    QList<FieldDef> fieldDefs() const; // the fields of the open dataset, else the definitions
    int fieldIndex(QStringView name) const; // -1 when absent
    bool isFieldVisible(int field) const;
    void setFieldVisible(QStringView name, bool visible);
    QString displayLabel(int field) const; // the label, or the field name
    void setDisplayLabel(QStringView name, const QString& label);

    // Lifecycle.
    void createDataSet(); // open, empty, from the field definitions
    void close();
    bool active() const;
    void emptyDataSet(); // remove every row, keep the structure and stay open

    // Loads a packet, replacing the content, and opens the dataset. Throws
    // DataSetError when the variant holds no packet, or when a persistent
    // field is missing from it or has another kind.
    void setData(const QVariant& packet);
    void setPacket(const DataPacket& packet);
    void loadFromFile(const QString& path); // throws DataSetError
    DataPacket packet() const; // all rows, in storage order, unfiltered

    // Indexes: named, over fields "A;B". Rows are visited in the order of the
    // active index (storage order when none is active).
    void addIndex(const QString& name, const QString& fields);
    void setIndexName(const QString& name); // throws when unknown; empty = none
    QString indexName() const;

    // Filter: comparisons (=, <>, <, >, <=, >=) of a field with a quoted
    // literal (quotes doubled inside) or a number, AND, OR, NOT, parentheses,
    // IS NULL / IS NOT NULL. Throws DataSetError on a bad expression when the
    // filter is switched on or changed while on.
    void setFilter(const QString& expression);
    QString filter() const;
    void setFiltered(bool on);
    bool filtered() const;

    // Cursor over the visible rows (filter applied, index order).
    void first();
    void next();
    void prior();
    void last();
    bool eof() const;
    bool bof() const;
    bool isEmpty() const;
    int recordCount() const;
    int recNo() const; // 0-based position of the current row among the visible rows; -1 when empty
    void setRecNo(int position);

    // Moves to the first visible row whose fields ("A;B") equal the values.
    // Returns false and leaves the current row when none matches.
    bool locate(const QString& fields, const QVariantList& values, LocateOptions options = {});

    // Current row. Throw DataSetError for an unknown field or an empty dataset.
    QVariant fieldValue(QStringView name) const;
    QString fieldText(QStringView name) const; // AsString
    double fieldNumber(QStringView name) const; // AsFloat; 0 for null
    qint64 fieldInteger(QStringView name) const; // AsInteger; rounds a float, 0 for null
    bool fieldIsNull(QStringView name) const;

    // Editing: append() starts a new row (all null), setFieldValue() sets its
    // fields, post() stores it and makes it current; cancel() drops it.
    void append();
    void setFieldValue(QStringView name, const QVariant& value);
    void post();
    void cancel();

    // Visible row r (0-based, filter and index applied) for item models.
    QVariant visibleValue(int row, int field) const;

private:
    std::unique_ptr<ClientDataSetPrivate> d;
};
