#pragma once
// A PostgreSQL server of a test's own, on a free loopback port, for what the
// shared test server cannot show: TLS with the test's own certificates,
// password authentication, a primary with a streaming standby. Made with the
// server programs of the machine (initdb, pg_ctl, pg_basebackup), run as the
// postgres user when the test runs as root; stopped and removed with the
// object.

#include <QString>
#include <QStringList>

class PgScratchCluster {
public:
    // The folder of the server programs; "" when they are not installed.
    static QString binDir();
    // A loopback port no one listens on now.
    static int freePort();

    // `folder` holds the data, the log and the socket; made when missing.
    explicit PgScratchCluster(const QString& folder);
    ~PgScratchCluster();
    PgScratchCluster(const PgScratchCluster&) = delete;
    PgScratchCluster& operator=(const PgScratchCluster&) = delete;

    // A new cluster (superuser postgres, trust on the socket and loopback).
    void init();
    // A standby of `primary`, copied while it runs, that streams from it under
    // the name `standbyName` (for synchronous_standby_names).
    void initStandbyOf(const PgScratchCluster& primary, const QString& standbyName);
    // Lines added to postgresql.conf; pg_hba.conf replaced.
    void addConfig(const QString& lines);
    void setHba(const QString& text);
    // Copies a file into the data folder, readable by the server alone.
    void installFile(const QString& source, const QString& name);

    // Starts on a free port (kept across restarts) with extra -c settings.
    void start(const QStringList& settings = {});
    void stop(const QString& mode = QStringLiteral("fast"));
    void promote();

    int port() const { return m_port; }
    QString dataDir() const { return m_folder + QStringLiteral("/data"); }
    // The superuser's connection string for a database.
    QString adminConnectionString(const QString& database = QStringLiteral("postgres")) const;

    // Every step throws std::runtime_error with the program's output.
private:
    void run(const QString& program, const QStringList& arguments, int timeoutMs = 120000) const;
    void giveToServer(const QString& path) const;

    QString m_folder;
    int m_port = 0;
    bool m_running = false;
};
