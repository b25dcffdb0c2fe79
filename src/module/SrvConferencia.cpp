#include "SrvConferencia.h"

#include "SrvChamada.h"
#include "TrdmConfGrupo.h"

#include <HostErrors.h>
#include <OperatorTexts.h>
#include <SqlGuards.h>

#include <QHash>

#include <cmath>
#include <stdexcept>

namespace {

const char* const kOrdem = " ORDER BY NRPGCONFTELA, NRBUTTON, IDTPBUTTON";

const char* const kColunas = "SELECT IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX, "
                             "CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSIMAGEMBUT FROM ITMENUCONFTE WHERE "
                             "(CDFILIAL = :P_CDFILIAL) AND (NRCONFTELA = :P_NRCONFTELA) AND ";

const char* const kFilhos =
    "(IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX)";
const char* const kPaginaGrupo = "(IDTPBUTTON IN ('2','7','8')) AND (NRPGCONFTELA = :P_NRPGCONFTELA)";
const char* const kPaginaProd = "(IDTPBUTTON IN ('1','9','A')) AND (NRPGCONFTELA = :P_NRPGCONFTELA) AND "
                                "(IDTPBUTONAUX = '2') AND (NRBUTTONAUX = :P_NRBUTTONAUX) AND (NRPGCONFTAUX = "
                                ":P_NRPGCONFTAUX)";

// The product-level items under one group position moved under another, as
// the paste of a group re-points them one by one.
const char* const kRepontaFilhos =
    "UPDATE ITMENUCONFTE SET NRBUTTONAUX = :P_NRBUTTONAUX, NRPGCONFTAUX = :P_NRPGCONFTAUX WHERE (CDFILIAL = "
    ":P_CDFILIAL) AND (NRCONFTELA = :P_NRCONFTELA) AND (IDTPBUTTON IN ('1','9','A')) AND (IDTPBUTONAUX = '2') "
    "AND (NRBUTTONAUX = :P_NRBUTTONAUX_ANT) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX_ANT)";

// No other item of the level at a paste's new position.
const char* const kGrupoLivre =
    " AND NOT EXISTS (SELECT 1 FROM ITMENUCONFTE OCUPA WHERE (OCUPA.CDFILIAL = ITMENUCONFTE.CDFILIAL) AND "
    "(OCUPA.NRCONFTELA = ITMENUCONFTE.NRCONFTELA) AND (OCUPA.IDTPBUTTON IN ('2','7','8')) AND (OCUPA.NRBUTTON = "
    ":P_NRBUTTON_LIVRE) AND (OCUPA.NRPGCONFTELA = :P_NRPGCONFTELA_LIVRE) AND (OCUPA.IDTPBUTONAUX = '0') AND "
    "(OCUPA.NRBUTTONAUX = '0') AND (OCUPA.NRPGCONFTAUX = '0'))";
const char* const kProdutoLivre =
    " AND NOT EXISTS (SELECT 1 FROM ITMENUCONFTE OCUPA WHERE (OCUPA.CDFILIAL = ITMENUCONFTE.CDFILIAL) AND "
    "(OCUPA.NRCONFTELA = ITMENUCONFTE.NRCONFTELA) AND (OCUPA.IDTPBUTTON IN ('1','9','A')) AND (OCUPA.NRBUTTON = "
    ":P_NRBUTTON_LIVRE) AND (OCUPA.NRPGCONFTELA = :P_NRPGCONFTELA_LIVRE) AND (OCUPA.IDTPBUTONAUX = '2') AND "
    "(OCUPA.NRBUTTONAUX = :P_NRBUTTONAUX_LIVRE) AND (OCUPA.NRPGCONFTAUX = :P_NRPGCONFTAUX_LIVRE))";

// A read of the items a write is about to change locks them on a server
// database, so that no other station changes them between the compare and
// the write. SQLite needs no lock: its write transaction holds the whole
// database from its start.
QString texto(const char* onde, bool trava) {
    QString sql = QString::fromLatin1(kColunas) + QString::fromLatin1(onde) + QString::fromLatin1(kOrdem);
    if (trava)
        sql += QStringLiteral(" FOR UPDATE");
    return sql;
}

bool travaLinhas(const TADOConnection& connection) {
    return connection.dialect() == SqlDialect::PostgreSQL || connection.dialect() == SqlDialect::Oracle;
}

const QStringList& colunasChave() {
    static const QStringList nomes{QStringLiteral("IDTPBUTTON"),   QStringLiteral("NRBUTTON"),
                                   QStringLiteral("NRPGCONFTELA"), QStringLiteral("IDTPBUTONAUX"),
                                   QStringLiteral("NRBUTTONAUX"),  QStringLiteral("NRPGCONFTAUX")};
    return nomes;
}

const QStringList& colunasTexto() {
    static const QStringList nomes{QStringLiteral("CDIDENTBUTON"), QStringLiteral("DSBUTTON"),
                                   QStringLiteral("DSIMAGEMBUT")};
    return nomes;
}

const QStringList& colunasCor() {
    static const QStringList nomes{QStringLiteral("NRCOLORTEXT"), QStringLiteral("NRCOLORBACK")};
    return nomes;
}

// The indices of the position columns in a packet the caller gave.
QList<int> indicesChave(const DataPacket& p) {
    QList<int> indices;
    for (const QString& nome : colunasChave()) {
        const int i = p.indexOf(nome);
        if (i < 0)
            throw std::invalid_argument("the expected rows lack a position column");
        indices << i;
    }
    return indices;
}

DataPacket pacote(const QVariant& esperado) {
    if (!isDataPacket(esperado))
        throw std::invalid_argument("the expected rows are not a data packet");
    return esperado.value<DataPacket>();
}

QString chaveDaLinha(const DataPacket& p, int linha, const QList<int>& indices) {
    QStringList partes;
    for (const int i : indices)
        partes << p.text(linha, i);
    return partes.join(QLatin1Char('|'));
}

// A colour as the whole number it stands for; a text that is no number
// matches no stored colour.
std::optional<long long> corInteira(const DataPacket& p, int linha, int coluna) {
    const FieldKind tipo = p.fields().at(coluna).kind;
    if (tipo == FieldKind::Float || tipo == FieldKind::Integer)
        return std::llround(p.number(linha, coluna));
    bool ok = false;
    const double valor = p.text(linha, coluna).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(valor))
        return std::nullopt;
    return std::llround(valor);
}

