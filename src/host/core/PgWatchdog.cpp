#include "PgWatchdog.h"

#include "ClientLibraries.h"
#include "KmrLog.h"

#include <QSqlDriver>
#include <QVariant>

#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>

namespace {

PGconn* pgConnection(const QSqlDatabase& db) {
    if (db.driver() == nullptr)
        return nullptr;
    const QVariant handle = db.driver()->handle();
    // The driver registers the pointer under the struct's own name.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

// The local port identifies the connection's socket: a descriptor number
// may be reused by another socket once the driver has closed its own.
unsigned short localPort(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return 0;
}

} // namespace

PgWatchdog::PgWatchdog(const QSqlDatabase& db, int silenceMs) : m_silenceMs(silenceMs) {
    PGconn* conn = pgConnection(db);
    if (conn == nullptr)
        return;
    const ClientLibraries::Pq* pq = ClientLibraries::pq();
    if (pq == nullptr)
        return;
    m_fd = pq->PQsocket(conn);
    if (m_fd < 0)
        return;
    m_localPort = localPort(m_fd);
    if (m_localPort == 0)
        return; // a local socket: no network between us and the server
    m_thread = std::thread([this] { run(); });
}

PgWatchdog::~PgWatchdog() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool PgWatchdog::fired() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_fired;
}

bool PgWatchdog::sameSocket() const {
    return localPort(m_fd) == m_localPort;
}

namespace {

qint64 steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void PgWatchdog::begin() {
    m_waitingSince.store(steadyMs());
}

void PgWatchdog::end() {
    m_waitingSince.store(0);
}

void PgWatchdog::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        m_wake.wait_for(lock, std::chrono::milliseconds(500));
        if (m_stop)
            break;
        const qint64 since = m_waitingSince.load();
        if (since == 0 || steadyMs() - since < m_silenceMs)
            continue;
        if (!sameSocket())
            break; // the driver has closed the connection
        qCWarning(lcKmrDb).noquote() << QStringLiteral(
                                            "the server has not answered for %1 ms; the connection is given up")
                                            .arg(steadyMs() - since);
        ::shutdown(m_fd, SHUT_RDWR);
        m_fired = true;
        break;
    }
}
