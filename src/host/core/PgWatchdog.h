#pragma once
// Notices a PostgreSQL server that has stopped answering a statement sent to
// it (a hung or stopped backend, which TCP keepalives cannot see because the
// server's kernel still answers them) and breaks the connection, so that the
// statement waiting on it fails at once instead of freezing the screen.
//
// A statement marks its wait for the server (begin/end, through
// TADOConnection::Waiting); a thread looks twice a second, and when a wait
// has lasted `silenceMs` the server is taken for dead and the socket is shut
// down. The statement then fails with a lost connection, which the data
// service reports and recovers from at its next call. The server's own
// statement limit is shorter, so a statement that is merely slow is
// cancelled by the server first, with its own message.

#include <QSqlDatabase>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class PgWatchdog {
public:
    // Watches the socket of an open QPSQL connection; does nothing for other
    // drivers or a connection over a local (Unix) socket.
    PgWatchdog(const QSqlDatabase& db, int silenceMs);
    ~PgWatchdog(); // stops the thread; call before the connection closes
    PgWatchdog(const PgWatchdog&) = delete;
    PgWatchdog& operator=(const PgWatchdog&) = delete;

    bool watching() const { return m_thread.joinable(); }
    // A statement starts and stops waiting for the server.
    void begin();
    void end();
    // True once the watchdog has given the connection up.
    bool fired() const;

private:
    void run();
    bool sameSocket() const;

    int m_fd = -1;
    int m_silenceMs;
    unsigned short m_localPort = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_fired = false;
    std::atomic<qint64> m_waitingSince{0}; // steady ms; 0 while no statement waits
    std::thread m_thread;
};
