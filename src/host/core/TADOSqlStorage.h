#pragma once
// The texts of one statement for each database dialect; puts the text of the
// connected database into its query before the query is opened.

#include "TADOQuery.h"

class TADOSqlStorage {
public:
    QString SQLORACLE;
    QString SQLMSSQL;
    QString SQLSQLITE;
    QString SQLPOSTGRES;
    TADOQuery* ADOQuery = nullptr;

    // The text for the dialect; throws DatabaseError when none is held for it.
    QString textFor(SqlDialect dialect) const;
    // Sets ADOQuery's text to the one for its connection's dialect.
    void apply();
};
