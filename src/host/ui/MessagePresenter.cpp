#include "MessagePresenter.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

std::unique_ptr<MessagePresenter>& currentPresenter() {
    static std::unique_ptr<MessagePresenter> presenter;
    return presenter;
}

bool isQuestion(const MensagemArgs& args) {
    return args.pergunta == QLatin1String("S") || args.tipo == 1;
}

// Finger-sized: a touch screen has no keyboard to fall back on.
QPushButton* touchButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setMinimumSize(160, 70);
    QFont f = button->font();
    f.setPixelSize(22);
    f.setBold(true);
    button->setFont(f);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QLabel* messageLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText); // database messages may hold '<'
    label->setMinimumWidth(480);
    QFont f = label->font();
    f.setPixelSize(22);
    label->setFont(f);
    return label;
}

} // namespace

MessagePresenter& messagePresenter() {
    auto& presenter = currentPresenter();
    if (!presenter)
        presenter = std::make_unique<TouchMessagePresenter>();
    return *presenter;
}

std::unique_ptr<MessagePresenter> setMessagePresenter(std::unique_ptr<MessagePresenter> presenter) {
    auto& current = currentPresenter();
    std::unique_ptr<MessagePresenter> previous = std::move(current);
    current = presenter ? std::move(presenter) : std::make_unique<TouchMessagePresenter>();
    return previous;
}

bool TouchMessagePresenter::present(const MensagemArgs& args) {
    // Without a widget application (the data service's own tools) there is
    // nobody to touch the dialog: write the message out instead.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return ConsoleMessagePresenter().present(args);

    QDialog dialog(QApplication::activeWindow());
    dialog.setModal(true);
    dialog.setWindowTitle(args.titulo.isEmpty() ? QStringLiteral("Kalmora") : args.titulo);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(24);
    layout->addWidget(messageLabel(args.texto, &dialog));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    if (isQuestion(args)) {
        QPushButton* yes = touchButton(QStringLiteral("Sim"), &dialog);
        QPushButton* no = touchButton(QStringLiteral("Não"), &dialog);
        QObject::connect(yes, &QPushButton::clicked, &dialog, &QDialog::accept);
        QObject::connect(no, &QPushButton::clicked, &dialog, &QDialog::reject);
        buttons->addWidget(yes);
        buttons->addWidget(no);
        no->setDefault(true); // a stray Enter must not confirm a deletion
    } else {
        QPushButton* ok = touchButton(QStringLiteral("OK"), &dialog);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        buttons->addWidget(ok);
        ok->setDefault(true);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    return dialog.exec() == QDialog::Accepted;
}

bool ConsoleMessagePresenter::present(const MensagemArgs& args) {
    const char* kind = args.tipo == 3 ? "error" : (isQuestion(args) ? "question" : "message");
    const QByteArray text = args.texto.toUtf8();
    std::fprintf(stderr, "[%s] %s\n", kind, text.constData());
    std::fflush(stderr);
    return false;
}
