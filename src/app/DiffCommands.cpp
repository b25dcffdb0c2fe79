#include "DiffCommands.h"

#include "CommandSupport.h"
#include "ConfigDiff.h"
#include "CsvCommands.h"
#include "LauncherOptions.h"

#include <DataPacketFile.h>
#include <HostErrors.h>
#include <KmrLog.h>
#include <OperatorTexts.h>
#include <Srv_Kmr00003.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

using namespace Comando;

namespace {

const QString kDiff = QStringLiteral("diff");
// Exit statuses, as diff's.
constexpr int kIguais = 0;
constexpr int kDiferentes = 1;
constexpr int kErro = 2;
// As the spreadsheet import: a menu of thousands of items is a few hundred kilobytes.
constexpr qint64 kMaiorPlanilha = 64 * 1024 * 1024;

ConfigDiff::Itens botoesDe(const DataPacket& itens, const QString& origem) {
    auto lidos = ConfigDiff::botoes(itens);
    if (const auto* erro = std::get_if<QString>(&lidos))
        throw Falha{QStringLiteral("%1 não pôde ser comparado: %2").arg(origem, *erro)};
    return std::get<ConfigDiff::Itens>(std::move(lidos));
}

// Every item of a configuration of the store; one without items is not there
// to compare (the store knows a configuration only by its items).
DataPacket itensDaConfiguracao(const QString& filial, const QString& conf) {
    QVariant r;
    DataPacket itens = resultado("getExportaConf", getExportaConf(filial, conf, r), r).value<DataPacket>();
    if (itens.rowCount() == 0)
        throw Falha{QStringLiteral("a filial %1, configuração %2 não tem itens no banco de dados: confira a filial e "
                                   "a configuração.")
                        .arg(filial, conf)};
    return itens;
}

// True when the file begins as XML does (after a byte-order mark and blanks);
// anything else is read as a spreadsheet.
bool pareceXml(const QString& arquivo) {
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray inicio = f.read(4096);
    if (inicio.startsWith("\xEF\xBB\xBF"))
        inicio.remove(0, 3);
    return inicio.trimmed().startsWith('<');
}

DataPacket pacoteXml(const QString& arquivo) {
    PacketRead lido = readPacketFile(arquivo);
    if (lido.fault != PacketFault::None)
        qCWarning(lcKmrApp) << "--diff file refused:" << lido.detail;
    if (isOverLimit(lido.fault))
        throw Falha{QStringLiteral("o arquivo a comparar %1.").arg(OperatorTexts::foraDosLimites(lido.fault))};
    switch (lido.fault) {
    case PacketFault::None:
        return std::move(*lido.packet);
    case PacketFault::NotXml:
        throw Falha{QStringLiteral("o arquivo a comparar não é um XML válido nem uma planilha CSV.")};
    case PacketFault::NotPacket:
        throw Falha{QStringLiteral("o arquivo a comparar é XML, mas não é um pacote de dados (DATAPACKET) exportado "
                                   "com --export.")};
    case PacketFault::Invalid:
        throw Falha{QStringLiteral("o pacote de dados do arquivo a comparar tem uma estrutura ou um valor inválido "
                                   "(por exemplo uma cor que não é número).")};
    default:
        throw Falha{QStringLiteral("o arquivo a comparar não pode ser lido. Verifique o arquivo e a permissão de "
                                   "leitura.")};
    }
}

// The spreadsheet's refusals are the import's; here nothing was to be written.
QString semGravacao(QString texto) {
    static const QRegularExpression fim(QStringLiteral("(; nada foi gravado\\.| Nada foi gravado\\.)$"));
    return texto.replace(fim, QStringLiteral("."));
}

DataPacket pacoteCsv(const QString& arquivo) {
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly))
        throw Falha{QStringLiteral("o arquivo a comparar não pode ser lido. Verifique o arquivo e a permissão de "
                                   "leitura.")};
    if (f.size() > kMaiorPlanilha)
        throw Falha{QStringLiteral("o arquivo a comparar passa de 64 MB e não é uma planilha de menu.")};
    auto lido = CsvCommands::deCsv(f.readAll());
    if (auto* erro = std::get_if<QString>(&lido))
        throw Falha{semGravacao(*erro)};
    return std::get<DataPacket>(std::move(lido));
}

DataPacket arquivoExportado(const QString& arquivo) {
    const QFileInfo info(arquivo);
    if (!info.exists())
        throw Falha{QStringLiteral("o arquivo a comparar não existe. Para comparar com outra configuração, informe a "
                                   "filial e a configuração: --diff FILIAL CONFIGURAÇÃO.")};
    if (!info.isFile())
        throw Falha{QStringLiteral("o arquivo a comparar não pode ser lido: não é um arquivo.")};
    return pareceXml(arquivo) ? pacoteXml(arquivo) : pacoteCsv(arquivo);
}

int compara(const LauncherOptions::OrigemDiff& origem, const Configuracao& alvo) {
    // The file is read first: a file that cannot be used needs no database.
    std::optional<DataPacket> doArquivo;
    if (!origem.arquivo.isEmpty())
        doArquivo = arquivoExportado(origem.arquivo);
    Sessao sessao;
    const ConfigDiff::Itens antes =
        doArquivo ? botoesDe(*doArquivo, QStringLiteral("o arquivo"))
                  : botoesDe(itensDaConfiguracao(origem.filial, origem.conf),
                             QStringLiteral("a filial %1, configuração %2").arg(origem.filial, origem.conf));
    const ConfigDiff::Itens depois = botoesDe(itensDaConfiguracao(alvo.filial, alvo.conf), alvo.nome());
    const QStringList linhas = ConfigDiff::diferencas(antes, depois);
    QTextStream saida(stdout);
    for (const QString& l : linhas)
        saida << l << Qt::endl;
    return linhas.isEmpty() ? kIguais : kDiferentes;
}

} // namespace

namespace DiffCommands {

void addOptions(QCommandLineParser& parser) {
    parser.addOption({kDiff,
                      QStringLiteral("Compara com a configuração dada por --branch e --config, botão a botão, o "
                                     "ARQUIVO exportado (XML ou CSV) ou a configuração FILIAL_ORIGEM CONF_ORIGEM "
                                     "(dois valores), e mostra uma linha por botão diferente. Sai com 0 quando são "
                                     "iguais, 1 quando diferem, 2 quando não foi possível comparar."),
                      QStringLiteral("ARQUIVO|FILIAL_ORIGEM")});
}

std::optional<int> run(const QCommandLineParser& parser) {
    if (!parser.isSet(kDiff))
        return std::nullopt;
    try {
        if (parser.isSet(QStringLiteral("replace")))
            throw Falha{QStringLiteral("--replace não vale com --diff, que não grava nada.")};
        QString erro;
        const std::optional<LauncherOptions::OrigemDiff> origem = LauncherOptions::origemDiff(parser, erro);
        if (!origem)
            throw Falha{erro};
        return compara(*origem, configuracao(parser, false));
    } catch (const Falha& f) {
        imprimeErro(f.texto);
    } catch (const std::exception& e) {
        qCWarning(lcKmrApp) << "--diff failed:" << exceptionText(e);
        imprimeErro(QStringLiteral("a comparação falhou. Tente de novo; se o erro voltar, chame o suporte."));
    }
    return kErro;
}

} // namespace DiffCommands