bool mesmoValor(const DataPacket& a, int linhaA, int colA, const DataPacket& b, int linhaB, int colB) {
    if (colunasCor().contains(b.fields().at(colB).name)) {
        if (a.isNull(linhaA, colA) || b.isNull(linhaB, colB))
            return a.isNull(linhaA, colA) == b.isNull(linhaB, colB);
        const auto ca = corInteira(a, linhaA, colA);
        return ca && ca == corInteira(b, linhaB, colB);
    }
    return a.text(linhaA, colA) == b.text(linhaB, colB);
}

// A text as a value to bind: an empty one never as a null, which would
// match nothing.
QVariant valorTexto(const DataPacket& p, int linha, int coluna) {
    const QString t = p.text(linha, coluna);
    return t.isEmpty() ? QVariant(QString(QLatin1String(""))) : QVariant(t);
}

// The columns a caller showed, by their index in its packet (-1 when not
// shown): the position, the texts, the colours.
struct Mostradas {
    QList<int> chave;
    QList<bool> fixa; // the position columns the statement itself fixes
    QList<int> textos;
    QList<int> cores;
};

Mostradas mostradas(const DataPacket& visto, const SrvEstacoes::Posicao& posicao) {
    Mostradas m{indicesChave(visto), {}, {}, {}};
    for (const auto& valor : posicao)
        m.fixa << valor.has_value();
    for (const QString& coluna : colunasTexto())
        m.textos << visto.indexOf(coluna);
    for (const QString& coluna : colunasCor())
        m.cores << visto.indexOf(coluna);
    return m;
}

// What sets the text of a checked statement apart: the statement, the
// columns shown, the colours shown null, the rows, the free position.
QString formaDe(const TADOQuery& base, const DataPacket& visto, const Mostradas& m, const char livre) {
    QString forma = QString::number(quintptr(&base), 16) + QLatin1Char(livre);
    for (const bool fixa : m.fixa)
        forma += fixa ? QLatin1Char('=') : QLatin1Char('?');
    for (const QList<int>* indices : {&m.textos, &m.cores})
        for (const int c : *indices)
            forma += c < 0 ? QLatin1Char('-') : QLatin1Char('+');
    for (int linha = 0; linha < visto.rowCount(); ++linha) {
        forma += QLatin1Char('/');
        for (const int c : m.cores)
            forma += c >= 0 && visto.isNull(linha, c) ? QLatin1Char('n') : QLatin1Char('v');
    }
    return forma;
}

