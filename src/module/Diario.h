#pragma once
// The journal of the menu's changes. Every write the data service makes to
// the menu table is captured inside its own transaction: the rows in the
// write's scope are read before the statement and again after it (on
// SQLite's own driver the engine hands them over as it changes them, see
// DiarioCaptura.h), and each row that differs (by key) is a step of the
// journal, with its image before and after (a JSON array of the menu item's
// columns; null for a row absent).
// The journal is kept in the project's own tables when the database carries
// the mark of this program (KMRESQUEMA), written in the same transaction;
// otherwise in a SQLite file of its own beside the embedded database, written
// after the change's commit (a failure there goes to the log and turns the
// history off, never the change).

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TrdmConfGrupo;
class TADOQuery;
class DataPacket;

namespace Diario {

// One condition on the rows a write may change: every column named holds the
// value given.
using Filtro = QList<std::pair<QString, QString>>;

// The item at a position (IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX,
// NRBUTTONAUX, NRPGCONFTAUX); an empty value is not fixed.
Filtro posicao(const QStringList& chave);
// The items under a group position.
Filtro filhos(const QString& botao, const QString& pagina);
// The rows a paste may change: the item at its new and old positions and,
// for a group, the items under both.
QList<Filtro> escopoDaColagem(const QStringList& nova, const QStringList& antiga, bool grupo);

// The scope of the write that runs for the length of this object (the
// outermost one when writes nest): the configuration, the conditions (none:
// the whole configuration), and for a write outside an action bracket the
// kind and description of its entry.
class Escopo {
public:
    Escopo(const QString& filial, const QString& conf, QList<Filtro> filtros = {}, QString idAcao = {},
           QString descricao = {});
    ~Escopo();
    Escopo(const Escopo&) = delete;
    Escopo& operator=(const Escopo&) = delete;

    // The description, settable once the write knows what it did.
    void descreve(const QString& descricao) { m_descricao = descricao; }

    QString filial;
    QString conf;
    QList<Filtro> filtros;
    QString idAcao;
    QString m_descricao;
    // The kind of entry: "N" a change, "D" an undo, "R" a redo (of `referencia`).
    QString operacao = QStringLiteral("N");
    qint64 referencia = 0;
    QString sessao; // of an undo or a redo

    static Escopo* atual();

private:
    bool m_proprio = false;
};

// One step: a row's image before and after (empty: absent).
struct Passo {
    QByteArray antes;
    QByteArray depois;
};

// The key columns of a menu item, first among an image's columns.
inline constexpr int kChaves = 8;

// The rows of a scope by key (the eight key columns), as images.
using Retrato = std::map<QString, QByteArray>;

// Where each column of an image is among the menu table's columns in the
// embedded engine, and how many columns the table has.
struct ColunasNoMotor {
    std::vector<int> posicao;
    int daTabela = 0;
};
class CapturaNoMotor;

// Whether the writes on SQLite's own driver are captured inside the engine
// (the default) or, as on every other connection, by reading their scope
// before and after; the two give the same steps.
void usaCapturaNoMotor(bool sim);

// The journal of one data module's connection.
class Livro {
public:
    explicit Livro(TrdmConfGrupo& dm);
    ~Livro();
    Livro(const Livro&) = delete;
    Livro& operator=(const Livro&) = delete;

    // The action bracket of a screen session.
    void inicia(const QString& filial, const QString& conf, const QString& sessao, const QString& idAcao,
                const QString& descricao);
    void termina();
    bool emAcao() const { return m_acao.has_value(); }
    QString sessaoAtual() const { return m_acao ? m_acao->sessao : m_ultimaSessao.sessao; }

    // The rows of the current scope, read on the data module's connection
    // (locked on a server database).
    Retrato le(const Escopo& escopo, bool bloqueia);
    Retrato leConfiguracao(const QString& filial, const QString& conf);
    // The capture of a write inside the engine, where the connection allows it.
    std::unique_ptr<CapturaNoMotor> capturaNoMotor(const Escopo& escopo);

    // Records the steps of one write (inside its transaction when the journal
    // is in the database's own tables, else kept for depoisDoCommit, or for
    // the end of the open action).
    void registra(const Escopo& escopo, const QList<Passo>& passos);

    // The transaction the writes run in, as the journal sees it: opened by
    // the first capture inside it (a write's own transaction or one the host
    // opened and the writes joined), ended by its commit or its rollback. A
    // commit lets what it recorded reach a journal file (at the end of the
    // open action, if any); a rollback takes back what it recorded, and
    // nothing recorded before it.
    void abreTransacao();
    void fechaTransacao(bool confirmada) noexcept;
    bool emTransacao() const { return m_marca.has_value(); }

    bool ativo() const { return m_ativo; }
    bool tabelasProprias() const { return m_proprias; }

    // The journal's database for a configuration (the data module's own, or
    // the configuration's file, opened and made when missing); null when it
    // cannot be opened.
    QSqlDatabase base(const QString& filial, const QString& conf);
    // Every journal database of this store (for a history of all
    // configurations).
    QList<QSqlDatabase> bases();

    // The configuration of the session's last bracket (for an undo by entry
    // number on a journal kept in files).
    std::pair<QString, QString> configuracaoDaSessao() const { return {m_ultimaSessao.filial, m_ultimaSessao.conf}; }

