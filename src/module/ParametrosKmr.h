#pragma once
// The screen's parameter file (PARAMETROSKMR.CDS): a saved dataset whose first
// record holds the six screen colours in the fields INCOR1 to INCOR6.

#include <QString>

#include <array>

namespace ParametrosKmr {

// The file's name, looked for beside the launcher.
inline const QString kArquivo = QStringLiteral("PARAMETROSKMR.CDS");

// Colours when there is no parameter file.
inline constexpr std::array<int, 6> kCoresPadrao = {12960962, 14737632, 8683643, 8421504, 15658734, 8388608};

// The six screen colours of the file at caminho, or kCoresPadrao when there
// is no such file. A file that is there but cannot be used (unreadable, not a
// dataset, no record, a field missing or not a whole number) throws
// std::runtime_error with a text for the operator; the path and the reader's
// own words go to the log.
std::array<int, 6> LeCoresTela(const QString& caminho);

} // namespace ParametrosKmr
