#include "DiarioCaptura.h"

#include "SrvColunas.h"

#include <HostErrors.h>
#include <SqliteStatement.h>

#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

// Debian's SQLite is built with the pre-update hook; its header declares the
// hook's functions only when told so.
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace Diario {

namespace {

constexpr char kTabela[] = "ITMENUCONFTE";

// The UTF-8 bytes of a value of storage class `classe` as the record holds
// them: a text's through the blob accessor, which gives them in place where
// the text accessor would copy each one to end it with a zero.
std::string_view textoDe(sqlite3_value* v, int classe) {
    if (classe == SQLITE_TEXT) {
        const auto* t = static_cast<const char*>(sqlite3_value_blob(v));
        return t ? std::string_view(t, size_t(sqlite3_value_bytes(v))) : std::string_view();
    }
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return t ? std::string_view(t, size_t(sqlite3_value_bytes(v))) : std::string_view();
}

// `n` bytes copied to `p`; gives the end. An empty view may have no storage
// at all (SQLite gives a null pointer for an empty value), which memcpy may
// not be handed.
char* copia(char* p, const char* de, size_t n) {
    if (n > 0)
        std::memcpy(p, de, n);
    return p + n;
}

// A key cell's text as the read's key takes it: a null is empty, a real number
// is written out (in `numero`, which the view then points into).
std::string_view textoDaChave(sqlite3_value* v, std::string& numero) {
    const int classe = sqlite3_value_type(v);
    if (classe == SQLITE_NULL)
        return {};
    if (classe == SQLITE_FLOAT) {
        numero = numeroEmTexto(sqlite3_value_double(v));
        return numero;
    }
    return textoDe(v, classe);
}

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

// The image's column kinds: a moment is kept as the text the store holds.
FieldKind tipoNaImagem(const SrvColunas::Coluna& c) {
    return c.tipo == FieldKind::DateTime ? FieldKind::Text : c.tipo;
}

using LeValor = int (*)(sqlite3*, int, sqlite3_value**);

} // namespace

// The cells of a row are kept as the engine gives them, a tag and the value's
// bytes, so that keeping a row costs a copy; only the rows that changed are
// written out as images, at the end.
enum Etiqueta : char { Nulo, Numero, NumeroEmTexto, Texto };

// The image of a kept row: as the read of the scope puts each cell into its
// packet and imagem() writes it (Livro::le with SqliteStatement's
// conversions). Written in place: every byte of the kept cells gives at most
// six of the image (an escaped control character; a number's nine bytes give
// at most 32, a null's one gives four and a comma).
QByteArray CapturaNoMotor::imagem(std::string_view celulas) {
    m_escrita.resize(2 + 6 * celulas.size());
    char* const inicio = m_escrita.data();
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

CapturaNoMotor::Colunas CapturaNoMotor::colunasDaTabela(QSqlDatabase db) {
    QSqlQuery q(db);
    Colunas out;
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(kTabela))))
        return out;
    std::vector<QString> nomes;
    while (q.next())
        nomes.push_back(q.value(1).toString());
    for (const SrvColunas::Coluna& c : SrvColunas::colunas()) {
        const auto achada = std::find_if(nomes.begin(), nomes.end(), [&](const QString& n) {
            return n.compare(QLatin1String(c.nome), Qt::CaseInsensitive) == 0;
        });
        if (achada == nomes.end())
            return {};
        out.posicao.push_back(int(achada - nomes.begin()));
    }
    out.daTabela = int(nomes.size());
    return out;
}

std::unique_ptr<CapturaNoMotor> CapturaNoMotor::inicia(QSqlDatabase db, const Escopo& escopo, const Colunas& colunas) {
    if (colunas.posicao.empty())
        return nullptr;
    sqlite3* motor = SqliteStatement::handleOf(db); // null on any other driver
    if (motor == nullptr)
        return nullptr;
    // Every condition must name a key column: their texts compare as the
    // read's conditions do; a condition on another column (a number, whose
    // text the engine would compare as a number) is left to the read. As the
    // read of the scope, no condition, or an empty one, is the whole
    // configuration.
    const SrvColunas::Coluna* primeira = SrvColunas::colunas().data();
    const bool algumVazio =
        std::any_of(escopo.filtros.begin(), escopo.filtros.end(), [](const Filtro& f) { return f.isEmpty(); });
    Condicoes condicoes;
    for (const Filtro& f : escopo.filtros) {
        std::vector<Condicao> todas;
        todas.reserve(size_t(f.size()));
        for (const auto& [nome, valor] : f) {
            const SrvColunas::Coluna* c = SrvColunas::coluna(nome);
            if (c == nullptr || c - primeira >= kChaves)
                return nullptr;
            todas.push_back({int(c - primeira), valor.toStdString()});
        }
        if (!algumVazio)
            condicoes.push_back(std::move(todas));
    }
    return std::unique_ptr<CapturaNoMotor>(new CapturaNoMotor(db, motor, escopo, colunas, std::move(condicoes)));
}

