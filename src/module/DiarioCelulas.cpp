#include "DiarioCelulas.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace Diario::Celulas {

namespace {

// The bytes of a JSON string of `t` written at `p`, with the escapes of
// anexaTextoJson; at most 2 + 6 bytes a byte of `t`. Gives the end.
char* escreveTextoJson(char* p, std::string_view t) {
    *p++ = '"';
    size_t inicio = 0; // of the run of bytes that need no escape
    for (size_t i = 0; i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        p = copia(p, t.data() + inicio, i - inicio);
        inicio = i + 1;
        *p++ = '\\';
        if (c == '"' || c == '\\') {
            *p++ = char(c);
        } else {
            static const char hex[] = "0123456789abcdef";
            const char u[] = {'u', '0', '0', hex[c >> 4], hex[c & 0xf]};
            std::memcpy(p, u, sizeof u);
            p += sizeof u;
        }
    }
    p = copia(p, t.data() + inicio, t.size() - inicio);
    *p++ = '"';
    return p;
}

} // namespace

std::string_view textoDe(sqlite3_value* v, int classe) {
    if (classe == SQLITE_TEXT) {
        const auto* t = static_cast<const char*>(sqlite3_value_blob(v));
        return t ? std::string_view(t, size_t(sqlite3_value_bytes(v))) : std::string_view();
    }
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return t ? std::string_view(t, size_t(sqlite3_value_bytes(v))) : std::string_view();
}

// As the read of the scope puts each cell into its packet and imagem()
// writes it. Written in place: every byte of the cells gives at most six of
// the image (an escaped control character; a number's nine bytes give at
// most 32, a null's one gives four and a comma).
QByteArray imagem(std::string& escrita, std::string_view celulas) {
    escrita.resize(2 + 6 * celulas.size());
    char* const inicio = escrita.data();
    char* p = inicio;
    *p++ = '[';
    size_t i = 0;
    for (int c = 0; i < celulas.size(); ++c) {
        if (c > 0)
            *p++ = ',';
        const char etiqueta = celulas[i++];
        if (etiqueta == Nulo) {
            std::memcpy(p, "null", 4);
            p += 4;
        } else if (etiqueta == Texto) {
            std::uint32_t tamanho = 0;
            std::memcpy(&tamanho, celulas.data() + i, sizeof tamanho);
            i += sizeof tamanho;
            p = escreveTextoJson(p, celulas.substr(i, tamanho));
            i += tamanho;
        } else {
            double d = 0;
            std::memcpy(&d, celulas.data() + i, sizeof d);
            i += sizeof d;
            if (etiqueta == Numero) {
                p = escreveNumero(p, d);
            } else {
                char numero[32];
                p = escreveTextoJson(p, std::string_view(numero, size_t(escreveNumero(numero, d) - numero)));
            }
        }
    }
    *p++ = ']';
    return QByteArray(inicio, p - inicio);
}

std::string juntaChave(std::string_view chave) {
    std::string junta;
    junta.reserve(chave.size());
    for (size_t i = 0; i < chave.size();) {
        std::uint32_t tamanho = 0;
        std::memcpy(&tamanho, chave.data() + i + 1, sizeof tamanho);
        if (i > 0)
            junta += '\x1f';
        junta.append(chave.substr(i + 1 + sizeof tamanho, tamanho));
        i += 1 + sizeof tamanho + tamanho;
    }
    return junta;
}

void Mudancas::anota(std::string_view chave, Passo passo, bool havia, bool ha) {
    // Cells kept apart that write the same image (a number and its text in a
    // text column) are no change.
    if (havia == ha && passo.antes == passo.depois)
        return;
    std::string junta = juntaChave(chave);
    m_mudados.push_back({QString::fromStdString(junta), std::move(junta), std::move(passo)});
}

QList<Passo> Mudancas::emOrdem() {
    // In the order of the keys as texts, as the scope's picture orders them
    // (keys whose texts are alike in their bytes' order).
    std::sort(m_mudados.begin(), m_mudados.end(), [](const Mudado& a, const Mudado& b) {
        if (const int c = QString::compare(a.chave, b.chave); c != 0)
            return c < 0;
        return a.bytes < b.bytes;
    });
    QList<Passo> passos;
    passos.reserve(qsizetype(m_mudados.size()));
    for (Mudado& m : m_mudados)
        passos.append(std::move(m.passo));
    m_mudados.clear();
    return passos;
}

} // namespace Diario::Celulas
