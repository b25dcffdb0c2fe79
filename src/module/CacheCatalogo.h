#pragma once
// The last catalogue packet the data service read, kept for the next touch on
// an empty product button: a catalogue of a million products takes seconds to
// read, and it seldom changes while a screen is open. Each touch first notes
// what the catalogue tables look like (a mark), and the kept packet is given
// again only when they did not change since it was read; otherwise the
// catalogue is read again. What the screen shows is always what a fresh read
// gives.
//
// The mark, per engine:
// - SQLite: "PRAGMA data_version" (changes when another connection commits
//   anything to the file), "PRAGMA schema_version" (any change of the schema)
//   and total_changes() of the connection (its own writes). Cheap (no table is
//   read) and sound; it also changes on writes to the menu table, so the next
//   touch after one reads the catalogue again.
// - PostgreSQL: txid_current_snapshot() first (it stays the same only while
//   no transaction anywhere on the server was given an id or ended: nothing
//   can have been committed); when it did change, for every catalogue table
//   the count of its rows and a sum of 64-bit hashes of their row versions
//   (ctid and xmin: every insert, update or delete makes a version go or a
//   new one appear, and a version's slot is only used again by a later
//   transaction), so that a write elsewhere (another station's menu) does
//   not throw the catalogue away. A change goes unseen only if the hashes of
//   the versions that went and came sum to the same value, about one chance
//   in 2^64. The checksum reads every table whole (about half a second for a
//   million products on this machine), still much less than the read and the
//   packet it spares. Table statistics (pg_stat_*) are no sign: they are kept
//   outside the transactions and reach other sessions late; a snapshot alone
//   changes with every transaction on the server.
//
// The mark is taken before the read, so a change committed while the
// catalogue is read is seen at the next touch. When the mark cannot be taken
// (a server before PostgreSQL 11 has no hashtextextended; a checksum cut by
// the statement timeout), the failure goes to the log and the touch reads
// the catalogue as if nothing were kept. The kept packet goes when the
// connection closes (marks of another connection mean nothing).

#include <DataPacket.h>
#include <TADOConnection.h>
#include <TADOQuery.h>

#include <QString>

#include <optional>

class CacheCatalogo {
public:
    explicit CacheCatalogo(TADOConnection& connection);
    ~CacheCatalogo();
    CacheCatalogo(const CacheCatalogo&) = delete;
    CacheCatalogo& operator=(const CacheCatalogo&) = delete;

    // Starts a touch: notes the mark of the catalogue tables as they are now.
    void inicia();
    // The packet kept for the key (the branch and what its look-ups gave),
    // when the tables did not change since it was read.
    std::optional<DataPacket> procura(const QString& chave);
    // Keeps the packet just read for the key, with the mark of inicia().
    void guarda(const QString& chave, const DataPacket& pacote);
    void esquece();

private:
    struct Marca {
        QString instante; // SQLite's three counters, or PostgreSQL's snapshot
        QString soma;     // PostgreSQL: count and checksum of the tables
        bool operator==(const Marca&) const = default;
    };
    struct Guardado {
        QString chave;
        Marca marca;
        DataPacket pacote;
    };

    QString le(TADOQuery& query, const QString& sql);
    bool emPostgres() const;

    TADOConnection& m_connection;
    TADOQuery m_instante;
    TADOQuery m_soma;
    std::optional<Marca> m_agora; // of the touch under way; none when it could not be taken
    std::optional<Guardado> m_guardado;
};
