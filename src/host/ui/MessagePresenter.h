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
    QString p3;       // "N"
    QString pergunta; // "S" for a yes/no question, "N" otherwise
    int tipo = 0;     // 1 question, 3 error report
    QString p6;
    QString codigo;   // "002" or empty
    int p8 = 0;
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