// The condition that one stored row still is row `linha` of what was shown,
// the names of its parameters appended to `nomes`. Null texts compare as
// empty ones.
QString condicaoDaLinha(const DataPacket& visto, int linha, const Mostradas& m, QStringList& nomes) {
    QStringList partes;
    const QString sufixo = QStringLiteral("_VISTO") + QString::number(linha + 1);
    const auto parametro = [&](const QString& coluna) {
        nomes << QStringLiteral("P_") + coluna + sufixo;
        return QLatin1Char(':') + nomes.last();
    };
    for (int i = 0; i < m.chave.size(); ++i) {
        if (!m.fixa[i])
            partes << QStringLiteral("(%1 = %2)").arg(colunasChave()[i], parametro(colunasChave()[i]));
    }
    for (int i = 0; i < m.textos.size(); ++i) {
        if (m.textos[i] >= 0)
            partes << QStringLiteral("(COALESCE(%1, '') = %2)").arg(colunasTexto()[i], parametro(colunasTexto()[i]));
    }
    for (int i = 0; i < m.cores.size(); ++i) {
        if (m.cores[i] < 0)
            continue;
        const QString& coluna = colunasCor()[i];
        if (visto.isNull(linha, m.cores[i]))
            partes << QStringLiteral("(%1 IS NULL)").arg(coluna);
        else
            partes << QStringLiteral("(ABS(%1 - %2) < 0.5)").arg(coluna, parametro(coluna));
    }
    return QLatin1Char('(') + partes.join(QStringLiteral(" AND ")) + QLatin1Char(')');
}

// The values of row `linha` in the order of condicaoDaLinha's parameters.
void valoresDaLinha(const DataPacket& visto, int linha, const Mostradas& m, QVariantList& valores) {
    for (int i = 0; i < m.chave.size(); ++i) {
        if (!m.fixa[i])
            valores << valorTexto(visto, linha, m.chave[i]);
    }
    for (const int c : m.textos) {
        if (c >= 0)
            valores << valorTexto(visto, linha, c);
    }
    for (const int c : m.cores) {
        if (c < 0 || visto.isNull(linha, c))
            continue;
        const std::optional<long long> cor = corInteira(visto, linha, c);
        if (!cor)
            SrvEstacoes::alterado(QStringLiteral("%1 shown is no number").arg(visto.fields().at(c).name));
        valores << double(*cor);
    }
}

SrvEstacoes::Esperado*& ativo() {
    static SrvEstacoes::Esperado* atual = nullptr;
    return atual;
}

} // namespace

SrvConferencia::SrvConferencia(TADOConnection& connection)
    : adqFilhos(connection, texto(kFilhos, travaLinhas(connection))),
      acmRepontaFilhos(connection, QString::fromLatin1(kRepontaFilhos)),
      adqPaginaGrupo(connection, texto(kPaginaGrupo, false)), adqPaginaProd(connection, texto(kPaginaProd, false)),
      m_connection(connection) {
}

QList<FieldDef> SrvConferencia::colunas() {
    const auto t = [](const char* nome, int largura) {
        return FieldDef{QString::fromLatin1(nome), FieldKind::Text, largura};
    };
    const auto n = [](const char* nome) { return FieldDef{QString::fromLatin1(nome), FieldKind::Float, 0}; };
    return {t("IDTPBUTTON", 1),  t("NRBUTTON", 5),     t("NRPGCONFTELA", 2),  t("IDTPBUTONAUX", 1),
            t("NRBUTTONAUX", 2), t("NRPGCONFTAUX", 2), t("CDIDENTBUTON", 10), t("DSBUTTON", 50),
            n("NRCOLORTEXT"),    n("NRCOLORBACK"),     t("DSIMAGEMBUT", 200)};
}

const SrvConferencia::Conferido& SrvConferencia::conferido(const TADOQuery& base, const QString& forma,
                                                           const std::function<QString(QStringList&)>& monta) {
    auto it = m_conferidos.find(forma);
    if (it == m_conferidos.end()) {
        // The shapes a screen shows are a handful.
        if (m_conferidos.size() >= 64)
            m_conferidos.clear();
        Conferido novo;
        const QString condicao = monta(novo.parametros);
        novo.comando = std::make_unique<TADOQuery>(m_connection, base.sql() + condicao);
        it = m_conferidos.emplace(forma, std::move(novo)).first;
    }
    return it->second;
}

