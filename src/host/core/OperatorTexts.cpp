#include "OperatorTexts.h"

namespace OperatorTexts {

namespace {

// "10.0.0.5, porta 5432"; "local" when no host is named.
QString servidorPorta(const QString& servidor, const QString& porta) {
    const QString nome = servidor.trimmed().isEmpty() ? QStringLiteral("local") : servidor.trimmed();
    const QString numero = porta.trimmed().isEmpty() ? QStringLiteral("5432") : porta.trimmed();
    return QStringLiteral("%1, porta %2").arg(nome, numero);
}

const QString kVejaLog = QStringLiteral("Se o problema continuar, chame o suporte: os detalhes estão no arquivo "
                                        "kalmora.log.");

} // namespace

QString textoLongo(int length, int limit) {
    return QStringLiteral("O nome tem %1 caracteres; o limite é %2. Digite um nome mais curto e tente de novo.")
        .arg(length)
        .arg(limit);
}

QString valorLargo(const QString& campo, const QString& valor, int limit) {
    return QStringLiteral("O valor \"%1\" de %2 passa do limite de %3 caracteres. Nada foi gravado.")
        .arg(valor, campo)
        .arg(limit);
}

QString corNaoNumerica(const QString& valor) {
    return QStringLiteral("A cor \"%1\" não é um número. Escolha a cor de novo.").arg(valor);
}

QString caracteresControle(const QString& campo) {
    return QStringLiteral("%1 contém caracteres de controle ou invisíveis, que não podem ser gravados. "
                          "Digite o texto de novo.")
        .arg(campo);
}

QString textoLongoBanco(int limit) {
    if (limit > 0)
        return QStringLiteral("O texto é mais longo do que o banco de dados aceita (no máximo %1 caracteres). "
                              "Nada foi gravado. Digite um texto mais curto e tente de novo.")
            .arg(limit);
    return QStringLiteral("O texto é mais longo do que o banco de dados aceita. Nada foi gravado. "
                          "Digite um texto mais curto e tente de novo.");
}

QString chaveOcupada() {
    return QStringLiteral("Esta posição já está ocupada por outro item, talvez gravado por outro terminal. "
                          "Nada foi gravado; a página agora mostra o que está gravado. Escolha uma posição livre.");
}

QString bancoOcupado() {
    return QStringLiteral("O banco de dados está ocupado por outro terminal. Nada foi gravado. "
                          "Tente de novo em alguns segundos.");
}

QString conexaoRecusada(const QString& servidor, const QString& porta) {
    return QStringLiteral(
               "Não foi possível conectar ao servidor de banco de dados %1. Verifique se o servidor está ligado "
               "e se a rede está conectada, e tente de novo.")
        .arg(servidorPorta(servidor, porta));
}

QString acessoNegado(const QString& servidor, const QString& porta) {
    return QStringLiteral("O servidor de banco de dados %1 recusou o acesso: o usuário, a senha ou o nome do banco não "
                          "conferem. Verifique a configuração de conexão.")
        .arg(servidorPorta(servidor, porta));
}

QString conexaoPerdida(const QString& servidor, const QString& porta) {
    return QStringLiteral("A conexão com o servidor de banco de dados %1 caiu ou o servidor parou de responder. "
                          "A operação não foi concluída. Verifique a rede e o servidor e tente de novo.")
        .arg(servidorPorta(servidor, porta));
}

QString tempoEsgotado() {
    return QStringLiteral("O banco de dados demorou demais para responder e a operação foi cancelada. "
                          "Nada foi gravado. Tente de novo. ") +
           kVejaLog;
}

QString tabelasAusentes() {
    return QStringLiteral("As tabelas da configuração de tela não existem neste banco de dados. "
                          "Peça ao suporte para criá-las com o comando: kalmora --create-schema");
}

QString bancoNaoEncontrado(const QString& arquivo) {
    if (arquivo.trimmed().isEmpty())
        return QStringLiteral("O arquivo de banco de dados da configuração de conexão não foi encontrado. Verifique "
                              "o nome do arquivo em KALMORA_CONEXAO ou kalmora.conexao.");
    return QStringLiteral("O banco de dados \"%1\" não foi encontrado. Verifique o nome do arquivo na configuração "
                          "de conexão (KALMORA_CONEXAO ou kalmora.conexao).")
        .arg(arquivo);
}

QString naoEBanco(const QString& arquivo) {
    if (arquivo.trimmed().isEmpty())
        return QStringLiteral("O arquivo da configuração de conexão não é um banco de dados SQLite e não foi usado. "
                              "Verifique o nome do arquivo em KALMORA_CONEXAO ou kalmora.conexao.");
    return QStringLiteral("O arquivo \"%1\" não é um banco de dados SQLite e não foi usado. Verifique o nome do "
                          "arquivo na configuração de conexão (KALMORA_CONEXAO ou kalmora.conexao).")
        .arg(arquivo);
}

QString bancoNaoCriado() {
    return QStringLiteral("O banco de dados não pôde ser criado. Verifique se há espaço em disco e permissão de "
                          "escrita na pasta de dados, e tente de novo. ") +
           kVejaLog;
}

QString bancoSemNome() {
    return QStringLiteral("A configuração de conexão não diz qual arquivo de banco de dados usar (Data Source "
                          "vazio). Informe o arquivo em KALMORA_CONEXAO ou kalmora.conexao.");
}

QString provedorDesconhecido(const QString& provedor) {
    if (provedor.trimmed().isEmpty())
        return QStringLiteral("A configuração de conexão não diz qual banco de dados usar (falta Provider). "
                              "Corrija-a em KALMORA_CONEXAO ou kalmora.conexao.");
    return QStringLiteral("O banco de dados \"%1\" da configuração de conexão não é suportado. Use SQLite, "
                          "PostgreSQL ou ODBC em KALMORA_CONEXAO ou kalmora.conexao.")
        .arg(provedor.trimmed());
}

QString suporteAusente(const QString& banco) {
    return QStringLiteral("O suporte ao banco de dados %1 não está instalado neste computador. Chame o suporte "
                          "para instalá-lo.")
        .arg(banco);
}

QString tabelasNaoCriadas() {
    return QStringLiteral("As tabelas não puderam ser criadas; nada foi criado. ") + kVejaLog;
}

QString tabelasJaExistem() {
    return QStringLiteral("As tabelas já existem neste banco de dados; nada foi criado nem alterado.");
}

QString falhaBanco() {
    return QStringLiteral("O banco de dados recusou a operação e nada foi gravado. Tente de novo. ") + kVejaLog;
}

QString falhaServico() {
    return QStringLiteral("A operação não pôde ser concluída e nada foi gravado. A página mostra o que está "
                          "gravado. ") +
           kVejaLog;
}

QString falhaInesperada() {
    return QStringLiteral("Ocorreu um erro inesperado e a operação foi interrompida. ") + kVejaLog;
}

QString paraCausa(FailureCause cause, const QString& servidor, const QString& porta) {
    switch (cause) {
    case FailureCause::TextTooLong:
    case FailureCause::ValueTooWide:
        return textoLongoBanco(0);
    case FailureCause::NotANumber:
        return QStringLiteral("A cor escolhida não é um número. Escolha a cor de novo.");
    case FailureCause::ControlCharacters:
        return caracteresControle(QStringLiteral("O texto"));
    case FailureCause::KeyTaken:
        return chaveOcupada();
    case FailureCause::Busy:
        return bancoOcupado();
    case FailureCause::ConnectionRefused:
        return conexaoRecusada(servidor, porta);
    case FailureCause::AccessDenied:
        return acessoNegado(servidor, porta);
    case FailureCause::ConnectionLost:
        return conexaoPerdida(servidor, porta);
    case FailureCause::TimedOut:
        return tempoEsgotado();
    case FailureCause::TablesMissing:
        return tabelasAusentes();
    case FailureCause::DatabaseNotFound:
        return bancoNaoEncontrado(QString());
    case FailureCause::NotADatabase:
        return naoEBanco(QString());
    case FailureCause::Configuration:
        return provedorDesconhecido(QString());
    case FailureCause::Unexpected:
    case FailureCause::Refused:
    case FailureCause::TargetNotEmpty:
        return falhaInesperada();
    case FailureCause::Other:
        break;
    }
    return falhaBanco();
}

QString parametrosIlegivel() {
    return QStringLiteral("O arquivo de parâmetros PARAMETROSKMR.CDS não pôde ser lido. Verifique as permissões "
                          "do arquivo, ou apague o arquivo para usar as cores padrão.");
}

QString parametrosInvalido() {
    return QStringLiteral("O arquivo de parâmetros PARAMETROSKMR.CDS está danificado ou não é um arquivo de "
                          "parâmetros. Substitua-o por uma cópia boa, ou apague o arquivo para usar as cores padrão.");
}

QString parametrosVazio() {
    return QStringLiteral("O arquivo de parâmetros PARAMETROSKMR.CDS não tem nenhum registro. Substitua-o por uma "
                          "cópia boa, ou apague o arquivo para usar as cores padrão.");
}

QString parametrosCampoAusente(const QString& campo) {
    return QStringLiteral("No arquivo de parâmetros PARAMETROSKMR.CDS falta a cor %1. Substitua-o por uma cópia "
                          "boa, ou apague o arquivo para usar as cores padrão.")
        .arg(campo);
}

QString parametrosCampoNaoNumero(const QString& campo) {
    return QStringLiteral("No arquivo de parâmetros PARAMETROSKMR.CDS a cor %1 não é um número inteiro. "
                          "Corrija-a, ou apague o arquivo para usar as cores padrão.")
        .arg(campo);
}

} // namespace OperatorTexts
