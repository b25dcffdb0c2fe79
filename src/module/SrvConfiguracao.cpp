// Copy, export and import of a whole sales-screen configuration: every menu
// item of one (branch, configuration) pair, all pages, all columns. Same call
// frame as the other data service functions: the result is set empty first,
// a write runs in one transaction of its own, and a failure rolls back and
// leaves its text in the result with status 0.

#include "Diario.h"
#include "SrvChamada.h"
#include "SrvColunas.h"
#include "Srv_Kmr00003.h"
#include "TrdmConfGrupo.h"

#include <AdoSession.h>
#include <DataPacket.h>
#include <HostErrors.h>

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>

namespace {

using SrvColunas::Coluna;

// A refusal of the input: nothing was written, and the text says why in the
// integrator's words; it goes into the result as it stands. A caller that can
// let the input through in another way (replacing the target's items) tells
// so by the cause.
class Recusa : public DatabaseError {
public:
    explicit Recusa(const QString& texto, FailureCause causa = FailureCause::Refused) : DatabaseError(causa, texto) {}
};

// The columns of a menu item, in the order the export writes them.
const std::span<const Coluna> kColunas = SrvColunas::colunas();
const int kNumColunas = int(kColunas.size());
constexpr int kPrimeiraPosicao = 2; // the key columns after branch and configuration

QString nomeColuna(int c) {
    return QString::fromLatin1(kColunas[c].nome);
}

QString listaColunas() {
    QStringList nomes;
    for (int c = 0; c < kNumColunas; ++c)
        nomes << nomeColuna(c);
    return nomes.join(QStringLiteral(", "));
}

// The moment of insertion travels as the text the store holds, so that an
// import gives back exactly what was exported (a host's embedded database
// keeps it as text in whatever format wrote it).
QList<FieldDef> camposExportados() {
    QList<FieldDef> campos;
    for (const Coluna& c : kColunas) {
        if (c.tipo == FieldKind::DateTime)
            campos.append(FieldDef{QString::fromLatin1(c.nome), FieldKind::Text, 30});
        else
            campos.append(FieldDef{QString::fromLatin1(c.nome), c.tipo, c.largura});
    }
    return campos;
}

bool momentoValido(const QString& texto) {
    QString iso = texto.trimmed();
    if (iso.size() > 10 && iso.at(10) == u' ')
        iso[10] = u'T';
    return QDateTime::fromString(iso, Qt::ISODateWithMs).isValid() || QDateTime::fromString(iso, Qt::ISODate).isValid();
}

const QString kCondicao = QStringLiteral(" WHERE CDFILIAL = :P_CDFILIAL AND NRCONFTELA = :P_NRCONFTELA");

// Branch and configuration named by a call: not empty and within their columns.
void validaConfiguracao(const QString& filial, const QString& conf) {
    const auto valida = [](const QString& valor, const QString& nome, int largura) {
        if (valor.trimmed().isEmpty())
            throw Recusa(QStringLiteral("A %1 não foi informada; nada foi gravado. Informe um código de 1 a %2 "
                                        "caracteres.")
                             .arg(nome)
                             .arg(largura));
        if (valor.size() > largura || valor.trimmed() != valor)
            throw Recusa(QStringLiteral("A %1 \"%2\" não é válida; nada foi gravado. Informe um código de 1 a %3 "
                                        "caracteres, sem espaços nas pontas.")
                             .arg(nome, valor.left(20))
                             .arg(largura));
    };
    valida(filial, QStringLiteral("filial"), SrvColunas::largura(u"CDFILIAL"));
    valida(conf, QStringLiteral("configuração"), SrvColunas::largura(u"NRCONFTELA"));
}

QString nomeConfiguracao(const QString& filial, const QString& conf) {
    return QStringLiteral("filial %1, configuração %2").arg(filial, conf);
}

int contaItens(TrdmConfGrupo& dm, const QString& filial, const QString& conf) {
    TADOQuery q(dm.adcConfGrupo, QStringLiteral("SELECT COUNT(*) AS QTITENS FROM ITMENUCONFTE") + kCondicao);
    q.setParam(QStringLiteral("P_CDFILIAL"), filial);
    q.setParam(QStringLiteral("P_NRCONFTELA"), conf);
    q.open();
    const int n = q.fieldValue(QStringLiteral("QTITENS")).toInt();
    q.close();
    return n;
}

// The target must be empty, unless it is to be replaced: then its items go,
// in the transaction that writes the new ones.
void preparaDestino(TrdmConfGrupo& dm, const QString& filial, const QString& conf, bool substitui) {
    const int existentes = contaItens(dm, filial, conf);
    if (existentes == 0)
        return;
    if (!substitui)
        throw Recusa(QStringLiteral("A %1 já tem %2 itens; nada foi gravado.")
                         .arg(nomeConfiguracao(filial, conf))
                         .arg(existentes),
                     FailureCause::TargetNotEmpty);
    TADOCommand apaga(dm.adcConfGrupo, QStringLiteral("DELETE FROM ITMENUCONFTE") + kCondicao);
    apaga.setParam(QStringLiteral("P_CDFILIAL"), filial);
    apaga.setParam(QStringLiteral("P_NRCONFTELA"), conf);
    apaga.execute();
}

bool substituir(const QString& P_SUBSTITUI) {
    return P_SUBSTITUI.compare(QLatin1String("S"), Qt::CaseInsensitive) == 0;
}

// ------------------------------------------------------------ the packet

// The column of the packet for each menu item column; -1 when absent.
QList<int> mapeiaColunas(const DataPacket& p) {
    QList<int> mapa;
    QStringList faltam;
    for (int c = 0; c < kNumColunas; ++c) {
        const int i = p.indexOf(nomeColuna(c));
        if (i < 0 && kColunas[c].chave && c >= kPrimeiraPosicao)
            faltam << nomeColuna(c);
        mapa << i;
    }
    if (!faltam.isEmpty())
        throw Recusa(QStringLiteral("O arquivo não tem a coluna de chave %1; nada foi gravado.")
                         .arg(faltam.join(QStringLiteral(", "))));
    return mapa;
}

// Where an item stands in its file, for the refusals: the packet's own words
// when it carries them (a spreadsheet names its line), else its number.
QString localItem(const DataPacket& p, int row) {
    const int i = p.indexOf(u"DSLOCALITEM");
    if (i >= 0 && !p.text(row, i).isEmpty())
        return p.text(row, i);
    return QStringLiteral("Item %1 do arquivo").arg(row + 1);
}

// One row of the packet checked and converted to the values bound. The
// moments already checked in this packet are kept with their verdict: a
// local time is checked against the zone's rules, which costs the C library
// a look at the zone file each time, and the items of a menu share a few.
QVariantList linhaValidada(const DataPacket& p, const QList<int>& mapa, int row, QHash<QString, bool>& momentos) {
    // Where the item stands, for a refusal only.
    const auto onde = [&] { return localItem(p, row); };
    QVariantList valores;
    for (int c = 0; c < kNumColunas; ++c) {
        const Coluna& col = kColunas[c];
        const int i = mapa[c];
        if (c < kPrimeiraPosicao) {
            valores << QVariant(); // branch and configuration: the target's
            continue;
        }
        if (i < 0 || p.isNull(row, i)) {
            if (col.chave)
                throw Recusa(QStringLiteral("%1: a coluna de chave %2 está vazia; nada foi gravado.")
                                 .arg(onde(), nomeColuna(c)));
            valores << QVariant();
            continue;
        }
        if (col.tipo == FieldKind::Text) {
            QString texto = p.text(row, i);
            if (texto.isNull())
                texto = QStringLiteral(""); // an empty text is written as one, not as a missing value
            if (col.chave && texto.isEmpty())
                throw Recusa(QStringLiteral("%1: a coluna de chave %2 está vazia; nada foi gravado.")
                                 .arg(onde(), nomeColuna(c)));
            if (texto.size() > col.largura)
                throw Recusa(QStringLiteral("%1: o valor \"%2\" da coluna %3 passa de %4 caracteres; nada foi "
                                            "gravado.")
                                 .arg(onde(), texto.left(30), nomeColuna(c))
                                 .arg(col.largura));
            valores << texto;
        } else if (col.tipo == FieldKind::Float) {
            const QVariant v = p.value(row, i);
            bool numero = v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong;
            double cor = v.toDouble();
            if (!numero)
                cor = v.toString().trimmed().toDouble(&numero);
            if (!numero || !std::isfinite(cor))
                throw Recusa(QStringLiteral("%1: a cor \"%2\" da coluna %3 não é um número; nada foi gravado.")
                                 .arg(onde(), v.toString().left(30), nomeColuna(c)));
            valores << cor;
        } else {
            const QVariant v = p.value(row, i);
            bool valido = false;
            if (v.typeId() == QMetaType::QDateTime) {
                valido = v.toDateTime().isValid();
            } else {
                const QString texto = v.toString();
                const auto visto = momentos.constFind(texto);
                valido = visto != momentos.constEnd() ? *visto : *momentos.insert(texto, momentoValido(texto));
            }
            if (!valido)
                throw Recusa(QStringLiteral("%1: a data \"%2\" da coluna %3 não é válida; nada foi gravado.")
                                 .arg(onde(), v.toString().left(30), nomeColuna(c)));
            valores << v;
        }
    }
    return valores;
}

QString textoChave(const QVariantList& valores) {
    QString chave;
    chave.reserve(32);
    for (int c = kPrimeiraPosicao; c < kNumColunas && kColunas[c].chave; ++c) {
        if (c > kPrimeiraPosicao)
            chave += QLatin1Char('|');
        chave += valores[c].toString();
    }
    return chave;
}

// Every row checked before the first is written: a bad file writes nothing.
QList<QVariantList> linhasDoPacote(const DataPacket& p) {
    const QList<int> mapa = mapeiaColunas(p);
    QList<QVariantList> linhas;
    linhas.reserve(p.rowCount());
    QSet<QString> chaves;
    QHash<QString, bool> momentos;
    for (int row = 0; row < p.rowCount(); ++row) {
        QVariantList valores = linhaValidada(p, mapa, row, momentos);
        const QString k = textoChave(valores);
        if (chaves.contains(k))
            throw Recusa(QStringLiteral("%1: outro item já ocupa a mesma posição (tipo %2, botão %3, página %4, "
                                        "grupo %5 da página %6); nada foi gravado.")
                             .arg(localItem(p, row), valores[2].toString(), valores[3].toString(),
                                  valores[4].toString(), valores[6].toString(), valores[7].toString()));
        chaves.insert(k);
        linhas.append(std::move(valores));
    }
    return linhas;
}

// ------------------------------------------------------------ writing

// The items go in by statements of up to kPorInsercao rows each, in the
// file's order: the engine then keeps its cursors on the table and its
// indexes from one row to the next, where a statement per row seeks them
// afresh. Each statement is prepared once and each parameter name looked up
// once, not per item.
constexpr int kPorInsercao = 16;

class Insercao {
public:
    Insercao(TrdmConfGrupo& dm, int linhas)
        : m_nomes(nomes(linhas)), m_comando(dm.adcConfGrupo, texto(m_nomes, linhas)) {
        m_posicoes.reserve(m_nomes.size());
        for (const QString& nome : m_nomes)
            m_posicoes << m_comando.paramIndex(nome);
    }
    void insere(const QString& filial, const QString& conf, const QVariantList* linhas, int quantas) {
        for (int l = 0; l < quantas; ++l) {
            const int* posicao = m_posicoes.constData() + l * kNumColunas;
            m_comando.setParam(posicao[0], filial);
            m_comando.setParam(posicao[1], conf);
            for (int c = kPrimeiraPosicao; c < kNumColunas; ++c)
                m_comando.setParam(posicao[c], linhas[l][c]);
        }
        m_comando.execute();
    }

private:
    // "P_<column>_<row>", row by row.
    static QStringList nomes(int linhas) {
        QStringList out;
        out.reserve(linhas * kNumColunas);
        for (int l = 0; l < linhas; ++l) {
            const QString sufixo = QLatin1Char('_') + QString::number(l);
            for (int c = 0; c < kNumColunas; ++c)
                out << QStringLiteral("P_") + nomeColuna(c) + sufixo;
        }
        return out;
    }
    static QString texto(const QStringList& nomes, int linhas) {
        QString valores;
        for (int l = 0; l < linhas; ++l) {
            valores += l > 0 ? QStringLiteral(", (") : QStringLiteral("(");
            for (int c = 0; c < kNumColunas; ++c) {
                if (c > 0)
                    valores += QStringLiteral(", ");
                valores += QLatin1Char(':') + nomes[l * kNumColunas + c];
            }
            valores += QLatin1Char(')');
        }
        return QStringLiteral("INSERT INTO ITMENUCONFTE (") + listaColunas() + QStringLiteral(") VALUES ") + valores;
    }
    QStringList m_nomes;
    TADOCommand m_comando;
    QList<int> m_posicoes;
};

void insereLinhas(TrdmConfGrupo& dm, const QString& filial, const QString& conf, const QList<QVariantList>& linhas) {
    std::optional<Insercao> cheia;
    const qsizetype inteiras = linhas.size() / kPorInsercao * kPorInsercao;
    for (qsizetype i = 0; i < inteiras; i += kPorInsercao) {
        if (!cheia)
            cheia.emplace(dm, kPorInsercao);
        cheia->insere(filial, conf, linhas.constData() + i, kPorInsercao);
    }
    if (const int resto = int(linhas.size() - inteiras); resto > 0)
        Insercao(dm, resto).insere(filial, conf, linhas.constData() + inteiras, resto);
}

} // namespace

