#include "LauncherOptions.h"

#include <SrvColunas.h>

#include <QRegularExpression>
#include <QTextStream>

namespace LauncherOptions {

QStringList argumentos(int argc, char* argv[]) {
    QStringList lista;
    for (int i = 0; i < argc; ++i)
        lista << QString::fromLocal8Bit(argv[i]);
    return lista;
}

namespace {

// Every option of the parser as its help lists it ("--pdf <ARQUIVO>").
QStringList opcoes(const QCommandLineParser& parser) {
    static const QRegularExpression linha(QStringLiteral("^  (-\\S.*?)(\\s{2,}|$)"));
    QStringList lista;
    for (const QString& l : parser.helpText().split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = linha.match(l);
        if (m.hasMatch())
            lista << m.captured(1);
    }
    return lista;
}

QString comTracos(const QString& nome) {
    return (nome.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + nome;
}

QString motivo(const QCommandLineParser& parser) {
    const QStringList desconhecidas = parser.unknownOptionNames();
    if (!desconhecidas.isEmpty())
        return QStringLiteral("a opção %1 não existe.").arg(comTracos(desconhecidas.first()));
    static const QRegularExpression faltaValor(QStringLiteral("Missing value after '(.+)'"));
    static const QRegularExpression sobraValor(QStringLiteral("Unexpected value after '(.+)'"));
    const QString erro = parser.errorText();
    if (const auto m = faltaValor.match(erro); m.hasMatch())
        return QStringLiteral("a opção %1 precisa de um valor.").arg(m.captured(1));
    if (const auto m = sobraValor.match(erro); m.hasMatch())
        return QStringLiteral("a opção %1 não leva valor.").arg(m.captured(1).section(QLatin1Char('='), 0, 0));
    return QStringLiteral("a linha de comando não pôde ser lida.");
}

} // namespace

int recusaLinha(const QCommandLineParser& parser) {
    QTextStream err(stderr);
    err << "kalmora: " << motivo(parser) << Qt::endl;
    err << "As opções são:" << Qt::endl;
    for (const QString& o : opcoes(parser))
        err << "  " << o << Qt::endl;
    err << "Veja kalmora --help ou man kalmora." << Qt::endl;
    return 2;
}

QStringList comandos(const QCommandLineParser& parser) {
    static const char* const comandos[] = {"create-schema", "export",     "import",  "copy-config",
                                           "export-csv",    "import-csv", "pdf",     "png",
                                           "screenshot",    "diff",       "history", "restore-to"};
    QStringList dados;
    for (const char* c : comandos)
        if (parser.isSet(QString::fromLatin1(c)))
            dados << QStringLiteral("--") + QString::fromLatin1(c);
    return dados;
}

namespace {

// A code of the source configuration: not empty, no blank at either end, no
// control character, within its column.
bool codigoValido(const QString& texto, int largura) {
    for (const QChar c : texto)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return false;
    return !texto.trimmed().isEmpty() && texto.size() <= largura && texto.trimmed() == texto;
}

} // namespace

std::optional<OrigemDiff> origemDiff(const QCommandLineParser& parser, QString& erro) {
    const QString primeiro = parser.value(QStringLiteral("diff"));
    const QStringList posicionais = parser.positionalArguments();
    if (primeiro.isEmpty()) {
        erro = QStringLiteral("informe com o que comparar: --diff ARQUIVO ou --diff FILIAL CONFIGURAÇÃO.");
        return std::nullopt;
    }
    if (posicionais.size() > 1) {
        erro = QStringLiteral("argumento não reconhecido: \"%1\". Veja --help.").arg(posicionais.at(1));
        return std::nullopt;
    }
    if (posicionais.isEmpty())
        return OrigemDiff{primeiro, {}, {}};
    const int larguraFilial = SrvColunas::largura(u"CDFILIAL");
    const int larguraConf = SrvColunas::largura(u"NRCONFTELA");
    if (!codigoValido(primeiro, larguraFilial)) {
        erro = QStringLiteral("a filial \"%1\" não é válida: informe um código de 1 a %2 caracteres, sem espaços nas "
                              "pontas.")
                   .arg(primeiro.left(20))
                   .arg(larguraFilial);
        return std::nullopt;
    }
    if (!codigoValido(posicionais.first(), larguraConf)) {
        erro = QStringLiteral("a configuração \"%1\" não é válida: informe um código de 1 a %2 caracteres, sem "
                              "espaços nas pontas.")
                   .arg(posicionais.first().left(20))
                   .arg(larguraConf);
        return std::nullopt;
    }
    return OrigemDiff{{}, primeiro, posicionais.first()};
}

bool semTela() {
    return !qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace LauncherOptions
