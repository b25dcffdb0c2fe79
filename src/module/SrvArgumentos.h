#pragma once
// Checks of the texts the data service writes, made before they are bound and
// alike on every database: a text over its column's width, a caption with
// control or invisible characters, a colour that is not a number. A refused
// text raises DatabaseError with its cause and the operator's text; nothing
// reaches the database.

#include <QString>

#include <initializer_list>

class TADOQuery;

namespace SrvArgumentos {

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

// An argument of a statement: its parameter, its value, and how the value is
// checked (as bindText, bindNome or bindCor).
struct Argumento {
    enum class Tipo { Texto, Nome, Cor };
    const char* parametro;
    const QString& valor;
    Tipo tipo;
};
inline Argumento texto(const char* parametro, const QString& valor) {
    return {parametro, valor, Argumento::Tipo::Texto};
}
inline Argumento nome(const char* parametro, const QString& valor) {
    return {parametro, valor, Argumento::Tipo::Nome};
}
inline Argumento cor(const char* parametro, const QString& valor) {
    return {parametro, valor, Argumento::Tipo::Cor};
}
using Argumentos = std::initializer_list<Argumento>;

// Checks each argument in turn, binding none.
void verifica(Argumentos argumentos);
// Checks each argument in turn and binds it.
void bind(TADOQuery& statement, Argumentos argumentos);

// Checks the value against the parameter's column, then binds it.
void bindText(TADOQuery& statement, const QString& parametro, const QString& valor);

// Checks a caption (control characters and width), then binds it.
void bindNome(TADOQuery& statement, const QString& parametro, const QString& valor);
// Checks a colour text, then binds it.
void bindCor(TADOQuery& statement, const QString& parametro, const QString& valor);

} // namespace SrvArgumentos
