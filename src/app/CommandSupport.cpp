#include "CommandSupport.h"

#include "ConfigCommands.h"

#include <HostErrors.h>
#include <KmrLog.h>
#include <Srv_Kmr00003.h>

#include <QSaveFile>
#include <QTextStream>

namespace Comando {

void imprime(const QString& texto) {
    QTextStream(stdout) << "kalmora: " << texto << Qt::endl;
}

void imprimeErro(const QString& texto) {
    QTextStream(stderr) << "kalmora: " << texto << Qt::endl;
}

Sessao::Sessao() {
    try {
        m_sessao = std::make_unique<Srv_Kmr00003::Sessao>();
    } catch (const std::exception& e) {
        qCWarning(lcKmrApp) << "connection failed:" << exceptionText(e);
        throw Falha{QStringLiteral("não foi possível abrir o banco de dados. Verifique a conexão configurada e tente "
                                   "de novo.")};
    }
}

Sessao::~Sessao() = default;

QVariant resultado(const char* funcao, int32_t status, const QVariant& r) {
    if (status != 0) {
        qCWarning(lcKmrApp) << funcao << "returned status" << status;
        throw Falha{QStringLiteral("o serviço de dados falhou; nada foi gravado.")};
    }
    if (r.typeId() == QMetaType::QString && !r.toString().isEmpty()) {
        if (Srv_Kmr00003::causaDaFalha() == FailureCause::TargetNotEmpty)
            throw Falha{r.toString() + QStringLiteral(" Para substituí-los, use --replace.")};
        throw Falha{r.toString()};
    }
    return r;
}

QString Configuracao::nome() const {
    return QStringLiteral("filial %1, configuração %2").arg(filial, conf);
}

Configuracao configuracao(const QCommandLineParser& parser, bool exigida) {
    if (exigida && (!parser.isSet(QStringLiteral("branch")) || !parser.isSet(QStringLiteral("config"))))
        throw Falha{QStringLiteral("informe a configuração de destino com --branch e --config.")};
    QString erro;
    const auto par = ConfigCommands::configuracao(parser, erro);
    if (!par)
        throw Falha{erro};
    return {par->first, par->second};
}

void semArgumentos(const QCommandLineParser& parser) {
    if (!parser.positionalArguments().isEmpty())
        throw Falha{QStringLiteral("argumento não reconhecido: \"%1\". Veja --help.")
                        .arg(parser.positionalArguments().first())};
}

int executa(const std::function<int()>& comando) {
    try {
        return comando();
    } catch (const Falha& f) {
        imprimeErro(f.texto);
    } catch (const std::exception& e) {
        qCWarning(lcKmrApp) << exceptionText(e);
        imprimeErro(QStringLiteral("o comando falhou; nada foi gravado."));
    }
    return 1;
}

void gravaArquivo(const QString& caminho, const QByteArray& conteudo, const QString& oQue) {
    QSaveFile f(caminho);
    if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size() || !f.commit()) {
        qCWarning(lcKmrApp) << "cannot write" << caminho << ":" << f.errorString();
        throw Falha{QStringLiteral("não foi possível gravar %1. Verifique a pasta e a permissão de escrita.").arg(oQue)};
    }
}

} // namespace Comando
