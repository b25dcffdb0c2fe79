#pragma once
// The Portuguese texts the operator reads for a failed operation: what
// happened, in the operator's words, and what to do. One place for all of
// them; no SQL, driver text, constraint name or file path of the user's home
// ever goes into one (that detail goes to the log).

#include <QString>

namespace OperatorTexts {

// A caption of `length` characters where the column takes `limit`.
QString textoLongo(int length, int limit);
// A key or other value (`campo`, the column's name as the operator knows it)
// wider than its column.
QString valorLargo(const QString& campo, const QString& valor, int limit);
// A colour text that is not a number.
QString corNaoNumerica(const QString& valor);
// A text with control or invisible characters.
QString caracteresControle(const QString& campo);

} // namespace OperatorTexts
