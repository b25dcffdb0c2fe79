#pragma once
// The launcher's --diff: compares a configuration of the store, named by
// --branch and --config, with another configuration (--diff FROM_BRANCH
// FROM_CONFIG) or with an export file (--diff FILE: the XML data packet of
// --export or the spreadsheet of --export-csv), button by button, and prints
// one line per button that differs, from the first to the second. Exit
// status as diff's: 0 the same, 1 they differ, 2 the comparison could not be
// made. The configurations are read through the data service's export.

#include <QCommandLineParser>

#include <optional>

namespace DiffCommands {

void addOptions(QCommandLineParser& parser);

// Runs --diff when it is asked for: its exit status.
std::optional<int> run(const QCommandLineParser& parser);

} // namespace DiffCommands
