#include "ConfigCommands.h"

#include "ConfigPictures.h"

#include <DataPacket.h>
#include <DataPacketFile.h>
#include <HostErrors.h>
#include <KmrImagens.h>
#include <OperatorTexts.h>
#include <SrvColunas.h>
#include <Srv_Kmr00003.h>

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTextStream>

#include <memory>

namespace {

Q_LOGGING_CATEGORY(lcComandos, "kalmora.comandos")

const QString kBranch = QStringLiteral("branch");
const QString kConfig = QStringLiteral("config");
const QString kStore = QStringLiteral("store");
const QString kExport = QStringLiteral("export");
const QString kImport = QStringLiteral("import");
const QString kCopy = QStringLiteral("copy-config");
const QString kReplace = QStringLiteral("replace");
const QString kWithPictures = QStringLiteral("with-pictures");

// A refusal or failure of a command: the Portuguese text printed, exit 1.
struct Falha {
    QString texto;
};

void imprimeErro(const QString& texto) {
    QTextStream(stderr) << "kalmora: " << texto << Qt::endl;
}

void imprime(const QString& texto) {
    QTextStream(stdout) << "kalmora: " << texto << Qt::endl;
}

struct Valor {
    const QString& opcao;
    const char* nome; // as the integrator knows it
    int largura;
    const char* padrao;
};

// The store code the screen passes on to the product list: two characters,
// although the catalogue's column is wider (the menu item has no store).
constexpr int kLarguraLoja = 2;

const Valor kFilial{kBranch, "filial", SrvColunas::largura(u"CDFILIAL"), "9999"};
const Valor kConfiguracao{kConfig, "configuração", SrvColunas::largura(u"NRCONFTELA"), "00001"};
const Valor kLoja{kStore, "loja", kLarguraLoja, "01"};

// A code given on the command line: not empty, no blank at either end, no
// control character, within its column.
QString codigo(const QString& texto, const Valor& v) {
    const QString nome = QString::fromUtf8(v.nome);
    bool controle = false;
    for (const QChar c : texto)
        controle = controle || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
    if (texto.trimmed().isEmpty())
        throw Falha{
            QStringLiteral("a %1 está vazia: informe um código de 1 a %2 caracteres.").arg(nome).arg(v.largura)};
    if (texto.size() > v.largura || texto.trimmed() != texto || controle)
        throw Falha{QStringLiteral("a %1 \"%2\" não é válida: informe um código de 1 a %3 caracteres, sem espaços "
                                   "nas pontas.")
                        .arg(nome, texto.left(20))
                        .arg(v.largura)};
    return texto;
}

QString opcao(const QCommandLineParser& parser, const Valor& v) {
    if (!parser.isSet(v.opcao))
        return QString::fromLatin1(v.padrao);
    return codigo(parser.value(v.opcao), v);
}

QString nomeConf(const QString& filial, const QString& conf) {
    return QStringLiteral("filial %1, configuração %2").arg(filial, conf);
}

// The data service for one command: opened, and closed at the end.
class Servico {
public:
    Servico() {
        try {
            m_sessao = std::make_unique<Srv_Kmr00003::Sessao>();
        } catch (const std::exception& e) {
            qCWarning(lcComandos) << "connection failed:" << exceptionText(e);
            throw Falha{QStringLiteral("não foi possível abrir o banco de dados. Verifique a conexão configurada e "
                                       "tente de novo.")};
        }
    }

private:
    std::unique_ptr<Srv_Kmr00003::Sessao> m_sessao;
};

// The result of a data service call: what it returned, or its failure text
// raised, with the option that lets a refused command through.
QVariant resultado(const char* funcao, int32_t status, const QVariant& r) {
    if (status != 0) {
        qCWarning(lcComandos) << funcao << "returned status" << status;
        throw Falha{QStringLiteral("o serviço de dados falhou; nada foi gravado.")};
    }
    if (r.typeId() == QMetaType::QString && !r.toString().isEmpty()) {
        if (Srv_Kmr00003::causaDaFalha() == FailureCause::TargetNotEmpty)
            throw Falha{r.toString() + QStringLiteral(" Para substituí-los, use --replace.")};
        throw Falha{r.toString()};
    }
    return r;
}

// ---------------------------------------------------------------- commands

int exporta(const QString& arquivo, const QString& filial, const QString& conf, bool comImagens) {
    Servico servico;
    QVariant r;
    DataPacket pacote = resultado("getExportaConf", getExportaConf(filial, conf, r), r).value<DataPacket>();
    QString erro;
    ConfigPictures::Exportadas imagens;
    if (comImagens && !ConfigPictures::exporta(pacote, arquivo, imagens, erro))
        throw Falha{erro};
    if (!pacote.saveToFile(arquivo, &erro)) {
        qCWarning(lcComandos) << erro;
        throw Falha{QStringLiteral("não foi possível gravar o arquivo de exportação. Verifique a pasta e a permissão "
                                   "de escrita.")};
    }
    if (pacote.rowCount() == 0)
        imprime(QStringLiteral("a %1 não tem itens; o arquivo foi gravado sem itens.").arg(nomeConf(filial, conf)));
    else
        imprime(QStringLiteral("%1 itens da %2 exportados.").arg(pacote.rowCount()).arg(nomeConf(filial, conf)));
    if (const QString texto = ConfigPictures::resumo(imagens); !texto.isEmpty())
        imprime(texto);
    return 0;
}

// The file as a data packet, or the reason it is not one. The file is
// checked against the limits of a data packet before it is read into memory.
DataPacket lePacote(const QString& arquivo) {
    const QFileInfo info(arquivo);
    if (!info.exists())
        throw Falha{QStringLiteral("o arquivo a importar não existe; nada foi gravado.")};
    if (!info.isFile())
        throw Falha{QStringLiteral("o arquivo a importar não pode ser lido; nada foi gravado.")};
    PacketRead lido = readPacketFile(arquivo);
    if (lido.fault != PacketFault::None)
        qCWarning(lcComandos) << "import file refused:" << lido.detail;
    if (isOverLimit(lido.fault))
        throw Falha{QStringLiteral("o arquivo a importar %1; nada foi gravado.")
                        .arg(OperatorTexts::foraDosLimites(lido.fault))};
    switch (lido.fault) {
    case PacketFault::None:
        return std::move(*lido.packet);
    case PacketFault::NotXml:
        throw Falha{QStringLiteral("o arquivo a importar não é um XML válido; nada foi gravado.")};
    case PacketFault::NotPacket:
        throw Falha{QStringLiteral("o arquivo a importar é XML, mas não é um pacote de dados (DATAPACKET); nada foi "
                                   "gravado.")};
    case PacketFault::Invalid:
        throw Falha{QStringLiteral("o pacote de dados do arquivo tem uma estrutura ou um valor inválido (por exemplo "
                                   "uma cor que não é número); nada foi gravado.")};
    default:
        throw Falha{QStringLiteral("o arquivo a importar não pode ser lido; nada foi gravado.")};
    }
}

int importa(const QString& arquivo, const QString& filial, const QString& conf, bool substitui) {
    DataPacket pacote = lePacote(arquivo);
    Servico servico;
    // The pictures beside the file come in first, so that the items point at
    // the names they take; they go again when the items do not go in.
    ConfigPictures::Importadas imagens;
    QString erro;
    if (!ConfigPictures::importa(pacote, arquivo, pastaImagens(), imagens, erro))
        throw Falha{erro};
    QVariant r;
    int n = 0;
    try {
        n = resultado("setImportaConf",
                      setImportaConf(filial, conf, QVariant::fromValue(pacote),
                                     substitui ? QStringLiteral("S") : QStringLiteral("N"), r),
                      r)
                .toInt();
    } catch (...) {
        ConfigPictures::desfaz(imagens);
        throw;
    }
    imprime(QStringLiteral("%1 itens importados na %2.").arg(n).arg(nomeConf(filial, conf)));
    if (const QString texto = ConfigPictures::resumo(imagens); !texto.isEmpty())
        imprime(texto);
    return 0;
}

int copia(const QString& filialOrigem, const QString& confOrigem, const QString& filial, const QString& conf,
          bool substitui) {
    Servico servico;
    QVariant r;
    const int n = resultado("setCopiaConf",
                            setCopiaConf(filialOrigem, confOrigem, filial, conf,
                                         substitui ? QStringLiteral("S") : QStringLiteral("N"), r),
                            r)
                      .toInt();
    imprime(QStringLiteral("%1 itens copiados da %2 para a %3.")
                .arg(n)
                .arg(nomeConf(filialOrigem, confOrigem), nomeConf(filial, conf)));
    return 0;
}

int executa(const QCommandLineParser& parser, QVariantList& arParams, bool& continua) {
    continua = false;
    const QString filial = opcao(parser, kFilial);
    const QString conf = opcao(parser, kConfiguracao);
    const QString loja = opcao(parser, kLoja);
    const int comandos = int(parser.isSet(kExport)) + int(parser.isSet(kImport)) + int(parser.isSet(kCopy));
    if (comandos > 1)
        throw Falha{QStringLiteral("use só um dos comandos --export, --import e --copy-config de cada vez.")};
    const QStringList posicionais = parser.positionalArguments();
    if (!parser.isSet(kCopy) && !posicionais.isEmpty())
        throw Falha{QStringLiteral("argumento não reconhecido: \"%1\". Veja --help.").arg(posicionais.first())};
    if (parser.isSet(kReplace) && !parser.isSet(kImport) && !parser.isSet(kCopy))
        throw Falha{QStringLiteral("--replace só vale com --import ou --copy-config.")};
    if (parser.isSet(kWithPictures) && !parser.isSet(kExport))
        throw Falha{QStringLiteral("--with-pictures só vale com --export (a importação traz as imagens sempre que "
                                   "a pasta delas está ao lado do arquivo).")};
    if ((parser.isSet(kImport) || parser.isSet(kCopy)) && (!parser.isSet(kBranch) || !parser.isSet(kConfig)))
        throw Falha{QStringLiteral("informe a configuração de destino com --branch e --config.")};

    if (parser.isSet(kExport)) {
        if (parser.value(kExport).isEmpty())
            throw Falha{QStringLiteral("informe o arquivo de exportação: --export ARQUIVO.")};
        return exporta(parser.value(kExport), filial, conf, parser.isSet(kWithPictures));
    }
    if (parser.isSet(kImport)) {
        if (parser.value(kImport).isEmpty())
            throw Falha{QStringLiteral("informe o arquivo a importar: --import ARQUIVO.")};
        return importa(parser.value(kImport), filial, conf, parser.isSet(kReplace));
    }
    if (parser.isSet(kCopy)) {
        if (posicionais.size() != 1)
            throw Falha{QStringLiteral("informe a origem assim: --copy-config FILIAL CONFIGURAÇÃO.")};
        return copia(codigo(parser.value(kCopy), kFilial), codigo(posicionais.first(), kConfiguracao), filial, conf,
                     parser.isSet(kReplace));
    }
    // The screen opens on the configuration named; with no option, on the defaults.
    if (parser.isSet(kBranch) || parser.isSet(kConfig) || parser.isSet(kStore))
        arParams = {QVariantMap{{QStringLiteral("CDFILIAL"), filial},
                                {QStringLiteral("NRCONFTELA"), conf},
                                {QStringLiteral("CDLOJA"), loja}}};
    continua = true;
    return 0;
}

} // namespace

