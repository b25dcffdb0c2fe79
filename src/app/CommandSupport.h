#pragma once
// What the launcher's file commands share: their refusals, the data service
// open for the length of one command, the result of a data service call, and
// the configuration named on the command line.

#include <QCommandLineParser>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace Srv_Kmr00003 {
class Sessao;
}

namespace Comando {

// A refusal or failure of a command: the Portuguese text printed, exit 1.
struct Falha {
    QString texto;
};

void imprime(const QString& texto);
void imprimeErro(const QString& texto);

// The data service, connected, for one command; closed again at the end.
class Sessao {
public:
    Sessao();
    ~Sessao();
    Sessao(const Sessao&) = delete;
    Sessao& operator=(const Sessao&) = delete;

private:
    std::unique_ptr<Srv_Kmr00003::Sessao> m_sessao;
};

// The result of a data service call: what it returned, or its failure text
// raised, with the option that lets a refused import through.
QVariant resultado(const char* funcao, int32_t status, const QVariant& r);

struct Configuracao {
    QString filial;
    QString conf;
    QString nome() const; // "filial 9999, configuração 00001"
};

// The configuration of --branch and --config, checked; with exigida, both
// must be given (the target of an import).
Configuracao configuracao(const QCommandLineParser& parser, bool exigida);

// Refuses positional arguments, which no file command takes.
void semArgumentos(const QCommandLineParser& parser);

// Runs a command: its exit status, or 1 with its refusal or failure printed.
int executa(const std::function<int()>& comando);

// A file written whole or not at all; the refusal names what was being written.
void gravaArquivo(const QString& caminho, const QByteArray& conteudo, const QString& oQue);

} // namespace Comando
