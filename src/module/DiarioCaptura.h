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

    // A slice of m_texto.
    struct Fatia {
        size_t inicio = 0;
        size_t tamanho = 0;
    };
    // A row the engine took out (as it stood) or brought in (as it comes).
    struct Evento {
        Fatia chave;
        Fatia imagem;
        bool nova = false;
    };

    static void gancho(void* contexto, sqlite3* motor, int operacao, const char* base, const char* tabela, long long,
                       long long);
    // The row the hook shows (before or after the change) kept, when it is
    // in the scope.
    void linha(bool nova);
    QByteArray imagem(std::string_view celulas);
    std::string_view texto(const Fatia& f) const;
    void solta() noexcept;

    QSqlDatabase m_db;
    sqlite3* m_motor = nullptr;
    Colunas m_colunas;
    std::string m_filial;
    std::string m_conf;
    Condicoes m_condicoes; // any of them; none: the whole configuration
    bool m_falhou = false;
    std::string m_texto;                        // the keys and cells of the rows, one after another
    std::string m_escrita;                      // where an image is written before it is copied out
    std::array<std::string, kChaves> m_numeros; // a row's key cells that are real numbers, as texts
    std::vector<Evento> m_eventos;
};

} // namespace Diario
