// The action brackets of a screen session, and its undo and redo: each undo
// or redo one transaction, checked against the rows as the journal left them,
// and recorded as an entry of its own.

#include "DiarioAplica.h"
#include "SrvChamada.h"
#include "Srv_Kmr00003.h"
#include "TrdmConfGrupo.h"

#include <DataPacket.h>
#include <HostErrors.h>

namespace Srv_Kmr00003 {

bool historicoAtivo() noexcept {
    TrdmConfGrupo* dm = rdmConfGrupo.get();
    return dm == nullptr || !dm->diario || dm->diario->ativo();
}

} // namespace Srv_Kmr00003

namespace {

class Recusa : public DatabaseError {
public:
    explicit Recusa(const QString& texto) : DatabaseError(FailureCause::Refused, texto) {}
};

qint64 numero(const QString& texto) {
    bool ok = false;
    const qint64 n = texto.trimmed().toLongLong(&ok);
    if (!ok || n <= 0)
        throw Recusa(QStringLiteral("O número da ação \"%1\" não é válido; nada foi gravado.").arg(texto.left(20)));
    return n;
}

struct Contagem {
    int botoes = 0;
    int exclui = 0;
    int inclui = 0;
};

Contagem conta(const Diario::Alvos& alvos) {
    Contagem c;
    for (const auto& [k, a] : alvos) {
        if (a.esperado == a.alvo)
            continue;
        ++c.botoes;
        c.exclui += a.alvo.isEmpty();
        c.inclui += a.esperado.isEmpty();
    }
    return c;
}

Diario::Alvos alvosDe(QSqlDatabase db, qint64 numero, bool desfazer) {
    const QList<Diario::Passo> p = Diario::passos(db, numero);
    if (!desfazer)
        return Diario::refaz(p);
    Diario::Alvos alvos;
    Diario::desfaz(alvos, p);
    return alvos;
}

// An undo or a redo of entry P_NRDIARIO, which must be the session's next one.
int32_t volta(const QString& P_NRDIARIO, const QString& P_IDSESSAO, bool desfazer, QVariant& result) {
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        Diario::Livro& livro = Diario::livro(dm);
        const qint64 nr = numero(P_NRDIARIO);
        const auto [filial0, conf0] = livro.configuracaoDaSessao();
        QSqlDatabase db = livro.base(filial0, conf0);
        const std::optional<Diario::Entrada> e = Diario::entrada(db, nr);
        const QString naoHa = desfazer ? QStringLiteral("Esta ação não pode mais ser desfeita; nada foi gravado.")
                                       : QStringLiteral("Esta ação não pode mais ser refeita; nada foi gravado.");
        if (!e)
            throw Recusa(naoHa);
        const Diario::Pilhas p = Diario::pilhas(db, e->filial, e->conf, P_IDSESSAO);
        const QList<qint64>& pilha = desfazer ? p.desfazer : p.refazer;
        if (pilha.isEmpty() || pilha.first() != nr)
            throw Recusa(naoHa);
        const Diario::Alvos alvos = alvosDe(db, nr, desfazer);
        const Diario::Retrato atual = Diario::confere(livro, e->filial, e->conf, alvos);
        const QList<Diario::Passo> feitos = Diario::aplica(livro, alvos, atual);
        Diario::Escopo registro(e->filial, e->conf, {}, e->idAcao,
                                (desfazer ? QStringLiteral("desfazer: ") : QStringLiteral("refazer: ")) + e->descricao);
        registro.operacao = desfazer ? QStringLiteral("D") : QStringLiteral("R");
        registro.referencia = nr;
        registro.sessao = P_IDSESSAO;
        // An entry with nothing left to put back is still marked undone (or
        // redone) by an entry of one empty step.
        livro.registra(registro, feitos.isEmpty() ? QList<Diario::Passo>{Diario::Passo{}} : feitos);
    });
}

} // namespace

int32_t setIniciaAcao(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDSESSAO,
                      const QString& P_IDACAO, const QString& P_DSACAO, QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        Diario::Livro& livro = Diario::livro(dm);
        livro.inicia(P_CDFILIAL, P_NRCONFTELA, P_IDSESSAO, P_IDACAO, P_DSACAO);
        livro.verifica(P_CDFILIAL, P_NRCONFTELA);
        return QString(QLatin1String(""));
    });
}

int32_t setTerminaAcao(QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        Diario::livro(dm).termina();
        return QString(QLatin1String(""));
    });
}

int32_t getPesqDesfazer(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QString& P_IDSESSAO,
                        QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        DataPacket out({{QStringLiteral("IDOPERACAO"), FieldKind::Text, 1},
                        {QStringLiteral("NRDIARIO"), FieldKind::Text, 20},
                        {QStringLiteral("IDACAO"), FieldKind::Text, 1},
                        {QStringLiteral("DSACAO"), FieldKind::Text, 200},
                        {QStringLiteral("QTBOTOES"), FieldKind::Integer, 0},
                        {QStringLiteral("QTEXCLUI"), FieldKind::Integer, 0},
                        {QStringLiteral("QTINCLUI"), FieldKind::Integer, 0}});
        Diario::Livro& livro = Diario::livro(dm);
        QSqlDatabase db = livro.base(P_CDFILIAL, P_NRCONFTELA);
        if (!db.isOpen() || P_IDSESSAO.isEmpty())
            return out;
        const Diario::Pilhas p = Diario::pilhas(db, P_CDFILIAL, P_NRCONFTELA, P_IDSESSAO);
        const auto linha = [&](const char* op, qint64 nr, bool desfazer) {
            const std::optional<Diario::Entrada> e = Diario::entrada(db, nr);
            if (!e)
                return;
            const Contagem c = conta(alvosDe(db, nr, desfazer));
            out.appendRow(
                {QString::fromLatin1(op), QString::number(nr), e->idAcao, e->descricao, c.botoes, c.exclui, c.inclui});
        };
        if (!p.desfazer.isEmpty())
            linha("D", p.desfazer.first(), true);
        if (!p.refazer.isEmpty())
            linha("R", p.refazer.first(), false);
        return out;
    });
}

int32_t getDesfazer(const QString& P_NRDIARIO, const QString& P_IDSESSAO, QVariant& result) {
    return volta(P_NRDIARIO, P_IDSESSAO, true, result);
}

int32_t getRefazer(const QString& P_NRDIARIO, const QString& P_IDSESSAO, QVariant& result) {
    return volta(P_NRDIARIO, P_IDSESSAO, false, result);
}
