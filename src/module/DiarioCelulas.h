#pragma once
// The cells of a menu row as the embedded engine's captures keep them: for
// each column a tag, then a text's length and UTF-8 bytes or a number's eight
// bytes, the key's eight columns first. Keeping a row costs a copy; only the
// rows that changed are written out as images, by the rules of the read of a
// scope (Livro::le with SqliteStatement's conversions, imagem()).

#include "Diario.h"
#include "SrvColunas.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_value;

namespace Diario::Celulas {

enum Etiqueta : char { Nulo, Numero, NumeroEmTexto, Texto };

// Whether the image takes a column as a number (a moment is kept as the text
// the store holds).
inline bool real(const SrvColunas::Coluna& c) {
    return c.tipo == FieldKind::Float;
}

// The UTF-8 bytes of a value of storage class `classe` as the record holds
// them: a text's through the blob accessor, which gives them in place where
// the text accessor would copy each one to end it with a zero.
std::string_view textoDe(sqlite3_value* v, int classe);

// `n` bytes copied to `p`; gives the end. An empty view may have no storage
// at all (SQLite gives a null pointer for an empty value), which memcpy may
// not be handed.
inline char* copia(char* p, const char* de, size_t n) {
    if (n > 0)
        std::memcpy(p, de, n);
    return p + n;
}

// The same for the short texts of a row's cells (codes, positions, names),
// copied in place in two overlapping words instead of a call.
inline char* copiaCurta(char* p, const char* de, size_t n) {
    if (n >= 8 && n <= 16) {
        std::memcpy(p, de, 8);
        std::memcpy(p + n - 8, de + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(p, de, 4);
        std::memcpy(p + n - 4, de + n - 4, 4);
    } else if (n < 4) {
        for (size_t i = 0; i < n; ++i)
            p[i] = de[i];
    } else {
        std::memcpy(p, de, n);
    }
    return p + n;
}

// The image of a row's cells, written through `escrita`.
QByteArray imagem(std::string& escrita, std::string_view celulas);

// A key as the read's key writes it (its texts between separators), from its
// cells that are all texts.
std::string juntaChave(std::string_view chave);

// The steps of the rows that changed, put in the order of their keys as the
// scope's picture orders them.
class Mudancas {
public:
    // A row's step, by its key's cells (all texts); a step whose images are
    // the same is no change and is let go.
    void anota(std::string_view chave, Passo passo, bool havia, bool ha);
    QList<Passo> emOrdem();

private:
    struct Mudado {
        QString chave;
        std::string bytes;
        Passo passo;
    };
    std::vector<Mudado> m_mudados;
};

} // namespace Diario::Celulas