CapturaNoMotor::CapturaNoMotor(QSqlDatabase db, sqlite3* motor, const Escopo& escopo, const Colunas& colunas,
                               Condicoes condicoes)
    : m_db(std::move(db)), m_motor(motor), m_colunas(colunas), m_filial(escopo.filial.toStdString()),
      m_conf(escopo.conf.toStdString()), m_condicoes(std::move(condicoes)) {
    sqlite3_preupdate_hook(m_motor, &CapturaNoMotor::gancho, this);
}

CapturaNoMotor::~CapturaNoMotor() {
    solta();
}

void CapturaNoMotor::solta() noexcept {
    // Not on a handle the connection no longer holds (closed under the write).
    if (m_motor != nullptr && SqliteStatement::handleOf(m_db) == m_motor)
        sqlite3_preupdate_hook(m_motor, nullptr, nullptr);
    m_motor = nullptr;
}

void CapturaNoMotor::gancho(void* contexto, sqlite3* motor, int operacao, const char* /*base*/, const char* tabela,
                            long long, long long) {
    auto* c = static_cast<CapturaNoMotor*>(contexto);
    if (c->m_falhou || tabela == nullptr || sqlite3_stricmp(tabela, kTabela) != 0)
        return;
    try {
        if (sqlite3_preupdate_count(motor) != c->m_colunas.daTabela) {
            c->m_falhou = true; // the table changed under the session
            return;
        }
        // An update is the row as it was going and the row as it is coming.
        if (operacao == SQLITE_DELETE || operacao == SQLITE_UPDATE)
            c->linha(false);
        if (operacao == SQLITE_INSERT || operacao == SQLITE_UPDATE)
            c->linha(true);
    } catch (...) {
        c->m_falhou = true;
    }
}

void CapturaNoMotor::linha(bool nova) {
    const LeValor le = nova ? &sqlite3_preupdate_new : &sqlite3_preupdate_old;
    const std::span<const SrvColunas::Coluna> colunas = SrvColunas::colunas();
    constexpr size_t kMaximo = 32;
    if (colunas.size() > kMaximo)
        throw std::runtime_error("more columns than the capture holds");
    std::array<sqlite3_value*, kMaximo> valores;
    for (size_t c = 0; c < colunas.size(); ++c)
        if (le(m_motor, m_colunas.posicao[c], &valores[c]) != SQLITE_OK || valores[c] == nullptr)
            throw std::runtime_error("row value not given by the engine");
    // The key cells as texts: a row out of the scope is let go here.
    std::array<std::string_view, kChaves> chave;
    for (int c = 0; c < kChaves; ++c)
        chave[size_t(c)] = textoDaChave(valores[size_t(c)], m_numeros[size_t(c)]);
    if (chave[0] != m_filial || chave[1] != m_conf)
        return;
    const auto igual = [&](const Condicao& condicao) { return chave[size_t(condicao.coluna)] == condicao.valor; };
    if (!m_condicoes.empty() && std::none_of(m_condicoes.begin(), m_condicoes.end(), [&](const auto& todas) {
            return std::all_of(todas.begin(), todas.end(), igual);
        }))
        return;
    // The cells as the image takes them: a tag, then a text's length and
    // bytes or a number's eight bytes (see imagem()).
    std::array<char, kMaximo> etiquetas;
    struct Bytes {
        const char* dados;
        size_t tamanho;
    };
    std::array<Bytes, kMaximo> textos; // left uninitialised: only the texts' are set
    std::array<double, kMaximo> reais;
    size_t tamanhoDaChave = kChaves - 1; // the separators
    for (const std::string_view& k : chave)
        tamanhoDaChave += k.size();
    size_t tamanhoDaImagem = 0;
    for (size_t c = 0; c < colunas.size(); ++c) {
        sqlite3_value* v = valores[c];
        const int classe = sqlite3_value_type(v);
        const FieldKind tipo = tipoNaImagem(colunas[c]);
        if (classe == SQLITE_NULL) {
            etiquetas[c] = Nulo;
            tamanhoDaImagem += 1;
        } else if (tipo == FieldKind::Float || classe == SQLITE_FLOAT) {
            etiquetas[c] = tipo == FieldKind::Float ? Numero : NumeroEmTexto;
            reais[c] = sqlite3_value_double(v);
            tamanhoDaImagem += 1 + sizeof(double);
        } else {
            etiquetas[c] = Texto;
            // A key cell's text is the key's (the same accessor on the same value).
            const std::string_view t = c < kChaves ? chave[c] : textoDe(v, classe);
            textos[c] = {t.data(), t.size()};
            tamanhoDaImagem += 1 + sizeof(std::uint32_t) + t.size();
        }
    }
    Evento e;
    e.nova = nova;
    e.chave = {m_texto.size(), tamanhoDaChave};
    e.imagem = {e.chave.inicio + tamanhoDaChave, tamanhoDaImagem};
    m_texto.resize(e.imagem.inicio + tamanhoDaImagem);
    char* p = m_texto.data() + e.chave.inicio;
    for (size_t c = 0; c < kChaves; ++c) {
        if (c > 0)
            *p++ = '\x1f';
        p = copia(p, chave[c].data(), chave[c].size());
    }
    for (size_t c = 0; c < colunas.size(); ++c) {
        *p++ = etiquetas[c];
        if (etiquetas[c] == Texto) {
            const auto tamanho = std::uint32_t(textos[c].tamanho);
            std::memcpy(p, &tamanho, sizeof tamanho);
            p += sizeof tamanho;
            p = copia(p, textos[c].dados, tamanho);
        } else if (etiquetas[c] != Nulo) {
            std::memcpy(p, &reais[c], sizeof(double));
            p += sizeof(double);
        }
    }
    m_eventos.push_back(e);
}

