#include "Cli_Kmr00003.h"

#include "Srv_Kmr00003.h"
#include "TfrmConfGrupo.h"
#include "TrdmConfGrupo.h"

#include <HostErrors.h>
#include <HostUi.h>

#include <memory>

TfrmConfGrupo* frmConfGrupo = nullptr;
QString CorButton;
QString CorFonte;

namespace {

void reportaErro(const QString& texto) {
    Mensagem(texto, QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), QStringLiteral("002"), 0,
             nullptr);
}

// Destroys the screen, then the data service instance, however the call ends.
class FimDaChamada {
public:
    explicit FimDaChamada(std::unique_ptr<TfrmConfGrupo>& tela) : m_tela(tela) {}
    ~FimDaChamada() {
        m_tela.reset();
        frmConfGrupo = nullptr;
        rdmConfGrupo.reset();
    }
    FimDaChamada(const FimDaChamada&) = delete;
    FimDaChamada& operator=(const FimDaChamada&) = delete;

private:
    std::unique_ptr<TfrmConfGrupo>& m_tela;
};

} // namespace

namespace Cli_Kmr00003 {

void CriaTelaKmr00003(const QVariantList& arParams, QVariant& result) {
    Q_UNUSED(result);
    std::unique_ptr<TfrmConfGrupo> tela;
    FimDaChamada fim(tela);
    try {
        tela = std::make_unique<TfrmConfGrupo>();
        frmConfGrupo = tela.get();
        tela->InicializaForm(arParams);
        tela->exec();
    } catch (const SilentAbort&) {
        // Already shown to the operator.
    } catch (const std::exception& e) {
        reportaErro(exceptionText(e));
    } catch (...) {
        reportaErro(QStringLiteral("Unexpected error while showing the configuration screen."));
    }
}

} // namespace Cli_Kmr00003
