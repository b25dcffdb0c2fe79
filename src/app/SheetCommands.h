#pragma once
// The launcher's print commands: --pdf writes the whole configuration as an
// A4 landscape PDF, one sheet per group page and per product page of each
// group, and a last sheet listing every product; --png writes the same sheets
// as PNG files into a folder. The buttons are painted by the host's touch
// button, as the screen paints them; the text stays text in the PDF.

#include "MenuSheets.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QPainter>

#include <optional>

namespace SheetCommands {

void addOptions(QCommandLineParser& parser);

// True when the command line asks for a sheet (these need the widget
// library, though no display).
bool pedeFolhas(const QCommandLineParser& parser);

// Runs --pdf or --png when one is asked for: its exit status.
std::optional<int> run(const QCommandLineParser& parser);

// What each sheet's title names.
struct Cabecalho {
    QString filial;
    QString conf;
    QDateTime quando;
    int total = 0; // sheets in all
};

// Size of a sheet in the units it is drawn in (A4 landscape at 96 dots per inch).
inline constexpr QSizeF kFolha{1123.0, 794.0};

// Draws one sheet (its number from 1) on a painter set to the sheet's units.
void desenhaFolha(QPainter& p, const FolhaMenu& folha, int numero, const Cabecalho& cabecalho);

} // namespace SheetCommands
