#include "CacheCatalogo.h"

#include <HostErrors.h>
#include <KmrLog.h>
#include <SqlGuards.h>

namespace {

const char* const kInstanteSqlite =
    "SELECT (SELECT data_version FROM pragma_data_version) || ':' || (SELECT schema_version FROM "
    "pragma_schema_version) || ':' || total_changes() AS MARCA";

const char* const kInstantePostgres = "SELECT txid_current_snapshot()::text AS MARCA";

// Every table a catalogue read looks at: the count of its rows and a sum of
// the hashes of their versions (where each sits and which transaction wrote
// it). A row changed, added or removed is a row version gone or new; a slot is
// only used again by a later transaction. Hashing the versions, not the
// rows' texts, reads no column: about a third of the time.
const char* const kSomaPostgres = "SELECT concat_ws(':', "
                                  "(SELECT count(*) || '.' || coalesce(sum(hashtextextended(t.ctid::text || ':' || "
                                  "t.xmin::text, 0)), 0) FROM PRODUTO t), "
                                  "(SELECT count(*) || '.' || coalesce(sum(hashtextextended(t.ctid::text || ':' || "
                                  "t.xmin::text, 0)), 0) FROM PRODUTOSEG t), "
                                  "(SELECT count(*) || '.' || coalesce(sum(hashtextextended(t.ctid::text || ':' || "
                                  "t.xmin::text, 0)), 0) FROM PRSUBGRPROD t), "
                                  "(SELECT count(*) || '.' || coalesce(sum(hashtextextended(t.ctid::text || ':' || "
                                  "t.xmin::text, 0)), 0) FROM FILIAL t), "
                                  "(SELECT count(*) || '.' || coalesce(sum(hashtextextended(t.ctid::text || ':' || "
                                  "t.xmin::text, 0)), 0) FROM PARAVEND t), "
                                  "(SELECT count(*) || '.' || coalesce(sum(hashtextextended(t.ctid::text || ':' || "
                                  "t.xmin::text, 0)), 0) FROM ROTFABRICA t), "
                                  "(SELECT count(*) || '.' || coalesce(sum(hashtextextended(t.ctid::text || ':' || "
                                  "t.xmin::text, 0)), 0) FROM ROTFABLOCAL t)) AS MARCA";

} // namespace

CacheCatalogo::CacheCatalogo(TADOConnection& connection)
    : m_connection(connection), m_instante(connection), m_soma(connection) {
    m_connection.addCloseListener(this, [this] { esquece(); });
}

CacheCatalogo::~CacheCatalogo() {
    m_connection.removeCloseListener(this);
}

bool CacheCatalogo::emPostgres() const {
    return m_connection.dialect() == SqlDialect::PostgreSQL;
}

QString CacheCatalogo::le(TADOQuery& query, const QString& sql) {
    query.setSql(sql);
    query.close();
    const QueryFinisher finisher(query);
    query.open();
    return query.fieldText(QStringLiteral("MARCA"));
}

void CacheCatalogo::inicia() {
    m_agora.reset();
    const SqlDialect dialect = m_connection.dialect();
    if (dialect != SqlDialect::SQLite && dialect != SqlDialect::PostgreSQL) {
        esquece(); // no mark known for this engine: every touch reads
        return;
    }
    try {
        Marca agora;
        agora.instante = le(m_instante, QString::fromLatin1(emPostgres() ? kInstantePostgres : kInstanteSqlite));
        // The checksum is needed unless the snapshot shows that nothing was
        // committed since the kept packet was read (its checksum still holds).
        if (emPostgres() && m_guardado && m_guardado->marca.instante == agora.instante)
            agora.soma = m_guardado->marca.soma;
        else if (emPostgres())
            agora.soma = le(m_soma, QString::fromLatin1(kSomaPostgres));
        m_agora = agora;
    } catch (const DatabaseError& e) {
        // Without a mark the catalogue is read as if nothing were kept.
        qCWarning(lcKmrDb) << "catalogue change mark not taken:" << e.message() << e.sqlError().text();
        esquece();
    }
}

std::optional<DataPacket> CacheCatalogo::procura(const QString& chave) {
    if (m_agora && m_guardado && m_guardado->chave == chave) {
        Marca& kept = m_guardado->marca;
        if (kept.instante == m_agora->instante)
            return m_guardado->pacote;
        if (emPostgres() && !m_agora->soma.isEmpty() && kept.soma == m_agora->soma) {
            kept.instante = m_agora->instante; // the next touch needs no checksum while nothing happens
            return m_guardado->pacote;
        }
    }
    // Let go before the new read: two catalogues of a million products at
    // once would double the memory the read needs.
    esquece();
    return std::nullopt;
}

void CacheCatalogo::guarda(const QString& chave, const DataPacket& pacote) {
    if (!m_agora) {
        m_guardado.reset();
        return;
    }
    m_guardado = Guardado{chave, *m_agora, pacote};
}

void CacheCatalogo::esquece() {
    m_guardado.reset();
}
