#pragma once
// The PostgreSQL client library and the ODBC driver manager, loaded when a
// connection first needs them, not when the program starts: a till on the
// embedded database never maps them, nor what they bring with them (TLS,
// Kerberos, LDAP), about a sixth of its start-up. By the time a connection
// is open its Qt driver has loaded the same library, so loading it here
// costs nothing more then.
//
// Each function is called through the table, under its own name:
//     if (const ClientLibraries::Pq* pq = ClientLibraries::pq())
//         pq->PQstatus(conn);

#include <libpq-fe.h>
#include <sql.h>
#include <sqlext.h>

#define KMR_PQ_FUNCTIONS(X)                                                                                            \
    X(PQclear)                                                                                                         \
    X(PQdescribePrepared)                                                                                              \
    X(PQerrorMessage)                                                                                                  \
    X(PQexec)                                                                                                          \
    X(PQexecPrepared)                                                                                                  \
    X(PQfname)                                                                                                         \
    X(PQftype)                                                                                                         \
    X(PQgetisnull)                                                                                                     \
    X(PQgetlength)                                                                                                     \
    X(PQgetvalue)                                                                                                      \
    X(PQnfields)                                                                                                       \
    X(PQntuples)                                                                                                       \
    X(PQprepare)                                                                                                       \
    X(PQresultErrorField)                                                                                              \
    X(PQresultErrorMessage)                                                                                            \
    X(PQresultStatus)                                                                                                  \
    X(PQsocket)                                                                                                        \
    X(PQstatus)                                                                                                        \
    X(PQtransactionStatus)

#define KMR_ODBC_FUNCTIONS(X)                                                                                          \
    X(SQLAllocHandle)                                                                                                  \
    X(SQLDrivers)                                                                                                      \
    X(SQLFreeHandle)                                                                                                   \
    X(SQLGetInfo)                                                                                                      \
    X(SQLSetEnvAttr)

namespace ClientLibraries {

#define KMR_FUNCTION_MEMBER(f) decltype(&::f) f = nullptr;

struct Pq {
    KMR_PQ_FUNCTIONS(KMR_FUNCTION_MEMBER)
};

struct Odbc {
    KMR_ODBC_FUNCTIONS(KMR_FUNCTION_MEMBER)
};

#undef KMR_FUNCTION_MEMBER

// The library's functions, loaded at the first call; null (and the reason
// in the log, once) when the library or one of its functions is missing.
const Pq* pq() noexcept;
const Odbc* odbc() noexcept;

} // namespace ClientLibraries