namespace ConfigCommands {

void addOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {kBranch, QStringLiteral("Filial (CDFILIAL, até 4 caracteres) da configuração; padrão 9999."),
         QStringLiteral("FILIAL")},
        {kConfig, QStringLiteral("Configuração da tela de vendas (NRCONFTELA, até 5 caracteres); padrão 00001."),
         QStringLiteral("NUMERO")},
        {kStore,
         QStringLiteral("Loja (CDLOJA, até 2 caracteres) cujos produtos especiais ficam fora da lista de produtos; "
                        "padrão 01."),
         QStringLiteral("LOJA")},
        {kExport, QStringLiteral("Grava todos os itens da configuração no ARQUIVO (pacote de dados XML) e sai."),
         QStringLiteral("ARQUIVO")},
        {kImport,
         QStringLiteral("Grava os itens do ARQUIVO na configuração dada por --branch e --config, numa só "
                        "transação, e sai. Recusado onde ela já tem itens, a não ser com --replace."),
         QStringLiteral("ARQUIVO")},
        {kCopy,
         QStringLiteral("Copia todos os itens da configuração FILIAL_ORIGEM CONF_ORIGEM (dois valores) para a "
                        "dada por --branch e --config, e sai. Recusado onde ela já tem itens, a não ser com "
                        "--replace."),
         QStringLiteral("FILIAL_ORIGEM")},
        {kReplace, QStringLiteral("Com --import ou --copy-config: apaga antes os itens do destino, na mesma "
                                  "transação.")},
        {kWithPictures, QStringLiteral("Com --export: grava também as imagens dos botões na pasta ARQUIVO.imagens, "
                                       "ao lado do arquivo; --import as copia de lá para a pasta de imagens.")},
    });
    parser.addPositionalArgument(QStringLiteral("CONF_ORIGEM"),
                                 QStringLiteral("Com --copy-config ou --diff: a configuração de origem."),
                                 QStringLiteral("[CONF_ORIGEM]"));
}

std::optional<int> run(const QCommandLineParser& parser, QVariantList& arParams) {
    try {
        bool continua = false;
        const int status = executa(parser, arParams, continua);
        if (continua)
            return std::nullopt;
        return status;
    } catch (const Falha& f) {
        imprimeErro(f.texto);
        return 1;
    } catch (const std::exception& e) {
        qCWarning(lcComandos) << exceptionText(e);
        imprimeErro(QStringLiteral("o comando falhou; nada foi gravado."));
        return 1;
    }
}

std::optional<std::pair<QString, QString>> configuracao(const QCommandLineParser& parser, QString& erro) {
    try {
        return std::pair{opcao(parser, kFilial), opcao(parser, kConfiguracao)};
    } catch (const Falha& f) {
        erro = f.texto;
        return std::nullopt;
    }
}

} // namespace ConfigCommands
