#include "KmrLog.h"

#include "KmrConexao.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mutex>

Q_LOGGING_CATEGORY(lcKmrDb, "kalmora.db")
Q_LOGGING_CATEGORY(lcKmrApp, "kalmora.app")

namespace {

std::mutex g_mutex;
QtMessageHandler g_previous = nullptr;
bool g_installed = false;

const char* levelName(QtMsgType type) {
    switch (type) {
    case QtDebugMsg:
        return "DEBUG";
    case QtInfoMsg:
        return "INFO";
    case QtWarningMsg:
        return "WARN";
    case QtCriticalMsg:
        return "ERROR";
    case QtFatalMsg:
        return "FATAL";
    }
    return "?";
}

QString rotated(const QString& path, int n) {
    return QStringLiteral("%1.%2").arg(path).arg(n);
}

// kalmora.log -> kalmora.log.1 -> ... -> kalmora.log.N, the oldest dropped.
void rotate(const QString& path) {
    QFile::remove(rotated(path, KmrLog::kKeptFiles));
    for (int n = KmrLog::kKeptFiles - 1; n >= 1; --n) {
        if (QFileInfo::exists(rotated(path, n)))
            QFile::rename(rotated(path, n), rotated(path, n + 1));
    }
    QFile::rename(path, rotated(path, 1));
}

void handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QString category = QString::fromLatin1(context.category ? context.category : "default");
    const QString line = QStringLiteral("%1 %2 %3: %4")
                             .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs),
                                  QString::fromLatin1(levelName(type)), category, message);
    KmrLog::write(line);
    // The application's own detail stays out of the console the operator may
    // see; everything else keeps its usual way too.
    if (!category.startsWith(QLatin1String("kalmora.")) && g_previous != nullptr)
        g_previous(type, context, message);
}

} // namespace

namespace KmrLog {

QString directory() {
    const QString chosen = qEnvironmentVariable("KALMORA_LOG_DIR");
    if (!chosen.isEmpty())
        return QDir::cleanPath(chosen);
    return QFileInfo(defaultDatabasePath()).absolutePath();
}

QString filePath() {
    return QDir(directory()).filePath(QStringLiteral("kalmora.log"));
}

void write(const QString& line, qint64 maxBytes) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray bytes = line.toUtf8() + '\n';
    const QFileInfo info(path);
    if (info.exists() && info.size() > 0 && info.size() + bytes.size() > maxBytes)
        rotate(path);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(bytes);
}

void install() {
    if (g_installed)
        return;
    g_previous = qInstallMessageHandler(handler);
    g_installed = true;
}

void uninstall() {
    if (!g_installed)
        return;
    qInstallMessageHandler(g_previous);
    g_previous = nullptr;
    g_installed = false;
}

} // namespace KmrLog
