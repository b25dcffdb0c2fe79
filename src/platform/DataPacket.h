#pragma once
// The result of a query as one value: column definitions and rows. It travels
// from the data service to the screen inside a QVariant and is read and written
// in the client-dataset XML data-packet format (also the local parameter file).
//
// Storage is columnar and lean: a packet of 100,000 catalogue rows must not
// cost much more memory than the text it carries.

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>
#include <QVariant>

#include <optional>
#include <string_view>

enum class FieldKind { Text, Float, Integer, DateTime };

struct FieldDef {
    QString name;
    FieldKind kind = FieldKind::Text;
    int width = 0; // characters, for text fields; 0 when unknown
};

class DataPacketData;

class DataPacket {
public:
    DataPacket();
    explicit DataPacket(const QList<FieldDef>& fields);
    DataPacket(const DataPacket&);
    DataPacket& operator=(const DataPacket&);
    DataPacket(DataPacket&&) noexcept;
    DataPacket& operator=(DataPacket&&) noexcept;
    ~DataPacket();

    const QList<FieldDef>& fields() const;
    int fieldCount() const;
    int rowCount() const;
    // Column index by name, case-insensitive; -1 when absent.
    int indexOf(QStringView name) const;

    void reserve(int rows);

    // Row building, cell by cell in column order: beginRow() then exactly one
    // append per column. Values are converted to the column's kind.
    void beginRow();
    void appendNull();
    void appendText(QStringView text);
    // UTF-8 text as a database driver hands it over; a text column stores the
    // bytes without converting them (invalid sequences are replaced).
    void appendUtf8(const char* data, qsizetype size);
    void appendNumber(double value);
    void appendInteger(qint64 value);
    void appendDateTime(const QDateTime& value);
    // Converts by the column kind; a null QVariant appends a null cell.
    void appendValue(const QVariant& value);

    // Convenience: one whole row (values.size() must equal fieldCount()).
    void appendRow(const QVariantList& values);

    // Cell access. value() returns a null QVariant for a null cell, else a
    // QString, double, qint64 or QDateTime according to the column kind.
    QVariant value(int row, int col) const;
    bool isNull(int row, int col) const;
    QString text(int row, int col) const;  // any kind rendered as text; "" for null
    double number(int row, int col) const; // 0 for null or non-numeric text
    // The stored UTF-8 bytes of a text cell, valid while the packet is not
    // changed; empty for a null cell and for a column that is not text.
    std::string_view utf8(int row, int col) const;
    // The kind of a column (Text for an index out of range).
    FieldKind kind(int col) const;
    void setValue(int row, int col, const QVariant& value);
    void removeAllRows();

    // True when both hold the very same rows (one shared copy): what one
    // holds the other holds, as a change to either makes it a copy of its own.
    bool sharesRowsWith(const DataPacket& other) const { return d == other.d; }
    // True when another packet holds the same rows: a change would copy them.
    bool isShared() const;

    // Approximate heap bytes held by the rows (for the memory benchmarks).
    qsizetype memoryUsage() const;

    // Client-dataset XML data packet: <DATAPACKET Version="2.0"> with
    // METADATA/FIELDS/FIELD (attrname, fieldtype, WIDTH) and ROWDATA/ROW.
    QByteArray toXml() const;
    static std::optional<DataPacket> fromXml(const QByteArray& xml, QString* error = nullptr);
    bool saveToFile(const QString& path, QString* error = nullptr) const;
    static std::optional<DataPacket> loadFromFile(const QString& path, QString* error = nullptr);

private:
    friend class DataPacketAccess; // raw cell access for the dataset's filter and index
    QSharedDataPointer<DataPacketData> d;
};

Q_DECLARE_METATYPE(DataPacket)

// True when the variant carries a DataPacket.
bool isDataPacket(const QVariant& v);
