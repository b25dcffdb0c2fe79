// The CSV reader on any bytes, as the launcher's spreadsheet import reads a
// file: the separator guessed from the first line, then every record. An
// accepted text must also survive being written out again field by field
// (csvField) and read back: the same records, the same texts, the same
// empty fields' quoted flags.
#include "CsvReader.h"

#include <cstddef>
#include <cstdint>

namespace {

QByteArray reescreve(const QList<CsvRecord>& records, char separator) {
    QString text;
    for (const CsvRecord& r : records) {
        QStringList fields;
        for (const CsvField& f : r.fields)
            fields.append(csvField(f.text, separator, f.quoted));
        text += fields.join(QChar::fromLatin1(separator));
        text += QStringLiteral("\r\n");
    }
    // As the spreadsheet export writes it: a byte-order mark first, so that a
    // first field that itself starts with U+FEFF keeps it.
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

bool mesmos(const QList<CsvRecord>& a, const QList<CsvRecord>& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QList<CsvField>& fa = a.at(i).fields;
        const QList<CsvField>& fb = b.at(i).fields;
        if (fa.size() != fb.size())
            return false;
        for (qsizetype j = 0; j < fa.size(); ++j) {
            if (fa.at(j).text != fb.at(j).text)
                return false;
            // Only an empty field's quotes carry meaning (empty text, not a
            // missing value); a plain field holding a quote is written quoted.
            if (fa.at(j).text.isEmpty() && fa.at(j).quoted != fb.at(j).quoted)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const char separator = csvSeparator(bytes);
    if (separator != ';' && separator != ',')
        __builtin_trap(); // only the two separators are ever guessed
    const CsvResult result = readCsv(bytes, separator);
    if (const auto* error = std::get_if<CsvError>(&result)) {
        if (error->line < 1 || error->column < 1 || error->reason.isEmpty())
            __builtin_trap(); // a refusal must say where and why
        return 0;
    }
    const auto& records = std::get<QList<CsvRecord>>(result);
    int line = 0;
    for (const CsvRecord& r : records) {
        if (r.line < 1 || r.line < line || r.fields.isEmpty())
            __builtin_trap(); // records come in file order, each with a field at least
        line = r.line;
    }
    const CsvResult again = readCsv(reescreve(records, separator), separator);
    const auto* back = std::get_if<QList<CsvRecord>>(&again);
    if (!back || !mesmos(records, *back))
        __builtin_trap(); // what was read does not read back the same once written
    return 0;
}
