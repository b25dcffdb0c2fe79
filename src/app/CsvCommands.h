#pragma once
// The launcher's spreadsheet commands: --export-csv writes every item of a
// configuration as one line of a CSV file; --import-csv writes the items of
// such a file into a configuration through the data service's import, with
// the same refusals and the one transaction as an XML import.
//
// The file: UTF-8 with a byte-order mark, a header of column names (the menu
// table's), ';' or ',' between fields, colours in decimal or as #RRGGBB. An
// empty field is a missing value; "" (quoted) an empty text.

#include <DataPacket.h>

#include <QByteArray>
#include <QCommandLineParser>
#include <QString>

#include <optional>
#include <variant>

namespace CsvCommands {

void addOptions(QCommandLineParser& parser);

// Runs --export-csv or --import-csv when one is asked for: its exit status.
std::optional<int> run(const QCommandLineParser& parser);

// The items as the CSV file holds them, separated by ';'.
QByteArray paraCsv(const DataPacket& itens);

// The CSV file as the data packet the data service imports, each item with
// its line in the column DSLOCALITEM; or the refusal, naming the line and
// the column, in Portuguese.
std::variant<DataPacket, QString> deCsv(const QByteArray& arquivo);

} // namespace CsvCommands
