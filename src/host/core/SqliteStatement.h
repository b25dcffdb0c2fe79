#pragma once
// A statement run straight on the SQLite handle of a Qt connection. Rows are
// read in SQLite's own UTF-8 into the packet, without the UTF-16 round trip
// and the per-cell variants of the generic path: the menu and catalogue reads
// are on every touch's path. Parameters are ":NAME" placeholders, which
// SQLite binds by name itself.

#include <DataPacket.h>

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;
class QSqlDatabase;

class SqliteStatement {
public:
    // The SQLite handle behind a Qt connection; null for other drivers.
    static sqlite3* handleOf(const QSqlDatabase& db);
    // Runs a statement without parameters or rows on the handle (transaction
    // control); throws DatabaseError when SQLite refuses it.
    static void exec(sqlite3* db, const char* sql);
    // Whether the handle is inside an explicit transaction: SQLite's own
    // state, right even after it ended a transaction by itself.
    static bool inTransaction(sqlite3* db);

    // Prepares the text; throws DatabaseError when SQLite refuses it.
    SqliteStatement(sqlite3* db, const QString& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3* handle() const { return m_db; }
    bool hasParameter(const QString& placeholder) const;
    // Kept until the next run; bound as Qt binds them (a null string as NULL).
    void setParam(const QString& placeholder, const QVariant& value);
    // The position SQLite gives a placeholder (0 when absent), and the same
    // assignment by that position: for a statement run many times, the name
    // is looked up once.
    int parameterIndex(const QString& placeholder) const;
    void setParamAt(int index, const QVariant& value);

    // Runs the statement and stands on its first row, if any. Throws.
    void run();
    // Runs it to the end, for commands. Throws.
    void execute();
    // Rows the last execute() inserted, changed or deleted.
    int changes() const;
    // Ends the run and releases what it holds (locks, read snapshot).
    void reset();

    bool onRow() const { return m_onRow; }
    void next();                                // throws
    int columnIndex(const QString& name) const; // case-insensitive; -1 when absent
    int columnCount() const;
    QVariant value(int column) const;
    // The rows from the current one to the end, with the given columns.
    void readInto(DataPacket& packet, const QList<FieldDef>& columns);

private:
    void bindAll();
    void step();
    [[noreturn]] void fail(const QString& what) const;

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
    QList<QVariant> m_values; // by parameter position less one; invalid: not assigned
    // The positions by name, made at the first look-up on a statement of many
    // parameters (SQLite looks a name up by going through them all).
    mutable QHash<QString, int> m_positions;
    bool m_onRow = false;
    qint64 m_row = -1;
};
