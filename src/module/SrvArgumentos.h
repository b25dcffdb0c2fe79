#pragma once
// Checks of the texts the data service writes, made before they are bound and
// alike on every database: a text over its column's width, a caption with
// control or invisible characters, a colour that is not a number. A refused
// text raises DatabaseError with its cause and the operator's text; nothing
// reaches the database.

#include <QString>

class TADOQuery;

namespace SrvArgumentos {

// The width of a menu item column (by its name, or by a parameter name such
// as "P_NRBUTTON_ANT"); -1 for a column without a text width.
int larguraDaColuna(const QString& nome);

// Characters as the database counts them: a character outside the basic
// plane is one, not two.
int caracteres(const QString& texto);

// Control characters (C0, DEL, C1), line and paragraph separators, and the
// invisible format characters that reorder or hide text.
bool temCaracteresDeControle(const QString& texto);

// Refuses a text wider than the column the parameter names.
void verificaLargura(const QString& parametro, const QString& valor);
// Refuses a caption with control characters or over its width.
void verificaNome(const QString& valor);
// Refuses a colour text that is not a finite number; returns it unchanged.
const QString& verificaCor(const QString& valor);
// Refuses a colour number that is not finite; returns it as a double.
double verificaCor(float valor);

// Checks the value against the parameter's column, then binds it.
void bindText(TADOQuery& statement, const QString& parametro, const QString& valor);
// Checks a caption (control characters and width), then binds it.
void bindNome(TADOQuery& statement, const QString& parametro, const QString& valor);
// Checks a colour text, then binds it.
void bindCor(TADOQuery& statement, const QString& parametro, const QString& valor);

} // namespace SrvArgumentos
