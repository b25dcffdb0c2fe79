#include "HistoryCommands.h"

#include "CommandSupport.h"

#include <DataPacket.h>
#include <HostErrors.h>
#include <KmrLog.h>
#include <Srv_Kmr00003.h>

#include <QTextStream>

using namespace Comando;

namespace {

const QString kHistory = QStringLiteral("history");
const QString kRestoreTo = QStringLiteral("restore-to");
const QString kLimit = QStringLiteral("limit");
constexpr int kFeito = 0;
constexpr int kRecusado = 2;

QString linha(const DataPacket& h, int r) {
    const auto campo = [&](const char* nome) { return h.text(r, h.indexOf(QString::fromLatin1(nome))); };
    QString botoes = campo("DSBOTOES");
    botoes.replace(u'\n', QStringLiteral("; "));
    const QString usuario = campo("NMUSUARIO").isEmpty() ? QStringLiteral("-") : campo("NMUSUARIO");
    const QString estacao = campo("NMESTACAO").isEmpty() ? QStringLiteral("-") : campo("NMESTACAO");
    QString l = QStringLiteral("%1  %2  %3  filial %4, configuração %5  %6")
                    .arg(campo("DTDIARIO"), estacao, usuario, campo("CDFILIAL"), campo("NRCONFTELA"), campo("DSACAO"));
    if (!botoes.isEmpty())
        l += QStringLiteral(": ") + botoes;
    return l;
}

int historico(const QCommandLineParser& parser) {
    const bool uma = parser.isSet(QStringLiteral("branch")) || parser.isSet(QStringLiteral("config"));
    const Configuracao c = uma ? configuracao(parser, true) : Configuracao{};
    const QString limite = parser.isSet(kLimit) ? parser.value(kLimit) : QString();
    Sessao sessao;
    QVariant r;
    const DataPacket h =
        resultado("getPesqHistorico", getPesqHistorico(c.filial, c.conf, limite, r), r).value<DataPacket>();
    QTextStream saida(stdout);
    if (h.rowCount() == 0)
        saida << (uma ? QStringLiteral("Nenhuma alteração registrada na %1.").arg(c.nome())
                      : QStringLiteral("Nenhuma alteração registrada."))
              << Qt::endl;
    for (int i = 0; i < h.rowCount(); ++i)
        saida << linha(h, i) << Qt::endl;
    if (!Srv_Kmr00003::historicoAtivo())
        imprimeErro(QStringLiteral("o histórico deste banco de dados não pôde ser lido; veja o arquivo kalmora.log."));
    return kFeito;
}

int restaura(const QCommandLineParser& parser) {
    const Configuracao c = configuracao(parser, true);
    const QString momento = parser.value(kRestoreTo);
    Sessao sessao;
    QVariant r;
    const QVariant n = resultado("setRestauraConf", setRestauraConf(c.filial, c.conf, momento, r), r);
    imprime(n.toInt() == 0 ? QStringLiteral("A %1 já estava como em %2; nada foi alterado.").arg(c.nome(), momento)
                           : QStringLiteral("A %1 voltou a ser como era em %2 (%3 alterações desfeitas).")
                                 .arg(c.nome(), momento)
                                 .arg(n.toInt()));
    return kFeito;
}

} // namespace

namespace HistoryCommands {

void addOptions(QCommandLineParser& parser) {
    parser.addOption(
        {kHistory, QStringLiteral("Mostra o histórico das alterações do menu, da mais nova para a mais antiga, "
                                  "uma linha por ação: quando, estação, usuário, ação e os botões com o nome antes "
                                  "→ depois. Com --branch e --config, só dessa configuração.")});
    parser.addOption({kRestoreTo,
                      QStringLiteral("Volta a configuração dada por --branch e --config ao que era no MOMENTO "
                                     "(\"AAAA-MM-DD HH:MM\", hora local), numa só transação, registrada no "
                                     "histórico. Sai com 0 quando feito, 2 quando recusado."),
                      QStringLiteral("MOMENTO")});
    parser.addOption({kLimit, QStringLiteral("Com --history: só as N ações mais recentes."), QStringLiteral("N")});
}

std::optional<int> run(const QCommandLineParser& parser) {
    const bool h = parser.isSet(kHistory);
    const bool t = parser.isSet(kRestoreTo);
    if (!h && !t) {
        if (parser.isSet(kLimit)) {
            imprimeErro(QStringLiteral("--limit só é usado junto com --history."));
            return kRecusado;
        }
        return std::nullopt;
    }
    try {
        semArgumentos(parser);
        if (parser.isSet(QStringLiteral("replace")))
            throw Falha{QStringLiteral("--replace não vale com --history nem com --restore-to.")};
        if (t && parser.isSet(kLimit))
            throw Falha{QStringLiteral("--limit só é usado junto com --history.")};
        return h ? historico(parser) : restaura(parser);
    } catch (const Falha& f) {
        imprimeErro(f.texto);
    } catch (const std::exception& e) {
        qCWarning(lcKmrApp) << (h ? "--history failed:" : "--restore-to failed:") << exceptionText(e);
        imprimeErro(h ? QStringLiteral("o histórico não pôde ser lido. Tente de novo; se o erro voltar, chame o "
                                       "suporte.")
                      : QStringLiteral("a configuração não pôde ser restaurada; nada foi gravado. Tente de novo; se o "
                                       "erro voltar, chame o suporte."));
    }
    return kRecusado;
}

} // namespace HistoryCommands
