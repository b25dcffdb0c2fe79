#pragma once
// The launcher's command line, read before any window is needed: what it
// asks for decides whether the widget library is loaded, and a line that
// cannot be read is refused in Portuguese without it.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace LauncherOptions {

// The process arguments as the parser reads them.
QStringList argumentos(int argc, char* argv[]);

// Prints why the line was not read (the unknown option, the missing value)
// and the options there are; returns the exit status, 2.
int recusaLinha(const QCommandLineParser& parser);

// The commands given ("--pdf", ...); each must run alone.
QStringList comandos(const QCommandLineParser& parser);

// What --diff compares the configuration of --branch and --config with: an
// export file (--diff FILE) or another configuration (--diff FROM_BRANCH
// FROM_CONFIG, the second as the one positional argument).
struct OrigemDiff {
    QString arquivo; // empty when a configuration is named
    QString filial;
    QString conf;
};

// The operands of --diff, checked (a branch and a configuration within their
// columns); nothing, with the refusal in erro, when they cannot be used.
std::optional<OrigemDiff> origemDiff(const QCommandLineParser& parser, QString& erro);

// True when neither an X11 nor a Wayland display is named, nor a Qt platform.
bool semTela();

} // namespace LauncherOptions
