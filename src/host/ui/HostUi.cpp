#include "HostUi.h"

#include "HostErrors.h"
#include "HostText.h"
#include "MessagePresenter.h"
#include "OperatorTexts.h"
#include "TBlendedShape.h"
#include "TColor.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QDebug>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QWidget>

#include <vector>

#ifndef KALMORA_VERSION
#define KALMORA_VERSION "1.0"
#endif

namespace {

void setRole(QWidget* widget, QPalette::ColorRole role, const QColor& color, bool fill) {
    QPalette pal = widget->palette();
    pal.setColor(role, color);
    widget->setPalette(pal);
    if (fill)
        widget->setAutoFillBackground(true);
}

void paintShape(QWidget* form, const char* name, const QColor& color) {
    if (auto* shape = form->findChild<TBlendedShape*>(QLatin1String(name)))
        shape->setFillColor(color);
}

void reportError(const QString& text) {
    try {
        MensagemErro(text);
    } catch (...) {
        // The report itself failed (no display, a broken presenter): an
        // event handler must still return normally to the event loop.
    }
}

} // namespace

namespace {
// One frame per event-loop level: an action's own nested calls share its
// frame, while the handlers of a modal screen it opens (a deeper loop) get
// frames of their own.
struct ReportFrame {
    int loopLevel = 0;
    int shown = 0;
};
std::vector<ReportFrame>& reportFrames() {
    static std::vector<ReportFrame> frames;
    return frames;
}
int loopLevel() {
    return QThread::currentThread()->loopLevel();
}
} // namespace

ErrorReportScope::ErrorReportScope() {
    auto& frames = reportFrames();
    const int level = loopLevel();
    m_owner = frames.empty() || frames.back().loopLevel != level;
    if (m_owner)
        frames.push_back({level, 0});
}

ErrorReportScope::~ErrorReportScope() {
    if (m_owner)
        reportFrames().pop_back();
}

bool Mensagem(const QString& texto, const QString& titulo, const QString& marca, const QString& pergunta, int tipo,
              const QString& complemento, const QString& codigo, int contexto, ClientDataSet* dataSet) {
    auto& frames = reportFrames();
    const bool errorReport = tipo == 3 && pergunta != QLatin1String("S");
    ReportFrame* frame = !frames.empty() && frames.back().loopLevel == loopLevel() ? &frames.back() : nullptr;
    if (errorReport && frame && frame->shown > 0) {
        // The operator has been told already what stopped this action.
        qWarning().noquote() << "Further failure in the same action, not shown:" << texto;
        return false;
    }
    if (errorReport && frame)
        ++frame->shown;
    MensagemArgs args{texto, titulo, marca, pergunta, tipo, complemento, codigo, contexto, dataSet};
    return messagePresenter().present(args);
}

void MensagemErro(const QString& texto, const QString& codigo) {
    Mensagem(texto, QString(), QStringLiteral("N"), QStringLiteral("N"), 3, QString(), codigo, 0, nullptr);
}

bool MensagemPergunta(const QString& texto, const QString& codigo) {
    return Mensagem(texto, QString(), QStringLiteral("N"), QStringLiteral("S"), 1, QString(), codigo, 0, nullptr);
}

// A failure text is reported with code "002", the code of the module's error
// reports, and then ends the operation with a SilentAbort: the caller must not
// go on as if it had a result. With mostra false nothing is shown and the text
// is raised as an ordinary error, so that it is never lost.
namespace {
MensagemMetodoObserver& observer() {
    static MensagemMetodoObserver o;
    return o;
}
} // namespace

MensagemMetodoObserver setMensagemMetodoObserver(MensagemMetodoObserver o) {
    std::swap(observer(), o);
    return o;
}

QVariant MensagemMetodo(const QVariant& resultado, bool mostra, int /*p3*/, const QString& metodo,
                        const QString& unidade, const QString& chave, const QString& /*p7*/) {
    if (observer())
        observer()(metodo, unidade, chave);
    if (resultado.typeId() != QMetaType::QString)
        return resultado;
    const QString text = resultado.toString();
    if (EmptyString(text))
        return resultado;
    if (!mostra)
        throw DatabaseError(text);
    MensagemErro(text, QStringLiteral("002"));
    throw SilentAbort();
}

