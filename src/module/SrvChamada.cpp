#include "SrvChamada.h"

#include <AdoSession.h>

#include <QtGlobal>

namespace SrvChamada {

FailureCause& causa() noexcept {
    static FailureCause atual = FailureCause::Other;
    return atual;
}

int32_t falhou(TrdmConfGrupo& dm, Tipo tipo, const std::exception& erro, QVariant& result) noexcept {
    try {
        const auto* falha = dynamic_cast<const DatabaseError*>(&erro);
        causa() = falha ? falha->cause() : FailureCause::Other;
        if (tipo == Tipo::Gravacao)
            dm.Rollback(); // nothing left to do unless the guard's rollback failed
        result = ADOExceptionMessage(erro, dm.adcConfGrupo, QString());
    } catch (...) {
        return KMR_STATUS_FAILED;
    }
    try {
        dm.DropIfLost();
    } catch (...) {
        // The connection is reopened at the next call or its failure reported then.
    }
    return 0;
}

int32_t falhouInesperado(TrdmConfGrupo& dm, Tipo tipo, const char* detalhe, QVariant& result) noexcept {
    try {
        qWarning("Unexpected failure in the data service: %s", detalhe);
        const DatabaseError erro(FailureCause::Unexpected,
                                 tipo == Tipo::Gravacao
                                     ? QStringLiteral("Ocorreu um erro inesperado e nada foi gravado. Tente de novo; "
                                                      "se o erro voltar, chame o suporte.")
                                     : QStringLiteral("Ocorreu um erro inesperado ao ler os dados. Tente de novo; "
                                                      "se o erro voltar, chame o suporte."));
        return falhou(dm, tipo, erro, result);
    } catch (...) {
        return KMR_STATUS_FAILED;
    }
}

} // namespace SrvChamada
