#include "DiarioAplica.h"

#include "SrvColunas.h"

#include <HostErrors.h>
#include <OperatorTexts.h>
#include <TADOQuery.h>

#include <QSqlError>
#include <QSqlQuery>

namespace Diario {

namespace {

constexpr int kPorChave = 64; // above this many rows, the whole configuration is read at once

void executa(QSqlQuery& q) {
    if (!q.exec())
        throw DatabaseError(QStringLiteral("O histórico não pôde ser lido. Tente de novo; se o erro voltar, chame o "
                                           "suporte."),
                            q.lastError(), q.lastQuery());
}

QStringList nomes() {
    QStringList out;
    for (const SrvColunas::Coluna& c : SrvColunas::colunas())
        out << QString::fromLatin1(c.nome);
    return out;
}

void bindLinha(TADOQuery& c, const QStringList& cols, const QList<QVariant>& v, const QString& prefixo, int de,
               int ate) {
    for (int i = de; i < ate && i < v.size(); ++i)
        c.setParam(prefixo + cols[i], v[i]);
}

QString condicaoChave(const QStringList& cols) {
    QStringList e;
    for (int i = 0; i < kChaves; ++i)
        e << QStringLiteral("%1 = :K_%1").arg(cols[i]);
    return e.join(QStringLiteral(" AND "));
}

void remove(Livro& livro, const QList<QVariant>& chave) {
    const QStringList cols = nomes();
    TADOQuery& c = livro.comando(QStringLiteral("DELETE FROM ITMENUCONFTE WHERE ") + condicaoChave(cols));
    bindLinha(c, cols, chave, QStringLiteral("K_"), 0, kChaves);
    c.execute();
}

void atualiza(Livro& livro, const QList<QVariant>& v) {
    const QStringList cols = nomes();
    QStringList sets;
    for (int i = kChaves; i < cols.size(); ++i)
        sets << QStringLiteral("%1 = :P_%1").arg(cols[i]);
    TADOQuery& c = livro.comando(QStringLiteral("UPDATE ITMENUCONFTE SET %1 WHERE %2")
                                     .arg(sets.join(QStringLiteral(", ")), condicaoChave(cols)));
    bindLinha(c, cols, v, QStringLiteral("K_"), 0, kChaves);
    bindLinha(c, cols, v, QStringLiteral("P_"), kChaves, int(cols.size()));
    c.execute();
}

void insere(Livro& livro, const QList<QVariant>& v) {
    const QStringList cols = nomes();
    QStringList ps;
    for (const QString& n : cols)
        ps << QStringLiteral(":P_") + n;
    TADOQuery& c = livro.comando(QStringLiteral("INSERT INTO ITMENUCONFTE (%1) VALUES (%2)")
                                     .arg(cols.join(QStringLiteral(", ")), ps.join(QStringLiteral(", "))));
    bindLinha(c, cols, v, QStringLiteral("P_"), 0, int(cols.size()));
    c.execute();
}

Entrada leEntrada(const QSqlQuery& q) {
    Entrada e;
    e.numero = q.value(0).toLongLong();
    e.data = q.value(1).toString();
    e.estacao = q.value(2).toString();
    e.usuario = q.value(3).toString();
    e.filial = q.value(4).toString();
    e.conf = q.value(5).toString();
    e.sessao = q.value(6).toString();
    e.idAcao = q.value(7).toString();
    e.descricao = q.value(8).toString();
    e.operacao = q.value(9).toString();
    e.referencia = q.value(10).toLongLong();
    return e;
}

const QString kColunasEntrada = QStringLiteral("NRDIARIO, DTDIARIO, NMESTACAO, NMUSUARIO, CDFILIAL, NRCONFTELA, "
                                               "IDSESSAO, IDACAO, DSACAO, IDOPERACAO, NRDIARIOREF");

} // namespace

QList<Entrada> entradas(QSqlDatabase db, const QString& condicao, const QVariantList& parametros, int limite) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT %1 FROM KMRDIARIO").arg(kColunasEntrada);
    if (!condicao.isEmpty())
        sql += QStringLiteral(" WHERE ") + condicao;
    sql += QStringLiteral(" ORDER BY NRDIARIO DESC");
    if (limite > 0)
        sql += QStringLiteral(" LIMIT %1").arg(limite);
    q.prepare(sql);
    for (const QVariant& p : parametros)
        q.addBindValue(p);
    executa(q);
    QList<Entrada> out;
    while (q.next())
        out.append(leEntrada(q));
    return out;
}

std::optional<Entrada> entrada(QSqlDatabase db, qint64 numero) {
    const QList<Entrada> e = entradas(db, QStringLiteral("NRDIARIO = ?"), {numero});
    if (e.isEmpty())
        return std::nullopt;
    return e.first();
}

QList<Passo> passos(QSqlDatabase db, qint64 numero) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT DSANTES, DSDEPOIS FROM KMRDIARIOPASSO WHERE NRDIARIO = ? ORDER BY NRPASSO"));
    q.addBindValue(numero);
    executa(q);
    QList<Passo> out;
    while (q.next())
        out.append({q.value(0).toString().toUtf8(), q.value(1).toString().toUtf8()});
    return out;
}