int32_t getExportaConf(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, QVariant& result) {
    return runQuery(result, [&](TrdmConfGrupo& dm) {
        validaConfiguracao(P_CDFILIAL, P_NRCONFTELA);
        TADOQuery q(dm.adcConfGrupo,
                    QStringLiteral("SELECT %1 FROM ITMENUCONFTE").arg(listaColunas()) + kCondicao +
                        QStringLiteral(" ORDER BY IDTPBUTONAUX, NRPGCONFTAUX, NRBUTTONAUX, NRPGCONFTELA, NRBUTTON, "
                                       "IDTPBUTTON"));
        q.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        q.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        return QVariant::fromValue(q.readPacket(camposExportados()));
    });
}

int32_t setImportaConf(const QString& P_CDFILIAL, const QString& P_NRCONFTELA, const QVariant& P_ITENS,
                       const QString& P_SUBSTITUI, QVariant& result) {
    const int quantos = isDataPacket(P_ITENS) ? P_ITENS.value<DataPacket>().rowCount() : 0;
    const Diario::Escopo escopo(P_CDFILIAL, P_NRCONFTELA, {}, QStringLiteral("I"),
                                quantos == 1
                                    ? QStringLiteral("importação de 1 botão")
                                    : QStringLiteral("importação de %1 botões")
                                          .arg(QLocale(QLocale::Portuguese, QLocale::Brazil).toString(quantos)));
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        validaConfiguracao(P_CDFILIAL, P_NRCONFTELA);
        if (!isDataPacket(P_ITENS))
            throw Recusa(QStringLiteral("Os itens a importar não formam um pacote de dados; nada foi gravado."));
        const QList<QVariantList> linhas = linhasDoPacote(P_ITENS.value<DataPacket>());
        if (linhas.isEmpty())
            throw Recusa(QStringLiteral("O arquivo não tem itens; nada foi gravado."));
        preparaDestino(dm, P_CDFILIAL, P_NRCONFTELA, substituir(P_SUBSTITUI));
        insereLinhas(dm, P_CDFILIAL, P_NRCONFTELA, linhas);
        return QVariant(int(linhas.size()));
    });
}

