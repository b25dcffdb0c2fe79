#pragma once
// The launcher's options for the configuration edited (--branch, --config,
// --store) and its commands that work on a whole configuration without the
// screen (--export, --import, --copy-config). The commands call the data
// service; no SQL is held here.

#include <QCommandLineParser>
#include <QVariantList>

#include <optional>
#include <utility>

namespace ConfigCommands {

// Adds the options and commands to the launcher's parser.
void addOptions(QCommandLineParser& parser);

// Runs after the parser has processed the command line. Returns the exit
// status when the launcher is to stop here (a command ran, or an option was
// refused); otherwise fills the entry point's parameter array and returns
// nothing, and the screen opens.
//
// Parameter array of CriaTelaKmr00003: element 0 is a map with the keys
// "CDFILIAL", "NRCONFTELA" and "CDLOJA"; an empty array keeps the screen's
// defaults ("9999", "00001", "01").
std::optional<int> run(const QCommandLineParser& parser, QVariantList& arParams);

// The branch and configuration named by --branch and --config (the defaults
// where one is not given), checked as for the screen; nothing, with the
// refusal in erro, when one is not valid.
std::optional<std::pair<QString, QString>> configuracao(const QCommandLineParser& parser, QString& erro);

} // namespace ConfigCommands
