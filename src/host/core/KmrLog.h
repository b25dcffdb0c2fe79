#pragma once
// The application's log: the technical detail of every failure the operator
// is told about in plain words (driver text, statement, call key), in
// "kalmora.log" in the user's data folder, beside the embedded database.
// KALMORA_LOG_DIR names another folder (tests use a temporary one). The file
// is rotated at about 1 MB; three older files are kept. Nothing that is
// logged ever holds a password: callers log redacted connection strings.

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcKmrDb)  // "kalmora.db": database failures
Q_DECLARE_LOGGING_CATEGORY(lcKmrApp) // "kalmora.app": launcher, screen, files

namespace KmrLog {

// Folder of the log file: KALMORA_LOG_DIR, else the folder of the embedded
// database.
QString directory();
// Full path of the current log file.
QString filePath();

// Size at which the file is rotated (about 1 MB) and how many older files are
// kept ("kalmora.log.1" the newest of them).
inline constexpr qint64 kMaxBytes = 1024 * 1024;
inline constexpr int kKeptFiles = 3;

// Installs the message handler: every message goes to the log file,
// time-stamped; messages of categories outside the application's also go to
// the handler that was installed before. Call once, from the launcher.
void install();
// Restores the handler that install() replaced.
void uninstall();

// Appends one line to the log file, rotating first when it has grown past
// maxBytes. Used by the handler; open to tests.
void write(const QString& line, qint64 maxBytes = kMaxBytes);

} // namespace KmrLog
