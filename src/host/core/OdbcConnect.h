#pragma once
// The ODBC route of a connection (Provider=MSDASQL or ODBC): the text handed
// to the driver manager, the check that the named driver is installed, and the
// SQL dialect read from the name the driver gives its database system.

#include "ConnectionString.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace OdbcConnect {

// The driver's connection string: every key of the connection string except
// Provider reaches the driver. The ADO names are turned into the ODBC ones
// (User ID -> UID, Password/Pwd -> PWD, Data Source -> DSN where no driver is
// named); the driver name is put in braces once, whether or not it was
// written in braces; a value holding ';', braces or outer blanks is braced.
QString driverConnectString(const ConnectionString& cs);

// The same text as Qt's ODBC driver wants it for its database name (it adds
// "DSN=" itself to a text that names no driver and no server).
QString qtDatabaseName(const ConnectionString& cs);

// The driver named by Driver=, without its braces; "" when a DSN is used.
QString driverName(const ConnectionString& cs);

// The drivers the ODBC driver manager lists as installed.
QStringList installedDrivers();

// Throws DatabaseError, in the operator's words and naming the driver, when
// the connection names a driver the driver manager does not know. A driver
// named by the path of its library is left to the driver manager.
void requireDriver(const ConnectionString& cs);

// The database system's name as the driver of an open QODBC connection
// reports it (SQL_DBMS_NAME); "" when it cannot be read.
QString dbmsName(const QSqlDatabase& db);
// The dialect for a reported system name: Oracle, SQL Server, PostgreSQL or
// SQLite; Unknown for any other.
SqlDialect dialectForDbmsName(const QString& name);

// After a failed open: throws DatabaseError in the operator's words when the
// driver manager could not load the driver's library or find the DSN;
// returns for any other failure.
void explainOpenFailure(const QSqlError& error, const ConnectionString& cs);

// The operator's text for a driver that is not installed.
QString driverMissingText(const QString& driver);

// The operator's text for a DSN the driver manager does not know.
QString dsnMissingText(const QString& dsn);

} // namespace OdbcConnect
