#pragma once
// Small helpers of the configuration screen: the data service call pattern
// and the texts the screen builds for keys and filters.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>

namespace KmrTela {

// Unit name passed with every data service result.
inline const QString kUnidade = QStringLiteral("Cli_Kmr00003");
// Colour of a blank button (0xB09090).
constexpr int kCorBranco = 11571344;

// Hands a data service result to the host: raises on a nonzero status, then
// passes the result to MensagemMetodo (which shows a failure text and stops
// the operation) and returns what it returns.
QVariant retorno(const QString& metodo, int32_t status, const QVariant& resultado, const QString& chave);

// The call key: the call's values joined by "-".
inline QString chave(const QStringList& valores) {
    return valores.join(QLatin1Char('-'));
}

// Two-digit button number ("01" to "36").
QString doisDigitos(int n);

// Decimal text of a whole colour value held in a double ("11571344").
QString textoCor(double cor);

// The integer value of a colour text; throws std::runtime_error naming the
// text when it is not a whole number.
int corInteira(const QString& cor);

// A quoted literal of the dataset filter grammar, quotes doubled inside.
QString literal(const QString& texto);

// The filter that leaves the store's three special products out of the catalogue.
QString filtroEspeciais(const QString& c1, const QString& c2, const QString& c3);

} // namespace KmrTela
