#pragma once
// A message presenter for tests: answers from a script and records every call.

#include <MessagePresenter.h>

#include <QList>

class ScriptedPresenter : public MessagePresenter {
public:
    QList<MensagemArgs> calls;
    QList<bool> answers;        // consumed in order
    bool defaultAnswer = false; // when the script has run out

    bool present(const MensagemArgs& args) override {
        calls.append(args);
        return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
    }
    QStringList texts() const {
        QStringList out;
        for (const auto& c : calls)
            out << c.texto;
        return out;
    }
};

// Installs a ScriptedPresenter for the life of the object.
class ScopedPresenter {
public:
    ScopedPresenter() {
        auto p = std::make_unique<ScriptedPresenter>();
        m_presenter = p.get();
        m_previous = setMessagePresenter(std::move(p));
    }
    ~ScopedPresenter() { setMessagePresenter(std::move(m_previous)); }
    ScopedPresenter(const ScopedPresenter&) = delete;
    ScopedPresenter& operator=(const ScopedPresenter&) = delete;
    ScriptedPresenter* operator->() const { return m_presenter; }
    ScriptedPresenter& operator*() const { return *m_presenter; }

private:
    ScriptedPresenter* m_presenter = nullptr;
    std::unique_ptr<MessagePresenter> m_previous;
};