Pilhas pilhas(QSqlDatabase db, const QString& filial, const QString& conf, const QString& sessao) {
    Pilhas p;
    if (sessao.isEmpty())
        return p;
    QList<Entrada> e =
        entradas(db, QStringLiteral("IDSESSAO = ? AND CDFILIAL = ? AND NRCONFTELA = ?"), {sessao, filial, conf});
    std::reverse(e.begin(), e.end());
    for (const Entrada& x : e) {
        if (x.operacao == QLatin1String("N")) {
            p.desfazer.append(x.numero);
            p.refazer.clear();
        } else if (x.operacao == QLatin1String("D")) {
            p.desfazer.removeAll(x.referencia);
            p.refazer.append(x.referencia);
        } else if (x.operacao == QLatin1String("R")) {
            p.refazer.removeAll(x.referencia);
            p.desfazer.append(x.referencia);
        }
    }
    std::reverse(p.desfazer.begin(), p.desfazer.end());
    std::reverse(p.refazer.begin(), p.refazer.end());
    return p;
}

void desfaz(Alvos& alvos, const QList<Passo>& passos) {
    for (auto p = passos.crbegin(); p != passos.crend(); ++p) {
        if (p->antes.isEmpty() && p->depois.isEmpty())
            continue;
        const QString k = chave(p->depois.isEmpty() ? p->antes : p->depois);
        auto achado = alvos.find(k);
        if (achado == alvos.end())
            achado = alvos.emplace(k, Alvo{p->depois, {}}).first;
        achado->second.alvo = p->antes;
    }
}

Alvos refaz(const QList<Passo>& passos) {
    Alvos alvos;
    for (const Passo& p : passos) {
        if (p.antes.isEmpty() && p.depois.isEmpty())
            continue;
        const QString k = chave(p.depois.isEmpty() ? p.antes : p.depois);
        auto achado = alvos.find(k);
        if (achado == alvos.end())
            achado = alvos.emplace(k, Alvo{p.antes, {}}).first;
        achado->second.alvo = p.depois;
    }
    return alvos;
}

Retrato atuais(Livro& livro, const QString& filial, const QString& conf, const Alvos& alvos) {
    if (alvos.size() > kPorChave)
        return livro.leConfiguracao(filial, conf);
    QList<Filtro> filtros;
    for (const auto& [k, a] : alvos) {
        const QList<QVariant> v = valores(a.esperado.isEmpty() ? a.alvo : a.esperado);
        QStringList posicao;
        for (int i = 2; i < kChaves && i < v.size(); ++i)
            posicao << v[i].toString();
        Filtro f = Diario::posicao(posicao);
        if (f.size() < 6)
            return livro.leConfiguracao(filial, conf); // an empty key part: read all
        filtros.append(f);
    }
    if (filtros.isEmpty())
        return {};
    const Escopo escopo(filial, conf, filtros);
    return livro.le(escopo, true);
}

Retrato confere(Livro& livro, const QString& filial, const QString& conf, const Alvos& alvos) {
    const Retrato atual = atuais(livro, filial, conf, alvos);
    QStringList grupos;
    QStringList produtos;
    for (const auto& [k, a] : alvos) {
        const auto achado = atual.find(k);
        const QByteArray agora = achado == atual.end() ? QByteArray() : achado->second;
        if (agora == a.esperado)
            continue;
        const QList<QVariant> v = valores(a.esperado.isEmpty() ? a.alvo : a.esperado);
        const QString botao = v.value(3).toString();
        QStringList& lista = v.value(5).toString() == QLatin1String("0") ? grupos : produtos;
        if (!lista.contains(botao))
            lista << botao;
    }
    if (!grupos.isEmpty() || !produtos.isEmpty())
        throw DatabaseError(
            FailureCause::RowChanged, OperatorTexts::botoesAlterados(grupos, produtos), QSqlError(),
            QStringLiteral("%1 rows of the journal entry changed since").arg(grupos.size() + produtos.size()));
    return atual;
}

QList<Passo> aplica(Livro& livro, const Alvos& alvos, const Retrato& atual) {
    QList<Passo> feitos;
    // Deletes first, so that a row moved back finds its old position free.
    for (int fase = 0; fase < 2; ++fase) {
        for (const auto& [k, a] : alvos) {
            const auto achado = atual.find(k);
            const QByteArray agora = achado == atual.end() ? QByteArray() : achado->second;
            if (agora == a.alvo)
                continue;
            const bool apaga = a.alvo.isEmpty();
            if ((fase == 0) != apaga)
                continue;
            if (apaga)
                remove(livro, valores(agora));
            else if (agora.isEmpty())
                insere(livro, valores(a.alvo));
            else
                atualiza(livro, valores(a.alvo));
            feitos.append({agora, a.alvo});
        }
    }
    return feitos;
}

QString descreveBotao(const QByteArray& img) {
    const QList<QVariant> v = valores(img);
    if (v.size() < kChaves + 2)
        return QString();
    const QString posicao = v[5].toString() == QLatin1String("0")
                                ? QStringLiteral("grupo %1 (página %2)").arg(v[3].toString(), v[4].toString())
                                : QStringLiteral("produto %1 (página %2 do grupo %3)")
                                      .arg(v[3].toString(), v[4].toString(), v[6].toString());
    return posicao;
}

} // namespace Diario
