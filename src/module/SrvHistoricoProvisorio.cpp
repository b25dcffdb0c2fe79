// Placeholders for the history functions until the history lands: no
// history, so nothing is recorded and nothing can be undone.

#include "SrvHistoricoProvisorio.h"

bool Srv_Kmr00003::historicoAtivo() noexcept {
    return true;
}

int32_t setIniciaAcao(const QString&, const QString&, const QString&, const QString&, const QString&,
                      QVariant& result) {
    result = QString();
    return 0;
}

int32_t setTerminaAcao(QVariant& result) {
    result = QString();
    return 0;
}

int32_t getPesqDesfazer(const QString&, const QString&, const QString&, QVariant& result) {
    result = QVariant();
    return 0;
}

int32_t getDesfazer(const QString&, const QString&, QVariant& result) {
    result = QStringLiteral("O histórico não está disponível.");
    return 0;
}

int32_t getRefazer(const QString&, const QString&, QVariant& result) {
    result = QStringLiteral("O histórico não está disponível.");
    return 0;
}
