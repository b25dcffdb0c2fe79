#pragma once
// Comma- or semicolon-separated text as spreadsheet programs write it: UTF-8
// (a byte-order mark at the start is skipped), fields in double quotes where
// they hold the separator, a quote (doubled) or a line break, lines ended by
// CR LF, LF or CR. Pure functions: bytes in, records or the place of the first
// fault out.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

struct CsvField {
    QString text;
    bool quoted = false; // written in quotes: an empty quoted field is an empty text, not a missing value
};

struct CsvRecord {
    int line = 0; // line of the file where the record starts, from 1
    QList<CsvField> fields;
};

// Where the text stops being CSV, and why (in the operator's words, Portuguese).
struct CsvError {
    int line = 0;   // from 1
    int column = 0; // the field's number in its record, from 1
    QString reason;
};

using CsvResult = std::variant<QList<CsvRecord>, CsvError>;

// The separator of the text: ';' or ',', whichever appears first outside
// quotes on its first line; ';' when neither does.
char csvSeparator(const QByteArray& bytes);

// Every record of the text, with separator ';' or ','. Lines that hold
// nothing at all are passed over. Refused: text that is not UTF-8, a NUL
// character, a quoted field that is never closed, anything but a separator or
// a line end right after a closing quote.
CsvResult readCsv(const QByteArray& bytes, char separator);

// One field as written into a file with that separator: quoted when it holds
// the separator, a quote, a line break or a blank at either end, or when
// quoted is asked for (an empty text that must not read back as missing).
QString csvField(const QString& text, char separator, bool quoted = false);