    TrdmConfGrupo& dm() { return m_dm; }
    // A statement on the data module's connection, kept by its text.
    TADOQuery& comando(const QString& sql);
    // Checks that the history can be kept for a configuration (its file can
    // be opened), turning it off when not.
    void verifica(const QString& filial, const QString& conf) noexcept;

private:
    struct Acao {
        QString filial;
        QString conf;
        QString sessao;
        QString idAcao;
        QString descricao;
        qint64 entrada = 0; // 0 until the first step
        int passos = 0;
    };
    struct Pendente {
        QString filial;
        QString conf;
        QString sessao;
        QString idAcao;
        QString descricao;
        QString operacao;
        qint64 referencia = 0;
        QList<Passo> passos;
        bool naAcao = false;
    };

    // Where the journal stood when the transaction opened.
    struct Marca {
        qsizetype pendentes = 0;
        bool emAcao = false;
        qint64 entrada = 0;
        int passos = 0;
    };

    void grava(QSqlDatabase& db, Pendente& p);
    void insercaoDePassos(QSqlDatabase& db, int quantos, const std::function<void(QSqlQuery&)>& liga);
    // Steps `de` to `de + quantos` of an entry written on the module's own
    // connection when it is SQLite's, by its native statement; false (and
    // nothing written) on any other.
    bool inserePassosNativos(QSqlDatabase& db, qint64 entrada, int primeiro, const QList<Passo>& passos, qsizetype de,
                             qsizetype quantos);
    // The entries kept for the journal files, written; while a transaction
    // is open only those recorded before it.
    void gravaPendentes() noexcept;
    void poda(QSqlDatabase& db);
    void desliga(const QString& detalhe) noexcept;
    QString arquivo(const QString& filial, const QString& conf);

    TrdmConfGrupo& m_dm;
    bool m_proprias = false;
    bool m_ativo = true;
    int m_desdePoda = -1; // entries since the last prune; -1 before the first
    std::optional<Acao> m_acao;
    Acao m_ultimaSessao;
    QList<Pendente> m_pendentes;
    std::optional<Marca> m_marca;
    std::map<QString, QString> m_arquivos; // file path -> connection name
    std::map<QString, QString> m_caminhos; // connection, data folder, branch, configuration -> file
    std::map<QString, std::unique_ptr<TADOQuery>> m_consultas;
    std::optional<ColunasNoMotor> m_colunasNoMotor; // of the connection, read at its first capture
    struct InsercaoNativa {
        std::unique_ptr<TADOQuery> comando;
        QList<int> posicoes; // of each step's four values
    };
    std::map<int, InsercaoNativa> m_passosNativos; // by number of steps
    // Step inserts by connection and number of rows; declared last, so
    // destroyed before the journal files close.
    std::map<std::pair<QString, int>, std::unique_ptr<QSqlQuery>> m_insercoes;
};

// The journal of the data module, made at first use.
Livro& livro(TrdmConfGrupo& dm);

// The capture of one outermost write, inside its transaction: the rows of
// the current scope read at construction, read again by registra(), the
// steps recorded. Without a scope (a write that names none) nothing.
//
// Captures do not nest: a write called from inside another is the outer
// one's. A write that joined a transaction the host opened leaves its end to
// the data module's Commit and Rollback.
class Registro {
public:
    explicit Registro(TrdmConfGrupo& dm);
    ~Registro();
    Registro(const Registro&) = delete;
    Registro& operator=(const Registro&) = delete;

    void registra();
    void depoisDoCommit() noexcept;
    void falhou() noexcept;

    // Whether a capture is running (a write inside another one).
    static bool emCurso() { return s_emCurso > 0; }

private:
    static int s_emCurso;
    Livro* m_livro = nullptr;
    Escopo* m_escopo = nullptr;
    std::unique_ptr<CapturaNoMotor> m_captura; // inside the engine, or else
    Retrato m_antes;                           // the scope's rows read before the write
};

// The steps between two pictures, in key order.
QList<Passo> diferencas(const Retrato& antes, const Retrato& depois);

// The image of a row's values (a JSON array).
QByteArray imagem(const QList<QVariant>& valores);
// The same image of the row at `linha` of a packet.
QByteArray imagem(const DataPacket& linhas, int linha);
// A UTF-8 text appended to an image as a JSON string, with the escapes of
// imagem(): every byte of a multi-byte sequence is at least 0x80 and passes
// unchanged.
template <typename Saida> void anexaTextoJson(Saida& out, std::string_view t) {
    out += '"';
    size_t inicio = 0; // of the run of bytes that need no escape
    for (size_t i = 0; i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(t.data() + inicio, i - inicio);
        inicio = i + 1;
        if (c == '"')
            out += "\\\"";
        else if (c == '\\')
            out += "\\\\";
        else {
            static const char hex[] = "0123456789abcdef";
            const char u[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xf]};
            out.append(u, sizeof u);
        }
    }
    out.append(t.data() + inicio, t.size() - inicio);
    out += '"';
}

// A number in a text column as the read renders it (SQLite's generic path).
std::string numeroEmTexto(double valor);
// A number of an image as QByteArray::number(valor, 'g', shortest) writes it,
// written at `p` (at most 32 bytes); gives the end. Whole numbers below 2^53
// (colours, codes) are written by to_chars, which gives the same digits.
char* escreveNumero(char* p, double valor);

// The values of an image (empty when the image is absent).
QList<QVariant> valores(const QByteArray& imagem);
// The key of an image (its eight key columns).
QString chave(const QByteArray& imagem);

// The operator's text of a change refused because its history could not be
// written.
QString naoGravado();

// The history's settings: the age and number of entries kept.
int diasGuardados();
int entradasGuardadas();

} // namespace Diario
