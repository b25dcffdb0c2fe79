#pragma once
#include <QString>

// The application's connection string: the environment variable
// KALMORA_CONEXAO, else the file "kalmora.conexao" beside the launcher, else
// the embedded SQLite database in the user's data directory, created with
// schema and demo data when it does not exist yet. Throws DatabaseError when
// the embedded database cannot be created.
QString _GetStringConexKmr(const QString& unused);

// Path of the embedded default database file.
QString defaultDatabasePath();
