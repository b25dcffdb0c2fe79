#pragma once
// Provisional declarations of the data service's history functions, until
// the history itself lands in Srv_Kmr00003.h; removed then, with the
// placeholder definitions in SrvHistoricoProvisorio.cpp.

#include <QString>
#include <QVariant>

#include <cstdint>

namespace Srv_Kmr00003 {
// False when the history cannot be written.
bool historicoAtivo() noexcept;
} // namespace Srv_Kmr00003

int32_t setIniciaAcao(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDSESSAO,
                      const QString& P_IDACAO, const QString& P_DSACAO, QVariant& result);
int32_t setTerminaAcao(QVariant& result);
int32_t getPesqDesfazer(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDSESSAO,
                        QVariant& result);
int32_t getDesfazer(const QString& P_NRDIARIO, const QString& P_IDSESSAO, QVariant& result);
int32_t getRefazer(const QString& P_NRDIARIO, const QString& P_IDSESSAO, QVariant& result);