int32_t setCopiaConf(const QString& P_CDFILIAL_ORIG, const QString& P_NRCONFTELA_ORIG, const QString& P_CDFILIAL,
                     const QString& P_NRCONFTELA, const QString& P_SUBSTITUI, QVariant& result) {
    const Diario::Escopo escopo(
        P_CDFILIAL, P_NRCONFTELA, {}, QStringLiteral("C"),
        QStringLiteral("cópia da configuração %1 da filial %2").arg(P_NRCONFTELA_ORIG, P_CDFILIAL_ORIG));
    return runWrite(result, [&](TrdmConfGrupo& dm) {
        validaConfiguracao(P_CDFILIAL_ORIG, P_NRCONFTELA_ORIG);
        validaConfiguracao(P_CDFILIAL, P_NRCONFTELA);
        if (P_CDFILIAL_ORIG == P_CDFILIAL && P_NRCONFTELA_ORIG == P_NRCONFTELA)
            throw Recusa(QStringLiteral("A origem e o destino são a mesma configuração (%1); nada foi gravado.")
                             .arg(nomeConfiguracao(P_CDFILIAL, P_NRCONFTELA)));
        const int itens = contaItens(dm, P_CDFILIAL_ORIG, P_NRCONFTELA_ORIG);
        if (itens == 0)
            throw Recusa(QStringLiteral("A %1 não tem itens para copiar; nada foi gravado.")
                             .arg(nomeConfiguracao(P_CDFILIAL_ORIG, P_NRCONFTELA_ORIG)));
        preparaDestino(dm, P_CDFILIAL, P_NRCONFTELA, substituir(P_SUBSTITUI));
        QStringList origem = listaColunas().split(QStringLiteral(", "));
        origem[0] = QStringLiteral("CAST(:P_CDFILIAL AS VARCHAR(4))");
        origem[1] = QStringLiteral("CAST(:P_NRCONFTELA AS VARCHAR(5))");
        TADOCommand copia(dm.adcConfGrupo,
                          QStringLiteral("INSERT INTO ITMENUCONFTE (%1) SELECT %2 FROM ITMENUCONFTE WHERE CDFILIAL = "
                                         ":P_CDFILIAL_ORIG AND NRCONFTELA = :P_NRCONFTELA_ORIG")
                              .arg(listaColunas(), origem.join(QStringLiteral(", "))));
        copia.setParam(QStringLiteral("P_CDFILIAL"), P_CDFILIAL);
        copia.setParam(QStringLiteral("P_NRCONFTELA"), P_NRCONFTELA);
        copia.setParam(QStringLiteral("P_CDFILIAL_ORIG"), P_CDFILIAL_ORIG);
        copia.setParam(QStringLiteral("P_NRCONFTELA_ORIG"), P_NRCONFTELA_ORIG);
        copia.execute();
        return QVariant(itens);
    });
}
