#include "OperatorTexts.h"

namespace OperatorTexts {

QString textoLongo(int length, int limit) {
    return QStringLiteral("O nome tem %1 caracteres; o limite é %2. Digite um nome mais curto e tente de novo.")
        .arg(length)
        .arg(limit);
}

QString valorLargo(const QString& campo, const QString& valor, int limit) {
    return QStringLiteral("O valor \"%1\" de %2 passa do limite de %3 caracteres. Nada foi gravado.")
        .arg(valor, campo)
        .arg(limit);
}

QString corNaoNumerica(const QString& valor) {
    return QStringLiteral("A cor \"%1\" não é um número. Escolha a cor de novo.").arg(valor);
}

QString caracteresControle(const QString& campo) {
    return QStringLiteral("%1 contém caracteres de controle ou invisíveis, que não podem ser gravados. "
                          "Digite o texto de novo.")
        .arg(campo);
}

} // namespace OperatorTexts
