// The module's exports: the entry point under its plain and its
// unit-qualified name, with a C-friendly signature for the host's loader.

#include "Cli_Kmr00003.h"

#include <QVariant>
#include <QtGlobal>

#include <exception>

namespace {

// Nothing leaves an exported function by exception: the host's loader is not
// C++ and could not catch it. The entry point reports its own failures; what
// fails before it (copying the parameters) goes to the log.
void chamaEntrada(const QVariant* arParams, int highIndex, QVariant* result) noexcept {
    try {
        QVariantList parametros;
        for (int i = 0; arParams && i <= highIndex; ++i)
            parametros.append(arParams[i]);
        QVariant descartado;
        Cli_Kmr00003::CriaTelaKmr00003(parametros, result ? *result : descartado);
    } catch (const std::exception& e) {
        qCritical("The configuration screen could not be started: %s", e.what());
    } catch (...) {
        qCritical("The configuration screen could not be started");
    }
}

} // namespace

extern "C" {

// arParams: the first element of the parameter array; highIndex: the index of
// its last element (-1 when empty). result is left as the caller set it.
__attribute__((visibility("default"))) void CriaTelaKmr00003(const QVariant* arParams, int highIndex,
                                                             QVariant* result) {
    chamaEntrada(arParams, highIndex, result);
}

__attribute__((visibility("default"))) void Cli_Kmr00003_CriaTelaKmr00003(const QVariant* arParams, int highIndex,
                                                                          QVariant* result) {
    chamaEntrada(arParams, highIndex, result);
}

} // extern "C"
