#pragma once
// What a PostgreSQL connection string hands to libpq besides host, database,
// user and password: the bounded waits, the TLS settings (SSL Mode, SSL Root
// Cert, SSL Cert, SSL Key), a service of pg_service.conf (Service), the port
// list of a multi-host Host and the kind of server wanted (Target Session
// Attrs). A connection string naming none of these gets exactly the waits.

#include "ConnectionString.h"

#include <QList>
#include <QPair>
#include <QSqlError>
#include <QString>
#include <QStringList>

namespace PgConnectOptions {

// The connect options for Qt's PostgreSQL driver ("key=value" pairs
// separated by ';'). Throws DatabaseError (cause Configuration, in the
// operator's words) for a value libpq would not take: an unknown SSL mode or
// session kind, a port list that does not match the host list, a value that
// cannot be passed on (holding ';').
QString forQtDriver(const ConnectionString& cs);

// The hosts and the ports, one entry each; a single port stands for every
// host; empty lists when not named.
QStringList hosts(const ConnectionString& cs);
QStringList ports(const ConnectionString& cs);

// The libpq settings named by the connection string as (libpq keyword,
// value) pairs, in a fixed order, without the waits and the port; for the
// ODBC route, which passes them on in its own way.
QList<QPair<QString, QString>> libpqSettings(const ConnectionString& cs);

// libpq's quoting of a value: in single quotes, a quote or a backslash
// escaped by a backslash.
QString quoted(const QString& value);

// After a failed connect: throws DatabaseError in the operator's words when
// the server's certificate was refused (another name, another authority),
// a certificate or key of the connection string could not be used, the
// server has no encryption where it is demanded, or only read-only servers
// answered; returns for any other failure.
void explainOpenFailure(const QSqlError& error, const ConnectionString& cs);

} // namespace PgConnectOptions
