#pragma once
// The capture of one write inside the embedded engine. SQLite hands the
// connection's pre-update hook every row it is about to insert, update or
// delete, with its values before and after; the rows of the write's scope
// that it touches are kept there as the engine's cell bytes, so the scope is
// read neither before the write nor after it, and only the rows that changed
// are written out as images. The steps are the same, byte for byte and in
// the same order, as the two reads of the scope would give (Livro::le,
// diferencas).

#include "Diario.h"

#include <QByteArray>
#include <QSqlDatabase>

#include <DataPacket.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_value;

namespace Diario {

class CapturaNoMotor {
public:
    using Colunas = ColunasNoMotor;
    // Where each column of the image is among the menu table's columns;
    // empty when one is missing.
    static Colunas colunasDaTabela(QSqlDatabase db);

    // Starts the capture on a connection of SQLite's own driver; null on any
    // other (their writes are captured by reading the scope).
    static std::unique_ptr<CapturaNoMotor> inicia(QSqlDatabase db, const Escopo& escopo, const Colunas& colunas);
    ~CapturaNoMotor();
    CapturaNoMotor(const CapturaNoMotor&) = delete;
    CapturaNoMotor& operator=(const CapturaNoMotor&) = delete;

    // Ends the capture and gives its steps in key order. Throws when a row
    // could not be captured (the write is then rolled back, as when the
    // scope cannot be read).
    QList<Passo> termina();

private:
    // A condition of the scope: the image's column and the text it holds.
    struct Condicao {
        int coluna = 0;
        std::string valor;
    };
    using Condicoes = std::vector<std::vector<Condicao>>;

    CapturaNoMotor(QSqlDatabase db, sqlite3* motor, const Escopo& escopo, const Colunas& colunas, Condicoes condicoes);

    // The most columns an image has.
    static constexpr size_t kMaximo = 32;

    // A row the engine took out (as it stood) or brought in (as it comes):
    // its cells in m_celulas, the key's cells first.
    struct Evento {
        size_t inicio = 0;
        std::uint32_t chave = 0;   // bytes of the key's cells
        std::uint32_t tamanho = 0; // bytes of all its cells
        bool nova = false;
        // Every key cell a text, so that the key's cells are the key's own
        // bytes (else the key is written out again, see chaveDe()).
        bool chaveDeTextos = true;
    };

    static void gancho(void* contexto, sqlite3* motor, int operacao, const char* base, const char* tabela, long long,
                       long long);
    // The row the hook shows (before or after the change) kept, when it is
    // in the scope.
    void linha(bool nova);
    // Room for `mais` bytes after `p` in m_celulas; gives where p is now.
    char* garante(char* p, size_t mais);
    std::string_view celulas(const Evento& e) const;
    // The key of a row as key cells that are all texts: its own cells, or
    // for a key with a null or a real number their texts as the read takes
    // them, written in `outra`.
    std::string_view chaveDe(const Evento& e, std::string& outra) const;
    void solta() noexcept;

    QSqlDatabase m_db;
    sqlite3* m_motor = nullptr;
    size_t m_quantas = 0;                 // columns of the image
    std::array<int, kMaximo> m_posicao{}; // of each among the table's columns
    std::array<bool, kMaximo> m_real{};   // whether the image takes it as a number
    int m_daTabela = 0;                   // columns of the table
    std::string m_filial;
    std::string m_conf;
    Condicoes m_condicoes; // any of them; none: the whole configuration
    bool m_falhou = false;
    std::unique_ptr<char[]> m_celulas; // the cells of the rows, one row after another
    size_t m_usado = 0;
    size_t m_capacidade = 0;
    std::string m_escrita;                      // where an image is written before it is copied out
    std::array<std::string, kChaves> m_numeros; // a row's key cells that are real numbers, as texts
    std::vector<Evento> m_eventos;
};

} // namespace Diario
