#include "SrvConferencia.h"

#include "SrvArgumentos.h"
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

const char* const kItem = "(IDTPBUTTON = :P_IDTPBUTTON) AND (NRBUTTON = :P_NRBUTTON) AND (NRPGCONFTELA = "
                          ":P_NRPGCONFTELA) AND (IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX) "
                          "AND (NRPGCONFTAUX = :P_NRPGCONFTAUX)";
const char* const kProdutoPos = "(IDTPBUTTON IN ('1','9','A')) AND (NRBUTTON = :P_NRBUTTON) AND (NRPGCONFTELA = "
                                ":P_NRPGCONFTELA) AND (IDTPBUTONAUX = '2') AND (NRBUTTONAUX = :P_NRBUTTONAUX) AND "
                                "(NRPGCONFTAUX = :P_NRPGCONFTAUX)";
const char* const kGrupoPos =
    "(IDTPBUTTON = :P_IDTPBUTTON) AND (NRBUTTON = :P_NRBUTTON) AND (NRPGCONFTELA = :P_NRPGCONFTELA)";
const char* const kFilhos =
    "(IDTPBUTONAUX = :P_IDTPBUTONAUX) AND (NRBUTTONAUX = :P_NRBUTTONAUX) AND (NRPGCONFTAUX = :P_NRPGCONFTAUX)";
const char* const kOcupaGrupo = "(IDTPBUTTON IN ('2','7','8')) AND (NRBUTTON = :P_NRBUTTON) AND (NRPGCONFTELA = "
                                ":P_NRPGCONFTELA) AND (IDTPBUTONAUX = '0') AND (NRBUTTONAUX = '0') AND "
                                "(NRPGCONFTAUX = '0')";
const char* const kPaginaGrupo = "(IDTPBUTTON IN ('2','7','8')) AND (NRPGCONFTELA = :P_NRPGCONFTELA)";
const char* const kPaginaProd = "(IDTPBUTTON IN ('1','9','A')) AND (NRPGCONFTELA = :P_NRPGCONFTELA) AND "
                                "(IDTPBUTONAUX = '2') AND (NRBUTTONAUX = :P_NRBUTTONAUX) AND (NRPGCONFTAUX = "
                                ":P_NRPGCONFTAUX)";

// A compare read locks the rows it finds on a server database, so that no
// other station changes them between the compare and the write. SQLite needs
// no lock: its write transaction holds the whole database from its start.
QString texto(const char* onde, bool trava) {
    QString sql = QString::fromLatin1(kColunas) + QString::fromLatin1(onde) + QString::fromLatin1(kOrdem);
    if (trava)
        sql += QStringLiteral(" FOR UPDATE");
    return sql;
}

QString leitura(const char* onde) {
    return QString::fromLatin1(kColunas) + QString::fromLatin1(onde) + QString::fromLatin1(kOrdem);
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

QString chaveDaLinha(const DataPacket& p, int linha, const QList<int>& indices) {
    QStringList partes;
    for (const int i : indices)
        partes << p.text(linha, i);
    return partes.join(QLatin1Char('|'));
}

bool mesmoValor(const DataPacket& a, int linhaA, int colA, const DataPacket& b, int linhaB, int colB) {
    const FieldKind tipo = b.fields().at(colB).kind;
    if (tipo == FieldKind::Float || tipo == FieldKind::Integer) {
        if (a.isNull(linhaA, colA) || b.isNull(linhaB, colB))
            return a.isNull(linhaA, colA) == b.isNull(linhaB, colB);
        return std::llround(a.number(linhaA, colA)) == std::llround(b.number(linhaB, colB));
    }
    return a.text(linhaA, colA) == b.text(linhaB, colB);
}

} // namespace

SrvConferencia::SrvConferencia(TADOConnection& connection)
    : adqItem(connection, texto(kItem, travaLinhas(connection))),
      adqProdutoPos(connection, texto(kProdutoPos, travaLinhas(connection))),
      adqGrupoPos(connection, texto(kGrupoPos, travaLinhas(connection))),
      adqFilhos(connection, texto(kFilhos, travaLinhas(connection))),
      adqOcupaGrupo(connection, texto(kOcupaGrupo, travaLinhas(connection))),
      adqOcupaProduto(connection, texto(kProdutoPos, travaLinhas(connection))),
      adqPaginaGrupo(connection, leitura(kPaginaGrupo)), adqPaginaProd(connection, leitura(kPaginaProd)) {
}

QList<FieldDef> SrvConferencia::colunas() {
    const auto t = [](const char* nome, int largura) {
        return FieldDef{QString::fromLatin1(nome), FieldKind::Text, largura};
    };
    const auto n = [](const char* nome) { return FieldDef{QString::fromLatin1(nome), FieldKind::Float, 0}; };
    return {t("IDTPBUTTON", 1),    t("NRBUTTON", 5),      t("NRPGCONFTELA", 2), t("IDTPBUTONAUX", 1),
            t("NRBUTTONAUX", 2),   t("NRPGCONFTAUX", 2),  t("CDIDENTBUTON", 10), t("DSBUTTON", 50),
            n("NRCOLORTEXT"),      n("NRCOLORBACK"),      t("DSIMAGEMBUT", 200)};
}

namespace SrvEstacoes {

void alterado(const QString& detalhe) {
    throw DatabaseError(FailureCause::RowChanged, OperatorTexts::alteradoOutraEstacao(), QSqlError(), detalhe);
}

SrvConferencia& conferencia(TrdmConfGrupo& dm) {
    if (!dm.conferencia)
        dm.conferencia = std::make_shared<SrvConferencia>(dm.adcConfGrupo);
    return *dm.conferencia;
}

void executaComLinha(TADOQuery& command) {
    command.execute();
    if (command.rowsAffected() == 0)
        alterado(QStringLiteral("no row changed by: ") + command.sql());
}

DataPacket le(TADOQuery& query) {
    query.close();
    const QueryFinisher finisher(query);
    query.open();
    return query.readPacket(SrvConferencia::colunas());
}

void confere(const DataPacket& gravado, const QVariant& esperado) {
    if (!isDataPacket(esperado))
        throw std::invalid_argument("the expected rows are not a data packet");
    const DataPacket visto = esperado.value<DataPacket>();
    QList<int> chaveVisto;
    QList<int> chaveGravado;
    for (const QString& nome : colunasChave()) {
        const int i = visto.indexOf(nome);
        if (i < 0)
            throw std::invalid_argument("the expected rows lack a position column");
        chaveVisto << i;
        chaveGravado << gravado.indexOf(nome);
    }
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

void confereVazio(const DataPacket& gravado) {
    if (gravado.rowCount() > 0)
        alterado(QStringLiteral("the position is taken"));
}

void repassa(int32_t status, const QVariant& resultado) {
    if (status != 0)
        throw std::runtime_error("a write run inside a checked write did not run to its end");
    if (resultado.typeId() != QMetaType::QString || resultado.toString().isEmpty())
        return;
    const QString texto = resultado.toString();
    throw DatabaseError(OperatorTexts::ehAlteradoOutraEstacao(texto) ? FailureCause::RowChanged
                                                                      : FailureCause::Refused,
                        texto);
}

} // namespace SrvEstacoes
