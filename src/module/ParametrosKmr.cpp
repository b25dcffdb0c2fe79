#include "ParametrosKmr.h"

#include <ClientDataSet.h>
#include <HostErrors.h>
#include <KmrLog.h>
#include <OperatorTexts.h>

#include <QFileInfo>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace ParametrosKmr {

std::array<int, 6> LeCoresTela(const QString& caminho) {
    const QFileInfo info(caminho);
    if (!info.exists())
        return kCoresPadrao;
    const auto falha = [&caminho](const QString& texto, const QString& detalhe) {
        qCWarning(lcKmrApp).noquote() << QStringLiteral("parameter file %1: %2").arg(caminho, detalhe);
        return std::runtime_error(texto.toStdString());
    };
    if (!info.isFile() || !info.isReadable())
        throw falha(OperatorTexts::parametrosIlegivel(), QStringLiteral("cannot be read"));
    ClientDataSet cdsParametrosKmr(QStringLiteral("cdsParametrosKmr"));
    try {
        cdsParametrosKmr.loadFromFile(caminho);
    } catch (const std::exception& e) {
        throw falha(OperatorTexts::parametrosInvalido(), exceptionText(e));
    }
    if (cdsParametrosKmr.isEmpty())
        throw falha(OperatorTexts::parametrosVazio(), QStringLiteral("holds no record"));
    cdsParametrosKmr.first();
    std::array<int, 6> cores{};
    for (size_t i = 0; i < cores.size(); ++i) {
        const QString campo = QStringLiteral("INCOR%1").arg(i + 1);
        if (cdsParametrosKmr.fieldIndex(campo) < 0)
            throw falha(OperatorTexts::parametrosCampoAusente(campo), QStringLiteral("no field %1").arg(campo));
        const QVariant valor = cdsParametrosKmr.fieldValue(campo);
        bool ok = !valor.isNull();
        const double numero = ok ? valor.toDouble(&ok) : 0.0;
        if (!ok || std::floor(numero) != numero || numero < std::numeric_limits<int>::min() ||
            numero > std::numeric_limits<int>::max())
            throw falha(OperatorTexts::parametrosCampoNaoNumero(campo),
                        QStringLiteral("field %1 holds no whole number").arg(campo));
        cores[i] = static_cast<int>(numero);
    }
    return cores;
}

} // namespace ParametrosKmr
