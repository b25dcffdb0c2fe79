#include "CsvCommands.h"

#include "CommandSupport.h"

#include <CsvReader.h>
#include <KmrLog.h>
#include <SrvColunas.h>
#include <Srv_Kmr00003.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

using namespace Comando;

namespace {

const QString kExportCsv = QStringLiteral("export-csv");
const QString kImportCsv = QStringLiteral("import-csv");
const QString kReplace = QStringLiteral("replace");
constexpr char kSeparador = ';';
const QByteArray kMarcaUtf8 = QByteArrayLiteral("\xEF\xBB\xBF");
// A menu of thousands of items is a few hundred kilobytes.
constexpr qint64 kMaiorArquivo = 64 * 1024 * 1024;

// The columns a menu item file may carry, as the export writes them.
const QStringList& colunasDoMenu() {
    static const QStringList colunas = [] {
        QStringList nomes;
        for (const SrvColunas::Coluna& c : SrvColunas::colunas())
            nomes << QString::fromLatin1(c.nome);
        return nomes;
    }();
    return colunas;
}

bool colunaDeCor(const QString& nome) {
    return nome == QLatin1String("NRCOLORTEXT") || nome == QLatin1String("NRCOLORBACK");
}

QString local(int linha, int coluna, const QString& nome = {}) {
    if (nome.isEmpty())
        return QStringLiteral("linha %1, coluna %2").arg(linha).arg(coluna);
    return QStringLiteral("linha %1, coluna %2 (%3)").arg(linha).arg(coluna).arg(nome);
}

// A colour as #RRGGBB becomes the decimal value the store holds (0x00BBGGRR);
// any other text goes to the data service as it is, which judges it.
std::optional<QString> cor(const QString& texto) {
    const QString t = texto.trimmed();
    if (!t.startsWith(QLatin1Char('#')))
        return texto;
    static const QRegularExpression hex(QStringLiteral("^#([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})$"));
    const QRegularExpressionMatch m = hex.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const int r = m.captured(1).toInt(nullptr, 16);
    const int g = m.captured(2).toInt(nullptr, 16);
    const int b = m.captured(3).toInt(nullptr, 16);
    return QString::number((b << 16) | (g << 8) | r);
}

// The header: every column a menu column, none twice.
QStringList cabecalho(const CsvRecord& registro) {
    QStringList nomes;
    for (int c = 0; c < registro.fields.size(); ++c) {
        const QString nome = registro.fields[c].text.trimmed().toUpper();
        if (!colunasDoMenu().contains(nome))
            throw Falha{QStringLiteral("a planilha não pôde ser importada: %1: \"%2\" não é uma coluna do menu (as "
                                       "colunas são %3); nada foi gravado.")
                            .arg(local(registro.line, c + 1), registro.fields[c].text.left(30),
                                 colunasDoMenu().join(QStringLiteral(", ")))};
        if (nomes.contains(nome))
            throw Falha{QStringLiteral("a planilha não pôde ser importada: %1: a coluna %2 aparece duas vezes no "
                                       "cabeçalho; nada foi gravado.")
                            .arg(local(registro.line, c + 1), nome)};
        nomes << nome;
    }
    return nomes;
}

void linhaDoPacote(DataPacket& pacote, const QStringList& nomes, const CsvRecord& registro) {
    if (registro.fields.size() != nomes.size())
        throw Falha{QStringLiteral("a planilha não pôde ser importada: linha %1: a linha tem %2 campos e o cabeçalho "
                                   "tem %3; nada foi gravado.")
                        .arg(registro.line)
                        .arg(registro.fields.size())
                        .arg(nomes.size())};
    pacote.beginRow();
    for (int c = 0; c < nomes.size(); ++c) {
        const CsvField& campo = registro.fields[c];
        if (campo.text.isEmpty() && !campo.quoted) {
            pacote.appendNull();
            continue;
        }
        if (!colunaDeCor(nomes[c])) {
            pacote.appendText(campo.text);
            continue;
        }
        const std::optional<QString> valor = cor(campo.text);
        if (!valor)
            throw Falha{QStringLiteral("a planilha não pôde ser importada: %1: a cor \"%2\" não é válida; use um "
                                       "número decimal ou #RRGGBB. Nada foi gravado.")
                            .arg(local(registro.line, c + 1, nomes[c]), campo.text.left(30))};
        pacote.appendText(*valor);
    }
    pacote.appendText(QStringLiteral("Linha %1 do arquivo").arg(registro.line));
}

QByteArray leArquivo(const QString& arquivo) {
    const QFileInfo info(arquivo);
    if (!info.exists())
        throw Falha{QStringLiteral("o arquivo a importar não existe; nada foi gravado.")};
    QFile f(arquivo);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly))
        throw Falha{QStringLiteral("o arquivo a importar não pode ser lido; nada foi gravado.")};
    if (f.size() > kMaiorArquivo)
        throw Falha{QStringLiteral("o arquivo a importar passa de 64 MB e não é uma planilha de menu; nada foi "
                                   "gravado.")};
    return f.readAll();
}

