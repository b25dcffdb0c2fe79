#pragma once
// Every modal message of the host goes through one presenter. Production uses
// touch dialogs; tests install a scripted presenter that answers and records.

#include <QString>

#include <memory>

class ClientDataSet;

// The nine arguments of Mensagem, in order.
struct MensagemArgs {
    QString texto;
    QString titulo;
    QString marca;       // "N"; passed on, the dialogs show nothing of it
    QString pergunta;    // "S" for a yes/no question, "N" otherwise
    int tipo = 0;        // 1 question, 3 error report
    QString complemento; // empty; passed on, the dialogs show nothing of it
    QString codigo;      // "002" or empty
    int contexto = 0;    // 0; passed on, the dialogs show nothing of it
    ClientDataSet* dataSet = nullptr;
};

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Shows the message; true when the operator accepts ("Sim"/OK).
    virtual bool present(const MensagemArgs& args) = 0;
};

// The presenter in use (a touch dialog presenter unless replaced).
MessagePresenter& messagePresenter();
// Installs a presenter and returns the previous one (null: back to the default).
std::unique_ptr<MessagePresenter> setMessagePresenter(std::unique_ptr<MessagePresenter> presenter);

// Touch-sized Qt dialogs: "Sim"/"Não" for questions, "OK" otherwise.
class TouchMessagePresenter : public MessagePresenter {
public:
    bool present(const MensagemArgs& args) override;
};

// Writes every message to standard error and answers no; for runs without an
// operator (screenshots, scripted starts).
class ConsoleMessagePresenter : public MessagePresenter {
public:
    bool present(const MensagemArgs& args) override;
};
