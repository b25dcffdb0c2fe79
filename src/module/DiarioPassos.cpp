// The steps of a journal entry on the module's own SQLite connection: one
// native statement for each number of steps, kept by the journal, and each
// image bound as the UTF-8 text it already is. What is stored is what the
// generic path stores (the same texts, numbers and nulls).

#include "Diario.h"
#include "TrdmConfGrupo.h"

#include <HostErrors.h>
#include <SqliteStatement.h>
#include <TADOQuery.h>

namespace Diario {

bool Livro::inserePassosNativos(QSqlDatabase& db, qint64 entrada, int primeiro, const QList<Passo>& passos,
                                qsizetype de, qsizetype quantos) {
    TADOConnection& conexao = m_dm.adcConfGrupo;
    if (db.connectionName() != conexao.database().connectionName() || SqliteStatement::handleOf(db) == nullptr)
        return false;
    const auto imagem = [](const QByteArray& i) {
        return i.isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(i);
    };
    try {
        InsercaoNativa& s = m_passosNativos[int(quantos)];
        if (!s.comando) {
            QString valores;
            for (qsizetype i = 0; i < quantos; ++i) {
                const QString n = QString::number(i);
                valores += (i > 0 ? QStringLiteral(", (:E") : QStringLiteral("(:E")) + n + QStringLiteral(", :N") + n +
                           QStringLiteral(", :A") + n + QStringLiteral(", :D") + n + QLatin1Char(')');
            }
            s.comando = std::make_unique<TADOQuery>(
                conexao,
                QStringLiteral("INSERT INTO KMRDIARIOPASSO (NRDIARIO, NRPASSO, DSANTES, DSDEPOIS) VALUES ") + valores);
            for (qsizetype i = 0; i < quantos; ++i)
                for (const char* nome : {"E", "N", "A", "D"})
                    s.posicoes << s.comando->paramIndex(QLatin1String(nome) + QString::number(i));
        }
        int nr = primeiro;
        for (qsizetype i = 0; i < quantos; ++i) {
            const Passo& passo = passos[de + i];
            const int* posicao = s.posicoes.constData() + 4 * i;
            s.comando->setParam(posicao[0], entrada);
            s.comando->setParam(posicao[1], ++nr);
            s.comando->setParam(posicao[2], imagem(passo.antes));
            s.comando->setParam(posicao[3], imagem(passo.depois));
        }
        s.comando->execute();
    } catch (const DatabaseError& e) {
        // Made again at the next entry: a statement that failed to be made
        // or to run is not kept.
        m_passosNativos.erase(int(quantos));
        throw DatabaseError(naoGravado(), e.sqlError(), QStringLiteral("insert of journal steps: ") + e.message());
    }
    return true;
}

} // namespace Diario
