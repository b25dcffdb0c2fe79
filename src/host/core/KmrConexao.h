#pragma once
#include <QString>
#include <QStringList>

// The application's connection string, looked up in order: the environment
// variable KALMORA_CONEXAO; the file "kalmora.conexao" beside the launcher;
// "kalmora/kalmora.conexao" in $XDG_CONFIG_HOME (~/.config), then in each
// folder of $XDG_CONFIG_DIRS (/etc/xdg); else the embedded SQLite database in
// the user's data folder, created with schema and demo data when it does not
// exist yet. Throws DatabaseError when the embedded database cannot be
// created.
QString _GetStringConexKmr(const QString& unused);

// The connection string named by the environment or a configuration file,
// without creating anything; "" when none names one. A connection file that
// holds a password and can be read by group or others is refused (throws
// DatabaseError); a password in the environment is logged once, masked.
QString namedConnectionString();
// The connection string of the embedded default database (its path quoted).
QString defaultConnectionString();

// Path of the embedded default database file.
QString defaultDatabasePath();

// Where a configuration file of the application is looked for, in order:
// `firstFolder` when given, then $XDG_CONFIG_HOME/kalmora, then each
// $XDG_CONFIG_DIRS/kalmora.
QStringList configFileCandidates(const QString& fileName, const QString& firstFolder);
// The first of those places that holds the file; the first place when none
// does (so that a caller reports or defaults on the usual place).
QString findConfigFile(const QString& fileName, const QString& firstFolder);

// Creates a SQLite database file with the schema (and the demo data) in a
// file of its own and only then gives it its final name; with wal, in
// write-ahead-log journal mode. Throws DatabaseError.
void createSqliteDatabase(const QString& path, bool demo, bool wal);
