#pragma once
// Plays the operator at a modal screen: waits until a modal dialog of the
// given class is the active one, then runs the given steps on it. Each wait
// has its own timer, so steps may open a further modal dialog and script it.

#include <QApplication>
#include <QDialog>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class Operador : public QObject {
public:
    // Runs `passos` on the first modal dialog that inherits `classe`; gives up after ~10 s.
    void quando(const char* classe, std::function<void(QWidget*)> passos) {
        auto* timer = new QTimer(this);
        timer->setInterval(5);
        auto tentativas = std::make_shared<int>(0);
        connect(timer, &QTimer::timeout, this, [timer, tentativas, classe, passos = std::move(passos)] {
            QWidget* tela = QApplication::activeModalWidget();
            if (tela == nullptr || !tela->inherits(classe) || !tela->isVisible()) {
                if (++*tentativas > 2000)
                    timer->stop();
                return;
            }
            timer->stop();
            passos(tela);
            // A screen the steps failed to close is closed here, so the test
            // fails on its checks rather than hanging.
            QTimer::singleShot(3000, tela, [tela] {
                if (auto* dialogo = qobject_cast<QDialog*>(tela); dialogo && dialogo->isVisible()) {
                    qWarning("%s left open by the test steps; closing it", tela->metaObject()->className());
                    dialogo->reject();
                }
            });
        });
        timer->start();
    }
};
