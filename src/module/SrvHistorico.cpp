// The journal read back for the launcher, and a configuration put back as it
// was at a moment.

#include "DiarioAplica.h"
#include "SrvChamada.h"
#include "Srv_Kmr00003.h"
#include "TrdmConfGrupo.h"

#include <DataPacket.h>
#include <HostErrors.h>

#include <QDateTime>

#include <algorithm>

namespace {

class Recusa : public DatabaseError {
public:
    explicit Recusa(const QString& texto) : DatabaseError(FailureCause::Refused, texto) {}
};

constexpr int kBotoesPorLinha = 20; // buttons listed per entry; the rest counted

QString legenda(const QByteArray& imagem) {
    if (imagem.isEmpty())
        return QStringLiteral("(nenhum)");
    const QList<QVariant> v = Diario::valores(imagem);
    const QString ds = v.value(9).toString();
    return ds.isEmpty() ? QStringLiteral("(sem nome)") : QStringLiteral("\"%1\"").arg(ds);
}

QString botoes(const QList<Diario::Passo>& passos) {
    QStringList linhas;
    int resto = 0;
    for (const Diario::Passo& p : passos) {
        if (p.antes.isEmpty() && p.depois.isEmpty())
            continue;
        if (linhas.size() >= kBotoesPorLinha) {
            ++resto;
            continue;
        }
        const QString onde = Diario::descreveBotao(p.depois.isEmpty() ? p.antes : p.depois);
        QString linha = QStringLiteral("%1: %2 → %3").arg(onde, legenda(p.antes), legenda(p.depois));
        if (!p.antes.isEmpty() && !p.depois.isEmpty() && legenda(p.antes) == legenda(p.depois))
            linha += QStringLiteral(" (cor, imagem ou produto)");
        linhas << linha;
    }
    if (resto > 0)
        linhas << (resto == 1 ? QStringLiteral("e mais 1 botão") : QStringLiteral("e mais %1 botões").arg(resto));
    return linhas.join(u'\n');
}

int limite(const QString& texto) {
    if (texto.trimmed().isEmpty())
        return 0;
    bool ok = false;
    const int n = texto.trimmed().toInt(&ok);
    if (!ok || n <= 0)
        throw Recusa(QStringLiteral("O limite \"%1\" não é um número de ações válido.").arg(texto.left(20)));
    return n;
}

QDateTime momento(const QString& texto) {
    const QDateTime m = QDateTime::fromString(texto.trimmed(), QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!m.isValid())
        throw Recusa(QStringLiteral("O momento \"%1\" não é uma data e hora válida; use o formato AAAA-MM-DD HH:MM, "
                                    "como 2026-03-14 18:30. Nada foi gravado.")
                         .arg(texto.left(40)));
    return m;
}

} // namespace

int32_t getPesqHistorico(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_LIMITE,
                         QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        const int n = limite(P_LIMITE);
        DataPacket out({{QStringLiteral("NRDIARIO"), FieldKind::Text, 20},
                        {QStringLiteral("DTDIARIO"), FieldKind::Text, 19},
                        {QStringLiteral("NMESTACAO"), FieldKind::Text, 100},
                        {QStringLiteral("NMUSUARIO"), FieldKind::Text, 100},
                        {QStringLiteral("CDFILIAL"), FieldKind::Text, 4},
                        {QStringLiteral("NRCONFTELA"), FieldKind::Text, 5},
                        {QStringLiteral("IDACAO"), FieldKind::Text, 1},
                        {QStringLiteral("DSACAO"), FieldKind::Text, 200},
                        {QStringLiteral("DSBOTOES"), FieldKind::Text, 0}});
        Diario::Livro& livro = Diario::livro(dm);
        const bool todas = P_CDFILIAL.isEmpty() && P_NRCONFTELA.isEmpty();
        const QList<QSqlDatabase> bases =
            todas ? livro.bases() : QList<QSqlDatabase>{livro.base(P_CDFILIAL, P_NRCONFTELA)};
        QList<std::pair<Diario::Entrada, QSqlDatabase>> todasAsEntradas;
        for (const QSqlDatabase& db : bases) {
            if (!db.isOpen())
                continue;
            const QList<Diario::Entrada> e =
                todas ? Diario::entradas(db, {}, {}, n)
                      : Diario::entradas(db, QStringLiteral("CDFILIAL = ? AND NRCONFTELA = ?"),
                                         {P_CDFILIAL, P_NRCONFTELA}, n);
            for (const Diario::Entrada& x : e)
                todasAsEntradas.append({x, db});
        }
        std::stable_sort(todasAsEntradas.begin(), todasAsEntradas.end(), [](const auto& a, const auto& b) {
            return a.first.data != b.first.data ? a.first.data > b.first.data : a.first.numero > b.first.numero;
        });
        if (n > 0 && todasAsEntradas.size() > n)
            todasAsEntradas.resize(n);
        for (const auto& [e, db] : todasAsEntradas)
            out.appendRow({QString::number(e.numero), e.data, e.estacao, e.usuario, e.filial, e.conf, e.idAcao,
                           e.descricao, botoes(Diario::passos(db, e.numero))});
        return out;
    });
}

int32_t setRestauraConf(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_MOMENTO,
                        QVariant& result) {
    Diario::Escopo escopo(P_CDFILIAL, P_NRCONFTELA, {}, QStringLiteral("H"),
                          QStringLiteral("restauração da configuração como estava em %1").arg(P_MOMENTO.trimmed()));
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        const QString limiteTexto = momento(P_MOMENTO).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        Diario::Livro& livro = Diario::livro(dm);
        QSqlDatabase db = livro.base(P_CDFILIAL, P_NRCONFTELA);
        if (!db.isOpen())
            throw Recusa(QStringLiteral("O histórico desta configuração não pode ser aberto; nada foi gravado."));
        const QList<Diario::Entrada> antes =
            Diario::entradas(db, QStringLiteral("CDFILIAL = ? AND NRCONFTELA = ? AND DTDIARIO < ?"),
                             {P_CDFILIAL, P_NRCONFTELA, limiteTexto}, 1);
        if (antes.isEmpty())
            throw Recusa(QStringLiteral("O histórico da configuração %1 da filial %2 não chega a %3: não se sabe como "
                                        "ela estava nesse momento. Nada foi gravado; escolha um momento mais recente "
                                        "(veja kalmora --history).")
                             .arg(P_NRCONFTELA, P_CDFILIAL, P_MOMENTO.trimmed()));
        const QList<Diario::Entrada> depois =
            Diario::entradas(db, QStringLiteral("CDFILIAL = ? AND NRCONFTELA = ? AND DTDIARIO >= ?"),
                             {P_CDFILIAL, P_NRCONFTELA, limiteTexto});
        Diario::Alvos alvos;
        for (const Diario::Entrada& e : depois) // newest first
            Diario::desfaz(alvos, Diario::passos(db, e.numero));
        // Every row as it was; whatever changed since without the journal's
        // knowledge is put back too.
        const Diario::Retrato atual = Diario::atuais(livro, P_CDFILIAL, P_NRCONFTELA, alvos);
        Diario::aplica(livro, alvos, atual);
        return QVariant(int(depois.size()));
    });
}