// Where the six colours go:
//   cor1  screen background: the form itself and blsFundo
//   cor2  inner background: panBalcao, the panel behind the product buttons
//   cor3  tool area: blsBotoes, behind the tool buttons
//   cor4  frames: blsBorda (outer border) and the bevels (Bevel*)
//   cor5  lists and input fields (item views, line edits)
//   cor6  label text (lbl*: title, instruction line, footer)
// Controls that a form lacks are skipped.
void ColoreTela(QWidget* form, int cor1, int cor2, int cor3, int cor4, int cor5, int cor6) {
    if (form == nullptr)
        return;
    const QColor c1 = colorFromTColor(cor1);
    const QColor c2 = colorFromTColor(cor2);
    const QColor c3 = colorFromTColor(cor3);
    const QColor c4 = colorFromTColor(cor4);
    const QColor c5 = colorFromTColor(cor5);
    const QColor c6 = colorFromTColor(cor6);

    setRole(form, QPalette::Window, c1, false);
    paintShape(form, "blsFundo", c1);
    paintShape(form, "blsBotoes", c3);
    paintShape(form, "blsBorda", c4);
    if (auto* balcao = form->findChild<QWidget*>(QStringLiteral("panBalcao")))
        setRole(balcao, QPalette::Window, c2, true);
    for (QFrame* frame : form->findChildren<QFrame*>()) {
        if (frame->objectName().startsWith(QLatin1String("Bevel"))) {
            setRole(frame, QPalette::WindowText, c4, false);
            setRole(frame, QPalette::Dark, c4, false);
            setRole(frame, QPalette::Light, c4.lighter(140), false);
        }
    }
    for (QAbstractItemView* view : form->findChildren<QAbstractItemView*>())
        setRole(view, QPalette::Base, c5, false);
    for (QLineEdit* edit : form->findChildren<QLineEdit*>())
        setRole(edit, QPalette::Base, c5, false);
    for (QLabel* label : form->findChildren<QLabel*>()) {
        if (label->objectName().startsWith(QLatin1String("lbl")))
            setRole(label, QPalette::WindowText, c6, false);
    }
    form->update();
}

// The footer names the screen and the application: "Kmr00003 - Kalmora 1.0".
// Without completo only the screen code is returned. The third argument ("S")
// is accepted for the callers' sake and changes nothing.
QString MontaRodapeGeral(bool completo, const QString& codigoTela, const QString& /*p3*/) {
    const QString code = codigoTela.trimmed();
    if (!completo)
        return code;
    const QString product = QStringLiteral("Kalmora %1").arg(QLatin1String(KALMORA_VERSION));
    return code.isEmpty() ? product : code + QStringLiteral(" - ") + product;
}

// The application speaks Portuguese, the language the screens are written
// in, so every text stays as it is. The walk over the form is kept so that a
// translation table can be added in one place.
void Trad(QWidget* form) {
    if (form == nullptr)
        return;
    const auto translate = [](const QString& text) { return text; };
    form->setWindowTitle(translate(form->windowTitle()));
    for (QLabel* label : form->findChildren<QLabel*>()) {
        const QString t = translate(label->text());
        if (t != label->text())
            label->setText(t);
    }
    for (QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
        const QString t = translate(button->text());
        if (t != button->text())
            button->setText(t);
    }
}

void HandleEvent(const std::function<void()>& handler) {
    if (!handler)
        return;
    const ErrorReportScope action;
    try {
        handler();
    } catch (const SilentAbort&) {
        // Already shown to the operator.
    } catch (const std::exception& e) {
        // DatabaseError and DataSetError land here too: exceptionText gives
        // each its own message.
        reportError(exceptionText(e));
    } catch (...) {
        reportError(OperatorTexts::falhaInesperada());
    }
}
