#include "Cli_Kmr00003.h"

#include "Srv_Kmr00003.h"
#include "TfrmConfGrupo.h"

#include <HostErrors.h>
#include <HostUi.h>

#include <QtGlobal>

#include <memory>
#include <stdexcept>

TfrmConfGrupo* frmConfGrupo = nullptr;
QString CorButton;
QString CorFonte;

namespace {

// What the operator reads when the screen fails for a reason without a text of its own.
const char16_t kErroInesperado[] = u"Ocorreu um erro inesperado e a tela de configuração foi fechada. Abra a tela "
                                   u"de novo; se o erro voltar, chame o suporte.";

// Shows an error report. A report that fails itself is not tried again (the
// operator would see it twice or not at all); it goes to the log.
void reportaErro(const QString& texto) noexcept {
    try {
        MensagemErro(texto, QStringLiteral("002"));
    } catch (const std::exception& e) {
        qCritical("The error report could not be shown (%s): %s", e.what(), qUtf8Printable(texto));
    } catch (...) {
        qCritical("The error report could not be shown: %s", qUtf8Printable(texto));
    }
}

// The text of a failure that ends the call: a database failure or a problem
// of the screen's set-up says what happened; anything else (memory, a fault
// of the program) gets the plain text, its detail goes to the log.
QString textoDaFalha(const std::exception& e) noexcept {
    try {
        if (dynamic_cast<const DatabaseError*>(&e) || dynamic_cast<const std::runtime_error*>(&e)) {
            const QString texto = exceptionText(e);
            if (!texto.trimmed().isEmpty())
                return texto;
        }
        qCritical("The configuration screen failed: %s", e.what());
        return QString::fromUtf16(kErroInesperado);
    } catch (...) {
        return QString();
    }
}

// Destroys the screen, however the call ends; the data service's session,
// declared before it, then destroys the shared instance.
class FimDaChamada {
public:
    explicit FimDaChamada(std::unique_ptr<TfrmConfGrupo>& tela) : m_tela(tela) {}
    ~FimDaChamada() {
        m_tela.reset();
        frmConfGrupo = nullptr;
    }
    FimDaChamada(const FimDaChamada&) = delete;
    FimDaChamada& operator=(const FimDaChamada&) = delete;

private:
    std::unique_ptr<TfrmConfGrupo>& m_tela;
};

} // namespace

namespace Cli_Kmr00003 {

void CriaTelaKmr00003(const QVariantList& arParams, QVariant& result) noexcept {
    Q_UNUSED(result);
    // The screen's initialisation opens the shared instance; it is destroyed
    // when the call ends, whether or not the initialisation succeeded.
    const Srv_Kmr00003::Sessao servico(Srv_Kmr00003::Sessao::Abertura::Adiada);
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
        reportaErro(textoDaFalha(e));
    } catch (...) {
        qCritical("The configuration screen failed with an exception of unknown type");
        reportaErro(QString::fromUtf16(kErroInesperado));
    }
}

} // namespace Cli_Kmr00003