namespace SrvEstacoes {

Esperado::Esperado(const QVariant& linhas, Posicao posicao, std::optional<Destino> livre)
    : m_linhas(linhas), m_posicao(std::move(posicao)), m_livre(std::move(livre)) {
    ativo() = this;
}

Esperado::~Esperado() {
    if (ativo() == this)
        ativo() = nullptr;
}

TADOQuery& comando(TrdmConfGrupo& dm, TADOQuery& base) {
    Esperado* e = ativo();
    if (e == nullptr || e->m_entregue)
        return base;
    e->m_entregue = true;
    const DataPacket visto = pacote(e->m_linhas);
    const Mostradas m = mostradas(visto, e->m_posicao);
    if (visto.rowCount() == 0)
        alterado(QStringLiteral("nothing shown at the position written"));
    // A row shown at another position than the write's is not the one it changes.
    for (int linha = 0; linha < visto.rowCount(); ++linha) {
        for (int i = 0; i < m.chave.size(); ++i) {
            if (m.fixa[i] && visto.text(linha, m.chave[i]) != *e->m_posicao[std::size_t(i)])
                alterado(QStringLiteral("shown at another position than written: ") + colunasChave()[i]);
        }
    }
    const std::optional<Destino>& livre = e->m_livre;
    e->m_valores.clear();
    for (int linha = 0; linha < visto.rowCount(); ++linha)
        valoresDaLinha(visto, linha, m, e->m_valores);
    if (livre) {
        e->m_valores << livre->NRBUTTON << livre->NRPGCONFTELA;
        if (!livre->grupo)
            e->m_valores << livre->NRBUTTONAUX << livre->NRPGCONFTAUX;
    }
    const char tipoLivre = !livre ? '-' : livre->grupo ? 'G' : 'P';
    e->m_conferido = &conferencia(dm).conferido(base, formaDe(base, visto, m, tipoLivre), [&](QStringList& nomes) {
        QStringList linhas;
        for (int linha = 0; linha < visto.rowCount(); ++linha)
            linhas << condicaoDaLinha(visto, linha, m, nomes);
        QString condicao = QStringLiteral(" AND (") + linhas.join(QStringLiteral(" OR ")) + QLatin1Char(')');
        if (livre) {
            condicao += QString::fromLatin1(livre->grupo ? kGrupoLivre : kProdutoLivre);
            nomes << QStringLiteral("P_NRBUTTON_LIVRE") << QStringLiteral("P_NRPGCONFTELA_LIVRE");
            if (!livre->grupo)
                nomes << QStringLiteral("P_NRBUTTONAUX_LIVRE") << QStringLiteral("P_NRPGCONFTAUX_LIVRE");
        }
        return condicao;
    });
    e->m_quantas = int(visto.rowCount());
    return *e->m_conferido->comando;
}

void executaComLinha(TADOQuery& command) {
    Esperado* e = ativo();
    const bool conferido = e != nullptr && e->m_conferido != nullptr && e->m_conferido->comando.get() == &command;
    if (conferido) {
        const QStringList& nomes = e->m_conferido->parametros;
        for (qsizetype i = 0; i < nomes.size() && i < e->m_valores.size(); ++i)
            command.setParam(nomes[i], e->m_valores[i]);
    }
    command.execute();
    const int linhas = command.rowsAffected();
    if (linhas == 0)
        alterado(QStringLiteral("no row changed by: ") + command.sql());
    if (conferido && linhas >= 0 && linhas != e->m_quantas)
        alterado(QStringLiteral("%1 rows changed where %2 were shown").arg(linhas).arg(e->m_quantas));
}

void alterado(const QString& detalhe) {
    throw DatabaseError(FailureCause::RowChanged, OperatorTexts::alteradoOutraEstacao(), QSqlError(), detalhe);
}

SrvConferencia& conferencia(TrdmConfGrupo& dm) {
    if (!dm.conferencia)
        dm.conferencia = std::make_shared<SrvConferencia>(dm.adcConfGrupo);
    return *dm.conferencia;
}

DataPacket le(TADOQuery& query) {
    query.close();
    const QueryFinisher finisher(query);
    query.open();
    return query.readPacket(SrvConferencia::colunas());
}

void confere(const DataPacket& gravado, const QVariant& esperado) {
    const DataPacket visto = pacote(esperado);
    const QList<int> chaveVisto = indicesChave(visto);
    const QList<int> chaveGravado = indicesChave(gravado);
    if (visto.rowCount() != gravado.rowCount())
        alterado(QStringLiteral("%1 rows stored where %2 were shown").arg(gravado.rowCount()).arg(visto.rowCount()));
    QHash<QString, int> porChave;
    for (int linha = 0; linha < gravado.rowCount(); ++linha)
        porChave.insert(chaveDaLinha(gravado, linha, chaveGravado), linha);
    for (int linha = 0; linha < visto.rowCount(); ++linha) {
        const QString chave = chaveDaLinha(visto, linha, chaveVisto);
        const auto achado = porChave.constFind(chave);
        if (achado == porChave.constEnd())
            alterado(QStringLiteral("no stored row at %1").arg(chave));
        for (int coluna = 0; coluna < visto.fieldCount(); ++coluna) {
            const int c = gravado.indexOf(visto.fields().at(coluna).name);
            if (c >= 0 && !mesmoValor(gravado, *achado, c, visto, linha, coluna))
                alterado(QStringLiteral("%1 of %2 changed").arg(visto.fields().at(coluna).name, chave));
        }
    }
}

void repassa(int32_t status, const QVariant& resultado) {
    if (status != 0)
        throw std::runtime_error("a write run inside a checked write did not run to its end");
    if (resultado.typeId() != QMetaType::QString || resultado.toString().isEmpty())
        return;
    const FailureCause causa = SrvChamada::causa();
    throw DatabaseError(causa == FailureCause::Other ? FailureCause::Refused : causa, resultado.toString());
}

} // namespace SrvEstacoes
