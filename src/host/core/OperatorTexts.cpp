#include "OperatorTexts.h"

#include <QLocale>
#include <QStringList>

namespace OperatorTexts {

namespace {

// "10.0.0.5, porta 5432"; "local" when no host is named.
QString umServidorPorta(const QString& servidor, const QString& porta) {
    const QString nome = servidor.trimmed().isEmpty() ? QStringLiteral("local") : servidor.trimmed();
    const QString numero = porta.trimmed().isEmpty() ? QStringLiteral("5432") : porta.trimmed();
    return QStringLiteral("%1, porta %2").arg(nome, numero);
}

// A list of servers ("a,b" with ports "1,2" or one port for all) reads
// "a, porta 1 ou b, porta 2".
QString servidorPorta(const QString& servidor, const QString& porta) {
    if (!servidor.contains(u',') && !porta.contains(u','))
        return umServidorPorta(servidor, porta);
    const QStringList nomes = servidor.split(u',');
    const QStringList numeros = porta.split(u',');
    QStringList partes;
    for (qsizetype i = 0; i < nomes.size(); ++i)
        partes << umServidorPorta(nomes.at(i), numeros.size() == 1 ? numeros.at(0) : numeros.value(i));
    return partes.join(QLatin1String(" ou "));
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

QString alteradoOutraEstacao() {
    return QStringLiteral("Este botão foi alterado ou excluído em outra estação e nada foi gravado. A tela mostra "
                          "agora o que está gravado; se ainda quiser, faça a alteração de novo.");
}

bool ehAlteradoOutraEstacao(const QString& texto) {
    return texto == alteradoOutraEstacao();
}

namespace {
// "02", "02 e 05", "02, 05 e 07".
QString enumera(const QStringList& itens) {
    if (itens.size() < 2)
        return itens.join(QString());
    return itens.mid(0, itens.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" e ") + itens.last();
}
} // namespace

QString botoesAlterados(const QStringList& grupos, const QStringList& produtos) {
    const qsizetype total = grupos.size() + produtos.size();
    if (total == 0)
        return QString();
    QStringList partes;
    if (!grupos.isEmpty())
        partes << QStringLiteral("de grupo ") + enumera(grupos);
    if (!produtos.isEmpty())
        partes << QStringLiteral("de produto ") + enumera(produtos);
    const QString quais = partes.join(QStringLiteral(" e "));
    if (total == 1)
        return QStringLiteral("O botão %1 foi alterado em outra estação e não foi gravado; a tela mostra agora o "
                              "que está gravado.")
            .arg(quais);
    return QStringLiteral("Os botões %1 foram alterados em outra estação e não foram gravados; a tela mostra agora "
                          "o que está gravado.")
        .arg(quais);
}

QString marcasRetiradas(int retiradas, int restantes) {
    const QString retirado = retiradas == 1
                                 ? QStringLiteral("1 marca retirada: o botão mudou em outra estação.")
                                 : QStringLiteral("%1 marcas retiradas: os botões mudaram em outra estação.")
                                       .arg(retiradas);
    if (restantes == 0)
        return retirado;
    return retirado + (restantes == 1 ? QStringLiteral(" 1 alteração aguarda.")
                                      : QStringLiteral(" %1 alterações aguardam.").arg(restantes));
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
    case FailureCause::RowChanged:
        return alteradoOutraEstacao();
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
    case FailureCause::ServerNotTrusted:
        return certificadoOutraAutoridade(servidor, porta);
    case FailureCause::ReadOnlyServer:
        return servidorSomenteLeitura(servidor, porta);
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

QString foraDosLimites(PacketFault fault) {
    const QLocale pt(QLocale::Portuguese, QLocale::Brazil);
    switch (fault) {
    case PacketFault::TooLarge:
        return QStringLiteral("passa de %1 MB, o maior tamanho aceito").arg(PacketLimits::maxBytes / (1024 * 1024));
    case PacketFault::TooDeep:
        return QStringLiteral("tem elementos encaixados em mais de %1 níveis, o máximo aceito")
            .arg(PacketLimits::maxDepth);
    case PacketFault::TooManyRows:
        return QStringLiteral("tem mais de %1 registros, o máximo aceito").arg(pt.toString(PacketLimits::maxRows));
    case PacketFault::TooManyFields:
        return QStringLiteral("define mais de %1 campos, o máximo aceito").arg(PacketLimits::maxFields);
    case PacketFault::TooManyAttributes:
        return QStringLiteral("tem um elemento com mais de %1 atributos, o máximo aceito")
            .arg(PacketLimits::maxAttributes);
    case PacketFault::TooLongElement:
        return QStringLiteral("tem um elemento de mais de %1 MB, o maior aceito")
            .arg(PacketLimits::maxTagBytes / (1024 * 1024));
    default:
        return QStringLiteral("passa dos limites aceitos");
    }
}

QString parametrosForaDosLimites(PacketFault fault) {
    return QStringLiteral("O arquivo de parâmetros PARAMETROSKMR.CDS %1. Substitua-o por uma cópia boa, ou apague o "
                          "arquivo para usar as cores padrão.")
        .arg(foraDosLimites(fault));
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

QString opcaoConexaoInvalida(const QString& chave, const QString& valor, const QString& aceitos) {
    return QStringLiteral("A configuração de conexão dá a %1 o valor \"%2\", que não é aceito (aceitos: %3). "
                          "Corrija-a em KALMORA_CONEXAO ou kalmora.conexao.")
        .arg(chave, valor, aceitos);
}

QString opcaoConexaoComSeparador(const QString& chave) {
    return QStringLiteral("O valor de %1 na configuração de conexão contém \";\", que não pode ser passado ao "
                          "banco de dados. Corrija-o em KALMORA_CONEXAO ou kalmora.conexao.")
        .arg(chave);
}

QString portasNaoConferem(int servidores, int portas) {
    return QStringLiteral("A configuração de conexão nomeia %1 servidores em Host e %2 portas em Port. Dê uma porta "
                          "para cada servidor, ou uma só para todos, em KALMORA_CONEXAO ou kalmora.conexao.")
        .arg(servidores)
        .arg(portas);
}

QString certificadoOutroNome(const QString& servidor, const QString& porta) {
    return QStringLiteral("A conexão com o servidor de banco de dados %1 foi recusada: o certificado que ele "
                          "apresentou é de outro nome, não do servidor configurado. Nada foi lido nem gravado. "
                          "Confira o nome do servidor em Host e chame o suporte: outro computador pode estar se "
                          "passando pelo servidor.")
        .arg(servidorPorta(servidor, porta));
}

QString certificadoOutraAutoridade(const QString& servidor, const QString& porta) {
    return QStringLiteral("A conexão com o servidor de banco de dados %1 foi recusada: o certificado que ele "
                          "apresentou não foi assinado pela autoridade que este terminal reconhece (SSL Root Cert). "
                          "Nada foi lido nem gravado. Chame o suporte: outro computador pode estar se passando pelo "
                          "servidor.")
        .arg(servidorPorta(servidor, porta));
}

QString certificadoRaizAusente(const QString& servidor, const QString& porta) {
    return QStringLiteral("O certificado raiz que confere o servidor de banco de dados %1 (SSL Root Cert) não foi "
                          "encontrado ou não pôde ser lido, e a conexão não foi feita. Chame o suporte para instalar "
                          "o certificado ou corrigir a configuração de conexão.")
        .arg(servidorPorta(servidor, porta));
}

QString certificadoProprioIlegivel() {
    return QStringLiteral("O certificado ou a chave deste terminal (SSL Cert, SSL Key) não foi encontrado, não pôde "
                          "ser lido ou está sem proteção (a chave deve ter permissão 600), e a conexão não foi feita. "
                          "Chame o suporte para corrigi-los.");
}

QString servidorSemCriptografia(const QString& servidor, const QString& porta) {
    return QStringLiteral("O servidor de banco de dados %1 não aceita conexão criptografada, e a configuração de "
                          "conexão a exige (SSL Mode). A conexão não foi feita. Chame o suporte para ativar a "
                          "criptografia no servidor.")
        .arg(servidorPorta(servidor, porta));
}

QString servidorSomenteLeitura(const QString& servidor, const QString& porta) {
    return QStringLiteral("O servidor de banco de dados %1 só aceita leitura (é um servidor de reserva), e a "
                          "alteração não foi gravada. Chame o suporte para conferir qual é o servidor principal, ou "
                          "tente de novo em alguns instantes.")
        .arg(servidorPorta(servidor, porta));
}

QString arquivoConexaoAberto(const QString& arquivo) {
    return QStringLiteral("O arquivo de conexão %1 contém uma senha e pode ser lido por outros usuários deste "
                          "computador, por isso não foi usado. Proteja o arquivo com o comando: chmod 600 %1 "
                          "e abra o programa de novo.")
        .arg(arquivo);
}

} // namespace OperatorTexts
