#pragma once
// A statement with parameters bound by name (":P_NAME" in the text), prepared
// once per text on its connection. A query is opened (result rows with a
// cursor) and closed; a command is executed.

#include "TADOConnection.h"
#include <DataPacket.h>

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <memory>

class PgStatement;
class SqliteStatement;

class TADOQuery {
public:
    explicit TADOQuery(TADOConnection& connection, const QString& sql = {});
    ~TADOQuery();
    TADOQuery(const TADOQuery&) = delete;
    TADOQuery& operator=(const TADOQuery&) = delete;

    void setSql(const QString& sql); // closes the query when the text changes
    QString sql() const { return m_sql; }
    // Assigns a parameter by name (without the colon). Throws DatabaseError
    // when the statement has no such parameter.
    void setParam(const QString& name, const QVariant& value);
    // The same by a handle the name is turned into once, for a statement
    // bound many times over (one insert per row). Throws as setParam does.
    int paramIndex(const QString& name);
    void setParam(int index, const QVariant& value);

    void open(); // runs the statement; cursor on the first row
    void close();
    bool active() const { return m_active; }
    bool eof() const;
    bool isEmpty() const;
    void next();
    QVariant fieldValue(const QString& name) const; // current row; throws when closed or unknown
    QString fieldText(const QString& name) const;   // "" for null

    // Every row from the current one to the end as a packet with the given
    // columns (matched to the result's columns by position). A closed query
    // is opened, read and closed again.
    DataPacket readPacket(const QList<FieldDef>& columns);

    // Executes the statement as a command (no rows). Throws DatabaseError.
    void execute();
    // Rows the last execute() inserted, changed or deleted; -1 when the
    // driver cannot tell.
    int rowsAffected() const { return m_rowsAffected; }

    TADOConnection& connection() { return m_connection; }

private:
    void prepare();
    bool runOnPg();
    DataPacket readRows(const QList<FieldDef>& columns, bool wasActive);
    bool preparedOnCurrentConnection() const;
    void release();
    TADOConnection& m_connection;
    QString m_sql;
    QSet<QString> m_placeholders; // ":NAME" of every parameter in the text
    struct BoundName {
        QString placeholder; // ":NAME"
        int native = 0;      // its position on the SQLite handle (the same for the same text)
    };
    QList<BoundName> m_bound;      // paramIndex() handles
    QHash<QString, int> m_handles; // each placeholder's handle
    // On SQLite the statement runs on the native handle; elsewhere through Qt.
    std::unique_ptr<SqliteStatement> m_native;
    std::unique_ptr<QSqlQuery> m_query;
    // On PostgreSQL a read whose parameters and columns allow it runs on the
    // libpq connection (m_onPg while its result is open); everything else,
    // commands included, through Qt.
    std::unique_ptr<PgStatement> m_pg;
    bool m_onPg = false;
    bool m_prepared = false;
    bool m_active = false;
    int m_rowsAffected = -1;
};

// A command is a statement that is executed; the same stand-in serves.
using TADOCommand = TADOQuery;

// Turns the complete result of its query into one data packet with the
// columns it declares.
class TDataSetProvider {
public:
    TDataSetProvider(TADOQuery& query, QList<FieldDef> columns) : m_query(query), m_columns(std::move(columns)) {}
    DataPacket getData() { return m_query.readPacket(m_columns); }

private:
    TADOQuery& m_query;
    QList<FieldDef> m_columns;
};