int exporta(const QString& arquivo, const Configuracao& alvo) {
    Sessao sessao;
    QVariant r;
    const DataPacket pacote =
        resultado("getExportaConf", getExportaConf(alvo.filial, alvo.conf, r), r).value<DataPacket>();
    gravaArquivo(arquivo, CsvCommands::paraCsv(pacote), QStringLiteral("a planilha"));
    if (pacote.rowCount() == 0)
        imprime(QStringLiteral("a %1 não tem itens; a planilha foi gravada só com o cabeçalho.").arg(alvo.nome()));
    else
        imprime(QStringLiteral("%1 itens da %2 exportados para a planilha.").arg(pacote.rowCount()).arg(alvo.nome()));
    return 0;
}

int importa(const QString& arquivo, const Configuracao& alvo, bool substitui) {
    auto lido = CsvCommands::deCsv(leArquivo(arquivo));
    if (auto* erro = std::get_if<QString>(&lido))
        throw Falha{*erro};
    const DataPacket& pacote = std::get<DataPacket>(lido);
    Sessao sessao;
    QVariant r;
    const int n = resultado("setImportaConf",
                            setImportaConf(alvo.filial, alvo.conf, QVariant::fromValue(pacote),
                                           substitui ? QStringLiteral("S") : QStringLiteral("N"), r),
                            r)
                      .toInt();
    imprime(QStringLiteral("%1 itens da planilha importados na %2.").arg(n).arg(alvo.nome()));
    return 0;
}

} // namespace

namespace CsvCommands {

void addOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {kExportCsv,
         QStringLiteral("Grava todos os itens da configuração no ARQUIVO CSV (UTF-8, separado por ponto e vírgula, "
                        "uma linha por item) e sai."),
         QStringLiteral("ARQUIVO")},
        {kImportCsv,
         QStringLiteral("Grava os itens do ARQUIVO CSV (separado por ponto e vírgula ou vírgula; cores em decimal ou "
                        "#RRGGBB) na configuração dada por --branch e --config, numa só transação, e sai. Recusado "
                        "onde ela já tem itens, a não ser com --replace."),
         QStringLiteral("ARQUIVO")},
    });
}

std::optional<int> run(const QCommandLineParser& parser) {
    const bool exportar = parser.isSet(kExportCsv);
    const bool importar = parser.isSet(kImportCsv);
    if (!exportar && !importar)
        return std::nullopt;
    return executa([&] {
        semArgumentos(parser);
        const Configuracao alvo = configuracao(parser, importar);
        if (exportar) {
            if (parser.isSet(kReplace))
                throw Falha{QStringLiteral("--replace só vale com --import, --import-csv ou --copy-config.")};
            if (parser.value(kExportCsv).isEmpty())
                throw Falha{QStringLiteral("informe o arquivo da planilha: --export-csv ARQUIVO.")};
            return exporta(parser.value(kExportCsv), alvo);
        }
        if (parser.value(kImportCsv).isEmpty())
            throw Falha{QStringLiteral("informe o arquivo a importar: --import-csv ARQUIVO.")};
        return importa(parser.value(kImportCsv), alvo, parser.isSet(kReplace));
    });
}

QByteArray paraCsv(const DataPacket& itens) {
    QStringList linhas;
    QStringList campos;
    for (const FieldDef& f : itens.fields())
        campos << csvField(f.name, kSeparador);
    linhas << campos.join(QLatin1Char(kSeparador));
    for (int r = 0; r < itens.rowCount(); ++r) {
        campos.clear();
        for (int c = 0; c < itens.fieldCount(); ++c) {
            if (itens.isNull(r, c))
                campos << QString();
            else
                campos << csvField(itens.text(r, c), kSeparador, itens.text(r, c).isEmpty());
        }
        linhas << campos.join(QLatin1Char(kSeparador));
    }
    // CR LF, as spreadsheet programs write it; a line break inside a caption stays LF.
    return kMarcaUtf8 + linhas.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

std::variant<DataPacket, QString> deCsv(const QByteArray& arquivo) {
    const CsvResult lido = readCsv(arquivo, csvSeparator(arquivo));
    if (const auto* erro = std::get_if<CsvError>(&lido))
        return QStringLiteral("a planilha não pôde ser lida: %1: %2; nada foi gravado.")
            .arg(local(erro->line, erro->column), erro->reason);
    const QList<CsvRecord>& registros = std::get<QList<CsvRecord>>(lido);
    if (registros.isEmpty())
        return QStringLiteral("a planilha está vazia: falta o cabeçalho com os nomes das colunas; nada foi gravado.");
    try {
        const QStringList nomes = cabecalho(registros.first());
        QList<FieldDef> campos;
        for (const QString& nome : nomes)
            campos.append(FieldDef{nome, FieldKind::Text, 0});
        campos.append(FieldDef{QStringLiteral("DSLOCALITEM"), FieldKind::Text, 0});
        DataPacket pacote(campos);
        pacote.reserve(int(registros.size()) - 1);
        for (qsizetype i = 1; i < registros.size(); ++i)
            linhaDoPacote(pacote, nomes, registros[i]);
        return pacote;
    } catch (const Falha& f) {
        return f.texto;
    }
}

} // namespace CsvCommands
