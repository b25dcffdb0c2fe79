#pragma once
// Creating the tables of the menu and of the catalogue, and the demo data, on
// an explicit request (first run of the embedded database, the launcher's
// --create-schema). The module itself never creates or alters tables.

#include "ConnectionString.h"

#include <QSqlDatabase>
#include <QStringList>

namespace DatabaseSchema {
// Statements of the schema file for the dialect, one per entry.
QStringList schemaStatements(SqlDialect dialect);
QStringList demoDataStatements(SqlDialect dialect);
// PostgreSQL: the grants of the tills' group role kalmora_terminal
// (db/grants_postgresql.sql), one statement per entry.
QStringList grantStatements();
// True when ITMENUCONFTE or a catalogue table already exists.
bool tablesExist(QSqlDatabase& db);
// Creates the tables (and with demo, the demo data) in one transaction.
// Throws DatabaseError; refuses when the tables already exist.
void create(QSqlDatabase& db, SqlDialect dialect, bool demo);
// The pictures the demo menu names (db/imagens), copied into folder, which is
// created when missing; a file already there is kept as it is. Returns how
// many were copied; a failure is logged, never raised (the menu shows the
// captions without them).
int copyDemoPictures(const QString& folder);
} // namespace DatabaseSchema
