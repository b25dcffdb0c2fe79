#pragma once
// A read run straight on the libpq connection of a Qt PostgreSQL connection:
// prepared once on the server (extended protocol), run with its text
// parameters, the whole result taken in one round trip, and its texts copied
// in the server's UTF-8 into the packet. Through Qt's driver the same read is
// an EXECUTE statement in the simple protocol, one result per row (the
// forward-only single-row mode) and a QString and a variant per cell.
//
// It serves what it can give exactly as the driver would: parameters that are
// texts or NULL, result columns of text, integer and floating-point types. A
// query with anything else stays on the driver (supports() says which).

#include <DataPacket.h>

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

struct pg_conn;
struct pg_result;
class QSqlDatabase;

class PgStatement {
public:
    // The libpq connection behind a Qt connection; null for other drivers.
    static pg_conn* handleOf(const QSqlDatabase& db);
    // Whether a parameter value is passed as the driver passes it: a text,
    // or a NULL (an invalid variant or a null string).
    static bool bindable(const QVariant& value);

    // Nothing is sent to the server until the first run.
    PgStatement(pg_conn* conn, const QString& sql);
    ~PgStatement();
    PgStatement(const PgStatement&) = delete;
    PgStatement& operator=(const PgStatement&) = delete;

    pg_conn* handle() const { return m_conn; }
    // The placeholders (":NAME") in the order of their $1, $2, ... numbers.
    const QStringList& parameters() const { return m_names; }
    // Whether the connection can take a statement now (no other command's
    // result pending on it).
    bool idle() const;
    // Prepares the statement on the server if not yet done and tells whether
    // its result columns can be read here. False when the server refused it
    // (the driver's path then reports the refusal in its own words).
    bool supports(const QList<FieldDef>* columns);

    // Runs the statement with one value per parameter() and stands on its
    // first row, if any. Throws DatabaseError with the server's reason.
    void run(const QList<QVariant>& values);
    void reset(); // drops the result
    // Drops the statement on the server, for a text that is replaced while
    // its session goes on (the statements otherwise end with the session).
    void deallocate();

    bool onRow() const;
    void next();
    int columnIndex(const QString& name) const; // case-insensitive; -1 when absent
    int columnCount() const;
    QVariant value(int column) const; // as the driver types it
    // The rows from the current one to the end, with the given columns.
    void readInto(DataPacket& packet, const QList<FieldDef>& columns);

private:
    struct ResultDeleter {
        void operator()(pg_result* r) const;
    };
    using Result = std::unique_ptr<pg_result, ResultDeleter>;
    bool prepare();
    void appendCell(DataPacket& packet, FieldKind kind, int column) const;
    [[noreturn]] void fail(const QString& what, pg_result* result) const;

    pg_conn* m_conn = nullptr;
    QString m_sql;
    QByteArray m_name;     // the server's name of the prepared statement
    QByteArray m_numbered; // the text with $1, $2, ...
    QStringList m_names;
    bool m_prepared = false;
    bool m_refused = false;
    std::vector<unsigned int> m_types; // the result's column types
    QStringList m_columnNames;
    Result m_result;
    int m_row = 0;
    int m_rows = 0;
};
