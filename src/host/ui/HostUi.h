#pragma once
// Host application facilities used by the screens.

#include <QString>
#include <QVariant>

#include <functional>

class QWidget;
class ClientDataSet;

// Message box through the presenter; true when the operator accepts.
bool Mensagem(const QString& texto, const QString& titulo, const QString& marca, const QString& pergunta, int tipo,
              const QString& complemento, const QString& codigo, int contexto, ClientDataSet* dataSet);

// The two ways the screens use Mensagem. An error report: the text, an empty
// title, "N", "N", kind 3, an empty text, the code ("002" or empty), 0, no
// dataset.
void MensagemErro(const QString& texto, const QString& codigo = QString());
// A yes/no question, the same arguments with "S" and kind 1; true on "Sim".
bool MensagemPergunta(const QString& texto, const QString& codigo = QString());

// Hands on a data service result. A failure text (a non-empty string) is shown
// once as an error report and a SilentAbort is raised; anything else (a data
// packet, an empty string) is returned unchanged.
QVariant MensagemMetodo(const QVariant& resultado, bool mostra, int p3, const QString& metodo, const QString& unidade,
                        const QString& chave, const QString& p7);

// Sees every MensagemMetodo call: the function's name, the unit and the call
// key, which identify the call in the application's diagnostics. Returns the
// observer it replaces; an empty one observes nothing.
using MensagemMetodoObserver = std::function<void(const QString& metodo, const QString& unidade, const QString& chave)>;
MensagemMetodoObserver setMensagemMetodoObserver(MensagemMetodoObserver observer);

// Paints a form in the six screen colours (Windows colour values).
void ColoreTela(QWidget* form, int cor1, int cor2, int cor3, int cor4, int cor5, int cor6);

// Footer text for a screen code.
QString MontaRodapeGeral(bool completo, const QString& codigoTela, const QString& p3);

// Translates a form's texts (the application's language is Portuguese: no change).
void Trad(QWidget* form);

// Runs an event handler the way the host application does: a SilentAbort ends
// it quietly; any other exception is shown once as an error report. The
// handler runs as one operator action (ErrorReportScope).
void HandleEvent(const std::function<void()>& handler);

// One failure, one message: while a scope is open, only the first error
// report (message kind 3) reaches the operator; later ones, such as a redraw
// after a failure that finds the same lost connection, go to the log.
// Questions are always asked. Scopes opened within one another share the
// outermost one's count, unless a modal screen's event loop lies between
// them: its handlers are actions of their own.
class ErrorReportScope {
public:
    ErrorReportScope();
    ~ErrorReportScope();
    ErrorReportScope(const ErrorReportScope&) = delete;
    ErrorReportScope& operator=(const ErrorReportScope&) = delete;

private:
    bool m_owner = false;
};