std::string_view CapturaNoMotor::texto(const Fatia& f) const {
    return std::string_view(m_texto).substr(f.inicio, f.tamanho);
}

QList<Passo> CapturaNoMotor::termina() {
    solta();
    if (m_falhou)
        throw DatabaseError(naoGravado(), QSqlError(), QStringLiteral("capture of the write's rows"));
    // The rows by key, each key's rows in the order the engine touched them:
    // the first says how the row stood before the write (absent when the
    // engine first brought it in), the last how it stands after (absent
    // when the engine last took it out).
    struct Extremos {
        const Evento* primeiro;
        const Evento* ultimo;
    };
    std::vector<Extremos> grupos;
    grupos.reserve(m_eventos.size());
    {
        // An open-addressed table of the groups by their key's bytes.
        size_t capacidade = 16;
        while (capacidade < 2 * m_eventos.size())
            capacidade <<= 1;
        constexpr std::uint32_t kLivre = UINT32_MAX;
        std::vector<std::uint32_t> lugares(capacidade, kLivre);
        const std::hash<std::string_view> espalha;
        for (const Evento& e : m_eventos) {
            const std::string_view chave = texto(e.chave);
            for (size_t l = espalha(chave) & (capacidade - 1);; l = (l + 1) & (capacidade - 1)) {
                if (lugares[l] == kLivre) {
                    lugares[l] = std::uint32_t(grupos.size());
                    grupos.push_back({&e, &e});
                    break;
                }
                Extremos& g = grupos[lugares[l]];
                if (texto(g.primeiro->chave) == chave) {
                    g.ultimo = &e;
                    break;
                }
            }
        }
    }
    struct Mudado {
        QString chave;
        std::string_view bytes;
        Passo passo;
    };
    std::vector<Mudado> mudados;
    for (const Extremos& g : grupos) {
        const Evento& primeiro = *g.primeiro;
        const Evento& ultimo = *g.ultimo;
        const bool havia = !primeiro.nova;
        const bool ha = ultimo.nova;
        if (havia == ha && (!havia || texto(primeiro.imagem) == texto(ultimo.imagem)))
            continue;
        Passo p{havia ? imagem(texto(primeiro.imagem)) : QByteArray(),
                ha ? imagem(texto(ultimo.imagem)) : QByteArray()};
        // Cells kept apart that write the same image (a number and its text
        // in a text column) are no change.
        if (p.antes == p.depois && havia == ha)
            continue;
        const std::string_view chave = texto(primeiro.chave);
        mudados.push_back({QString::fromUtf8(chave.data(), qsizetype(chave.size())), chave, std::move(p)});
    }
    // In the order of the keys as texts, as the scope's picture orders them
    // (keys whose texts are alike in their bytes' order).
    std::sort(mudados.begin(), mudados.end(), [](const Mudado& a, const Mudado& b) {
        if (const int c = QString::compare(a.chave, b.chave); c != 0)
            return c < 0;
        return a.bytes < b.bytes;
    });
    QList<Passo> passos;
    passos.reserve(qsizetype(mudados.size()));
    for (Mudado& m : mudados)
        passos.append(std::move(m.passo));
    return passos;
}

} // namespace Diario
