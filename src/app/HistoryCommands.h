#pragma once
// The launcher's history commands: --history prints the journal of the
// menu's changes newest first, one line per action (time, station, user,
// configuration, action, each button with its caption before -> after),
// for the configuration of --branch and --config or, without them, for
// every configuration; --limit N the newest N actions. --restore-to
// "YYYY-MM-DD HH:MM" puts the configuration of --branch and --config back as
// it was at that moment, in one transaction, itself recorded in the journal.
// Exit status 0 done, 2 refused or failed, with a Portuguese text.

#include <QCommandLineParser>

#include <optional>

namespace HistoryCommands {

void addOptions(QCommandLineParser& parser);

// Runs --history or --restore-to when one is asked for: its exit status.
std::optional<int> run(const QCommandLineParser& parser);

} // namespace HistoryCommands
