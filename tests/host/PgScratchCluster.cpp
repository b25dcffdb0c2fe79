#include "PgScratchCluster.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace {

bool asRoot() {
    return ::geteuid() == 0;
}

void append(const QString& path, const QString& text, QIODevice::OpenMode mode = QIODevice::Append) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | mode) || file.write(text.toUtf8()) < 0)
        throw std::runtime_error(("cannot write " + path).toStdString());
}

} // namespace

QString PgScratchCluster::binDir() {
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        const QString bin = root.filePath(*it + QStringLiteral("/bin"));
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() &&
            QFileInfo(bin + QStringLiteral("/pg_basebackup")).isExecutable())
            return bin;
    }
    return {};
}

int PgScratchCluster::freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        throw std::runtime_error("cannot open a socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    if (port == 0)
        throw std::runtime_error("no free loopback port");
    return port;
}

PgScratchCluster::PgScratchCluster(const QString& folder) : m_folder(QDir(folder).absolutePath()) {
    QDir().mkpath(m_folder);
    if (asRoot()) {
        // The server's user must reach its folder through the test's own.
        const QString parent = QFileInfo(m_folder).absolutePath();
        QFile::setPermissions(parent, QFile::permissions(parent) | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    }
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    giveToServer(m_folder);
}

PgScratchCluster::~PgScratchCluster() {
    if (m_running) {
        try {
            stop(QStringLiteral("immediate"));
        } catch (const std::exception&) {
            // The folder goes with the test's temporary folder anyway.
        }
    }
}

void PgScratchCluster::run(const QString& program, const QStringList& arguments, int timeoutMs) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_folder);
    const QString path = binDir() + u'/' + program;
    if (asRoot())
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), path} +
                          arguments);
    else
        process.start(path, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (!finished)
            process.kill();
        QString log;
        QFile serverLog(m_folder + QStringLiteral("/server.log"));
        if (serverLog.open(QIODevice::ReadOnly))
            log = QString::fromUtf8(serverLog.readAll().right(2000));
        throw std::runtime_error(QStringLiteral("%1 %2 failed: %3\n%4")
                                     .arg(program, arguments.join(u' '), QString::fromUtf8(process.readAll()), log)
                                     .toStdString());
    }
}

void PgScratchCluster::giveToServer(const QString& path) const {
    if (!asRoot())
        return;
    const passwd* pg = ::getpwnam("postgres");
    if (pg == nullptr || ::chown(QFile::encodeName(path).constData(), pg->pw_uid, pg->pw_gid) != 0)
        throw std::runtime_error(("cannot give " + path + " to the postgres user").toStdString());
}

void PgScratchCluster::init() {
    run(QStringLiteral("initdb"),
        {QStringLiteral("-D"), dataDir(), QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-U"),
         QStringLiteral("postgres"), QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8")});
}

void PgScratchCluster::initStandbyOf(const PgScratchCluster& primary, const QString& standbyName) {
    run(QStringLiteral("pg_basebackup"), {QStringLiteral("-D"), dataDir(), QStringLiteral("-d"),
                                          QStringLiteral("host=127.0.0.1 port=%1 user=postgres application_name=%2")
                                              .arg(primary.port())
                                              .arg(standbyName),
                                          QStringLiteral("-X"), QStringLiteral("stream"), QStringLiteral("-R"),
                                          QStringLiteral("-c"), QStringLiteral("fast")});
    // The last setting wins: the standby names itself to the primary, so
    // that the primary can wait for it.
    append(dataDir() + QStringLiteral("/postgresql.auto.conf"),
           QStringLiteral("primary_conninfo = 'host=127.0.0.1 port=%1 user=postgres application_name=%2'\n")
               .arg(primary.port())
               .arg(standbyName));
}

void PgScratchCluster::addConfig(const QString& lines) {
    append(dataDir() + QStringLiteral("/postgresql.conf"), u'\n' + lines + u'\n');
}

void PgScratchCluster::setHba(const QString& text) {
    append(dataDir() + QStringLiteral("/pg_hba.conf"), text, QIODevice::Truncate);
}

void PgScratchCluster::installFile(const QString& source, const QString& name) {
    const QString target = dataDir() + u'/' + name;
    QFile::remove(target);
    if (!QFile::copy(source, target))
        throw std::runtime_error(("cannot copy " + source).toStdString());
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    giveToServer(target);
}

void PgScratchCluster::start(const QStringList& settings) {
    if (m_port == 0)
        m_port = freePort();
    QString options =
        QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off").arg(m_port).arg(m_folder);
    for (const QString& setting : settings)
        options += QStringLiteral(" -c ") + setting;
    run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(), QStringLiteral("-w"), QStringLiteral("-t"),
                                   QStringLiteral("60"), QStringLiteral("-l"), m_folder + QStringLiteral("/server.log"),
                                   QStringLiteral("-o"), options, QStringLiteral("start")});
    m_running = true;
}

void PgScratchCluster::stop(const QString& mode) {
    run(QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), dataDir(), QStringLiteral("-w"), QStringLiteral("-m"), mode, QStringLiteral("stop")});
    m_running = false;
}

void PgScratchCluster::promote() {
    run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(), QStringLiteral("-w"), QStringLiteral("-t"),
                                   QStringLiteral("60"), QStringLiteral("promote")});
}

QString PgScratchCluster::adminConnectionString(const QString& database) const {
    return QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Database=%2;User ID=postgres")
        .arg(m_port)
        .arg(database);
}
