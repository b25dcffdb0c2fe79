#pragma once
// The frame of every exported data service function: the result set empty
// first, a write inside a transaction of its own (joined when one is open),
// every exception turned into the failure text with status 0. Nothing leaves
// a function by exception; a nonzero status only without an instance or when
// the failure path itself failed.
//
//   int32_t getAlgo(const QString& P_X, QVariant& result) {
//       return runQuery(result, [&](TrdmConfGrupo& dm) { ...; return dm.dspAlgo.getData(); });
//   }
//   int32_t setAlgo(const QString& P_X, QVariant& result) {
//       return runWrite(result, [&](TrdmConfGrupo& dm) { ...; dm.acmAlgo.execute(); });
//   }
//
// A write whose work returns a value hands it back in the result after the
// commit; one that returns nothing leaves an empty text.

#include "Diario.h"
#include "Srv_Kmr00003.h"
#include "TrdmConfGrupo.h"

#include <DataPacket.h>
#include <HostErrors.h>
#include <SqlGuards.h>

#include <QVariant>

#include <exception>
#include <optional>
#include <type_traits>

namespace SrvChamada {

enum class Tipo { Consulta, Gravacao };

// The cause of the failure the running (or last) call left in its result;
// FailureCause::Other from the start of every call.
FailureCause& causa() noexcept;

// The failure path: a write's transaction is rolled back (when the guard could
// not), the failure text goes into the result, the status is 0. Only a failure
// of this path itself gives the nonzero status.
int32_t falhou(TrdmConfGrupo& dm, Tipo tipo, const std::exception& erro, QVariant& result) noexcept;
// As falhou, for an exception that is not a database failure: the operator
// reads a plain text, the detail goes to the log.
int32_t falhouInesperado(TrdmConfGrupo& dm, Tipo tipo, const char* detalhe, QVariant& result) noexcept;

template <Tipo tipo, typename Work> int32_t executa(QVariant& result, Work&& work) noexcept {
    try {
        result = QVariant();
        causa() = FailureCause::Other;
        TrdmConfGrupo* dm = rdmConfGrupo.get();
        if (dm == nullptr)
            return KMR_STATUS_FAILED;
        try {
            dm->ReconnectIfDropped();
            if constexpr (tipo == Tipo::Consulta) {
                result = QVariant::fromValue(work(*dm));
            } else {
                // The outermost write records its changes in the journal. In
                // a transaction the host opened, what it records is let go
                // (or taken back) by the data module's Commit (or Rollback).
                const bool daHospedeira = dm->InTransaction();
                WriteTransaction transacao(dm->adcConfGrupo);
                std::optional<Diario::Registro> registro;
                try {
                    if (!Diario::Registro::emCurso())
                        registro.emplace(*dm);
                    if constexpr (std::is_void_v<decltype(work(*dm))>) {
                        work(*dm);
                        if (registro)
                            registro->registra();
                        transacao.commit();
                        result = QString(QLatin1String(""));
                    } else {
                        QVariant valor = QVariant::fromValue(work(*dm));
                        if (registro)
                            registro->registra();
                        transacao.commit();
                        result = std::move(valor);
                    }
                } catch (...) {
                    if (registro)
                        registro->falhou();
                    throw;
                }
                if (registro && !daHospedeira)
                    registro->depoisDoCommit();
            }
            return 0;
        } catch (const DatabaseError& e) {
            return falhou(*dm, tipo, e, result);
        } catch (const std::exception& e) {
            return falhouInesperado(*dm, tipo, e.what(), result);
        } catch (...) {
            return falhouInesperado(*dm, tipo, "exception of unknown type", result);
        }
    } catch (...) {
        return KMR_STATUS_FAILED;
    }
}

} // namespace SrvChamada

template <typename Work> int32_t runQuery(QVariant& result, Work&& work) noexcept {
    return SrvChamada::executa<SrvChamada::Tipo::Consulta>(result, std::forward<Work>(work));
}

template <typename Work> int32_t runWrite(QVariant& result, Work&& work) noexcept {
    return SrvChamada::executa<SrvChamada::Tipo::Gravacao>(result, std::forward<Work>(work));
}
