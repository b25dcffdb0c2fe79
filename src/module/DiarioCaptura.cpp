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
#include <span>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace Diario {

namespace {

constexpr char kTabela[] = "ITMENUCONFTE";

// A text's UTF-8 bytes as the record holds them: through the blob accessor,
// which gives them in place where the text accessor would copy each one to
// end it with a zero.
std::string_view textoDe(sqlite3_value* v) {
    if (sqlite3_value_type(v) == SQLITE_TEXT) {
        const auto* t = static_cast<const char*>(sqlite3_value_blob(v));
        return t ? std::string_view(t, size_t(sqlite3_value_bytes(v))) : std::string_view();
    }
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return t ? std::string_view(t, size_t(sqlite3_value_bytes(v))) : std::string_view();
}

// A key cell's text as the read's key takes it.
void anexaChave(std::string& out, sqlite3_value* v) {
    const int classe = sqlite3_value_type(v);
    if (classe == SQLITE_NULL)
        return;
    if (classe == SQLITE_FLOAT) {
        out += numeroEmTexto(sqlite3_value_double(v));
        return;
    }
    out += textoDe(v);
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

void CapturaNoMotor::anexaCelula(sqlite3_value* v, FieldKind tipo) {
    const int classe = sqlite3_value_type(v);
    if (classe == SQLITE_NULL) {
        m_texto += char(Nulo);
        return;
    }
    if (tipo == FieldKind::Float || classe == SQLITE_FLOAT) {
        m_texto += char(tipo == FieldKind::Float ? Numero : NumeroEmTexto);
        const double d = sqlite3_value_double(v);
        m_texto.append(reinterpret_cast<const char*>(&d), sizeof d);
        return;
    }
    const std::string_view t = textoDe(v);
    const auto tamanho = std::uint32_t(t.size());
    m_texto += char(Texto);
    m_texto.append(reinterpret_cast<const char*>(&tamanho), sizeof tamanho);
    m_texto.append(t);
}

// The image of a kept row: as the read of the scope puts each cell into its
// packet and imagem() writes it (Livro::le with SqliteStatement's
// conversions).
QByteArray CapturaNoMotor::imagem(std::string_view celulas) {
    QByteArray out;
    out.reserve(256);
    out += '[';
    size_t i = 0;
    for (int c = 0; i < celulas.size(); ++c) {
        if (c > 0)
            out += ',';
        const char etiqueta = celulas[i++];
        if (etiqueta == Nulo) {
            out += "null";
        } else if (etiqueta == Texto) {
            std::uint32_t tamanho = 0;
            std::memcpy(&tamanho, celulas.data() + i, sizeof tamanho);
            i += sizeof tamanho;
            anexaTextoJson(out, celulas.substr(i, tamanho));
            i += tamanho;
        } else {
            double d = 0;
            std::memcpy(&d, celulas.data() + i, sizeof d);
            i += sizeof d;
            if (etiqueta == Numero)
                out += QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
            else
                anexaTextoJson(out, numeroEmTexto(d));
        }
    }
    out += ']';
    return out;
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
    // text the engine would compare as a number) is left to the read.
    const SrvColunas::Coluna* primeira = SrvColunas::colunas().data();
    for (const Filtro& f : escopo.filtros)
        for (const auto& condicao : f) {
            const SrvColunas::Coluna* c = SrvColunas::coluna(condicao.first);
            if (c == nullptr || c - primeira >= kChaves)
                return nullptr;
        }
    return std::unique_ptr<CapturaNoMotor>(new CapturaNoMotor(db, motor, escopo, colunas));
}

CapturaNoMotor::CapturaNoMotor(QSqlDatabase db, sqlite3* motor, const Escopo& escopo, const Colunas& colunas)
    : m_db(std::move(db)), m_motor(motor), m_colunas(colunas), m_filial(escopo.filial.toStdString()),
      m_conf(escopo.conf.toStdString()) {
    // As the read of the scope: no condition, or an empty one, is the whole configuration.
    const bool algumVazio =
        std::any_of(escopo.filtros.begin(), escopo.filtros.end(), [](const Filtro& f) { return f.isEmpty(); });
    if (!algumVazio) {
        const auto inicio = SrvColunas::colunas().data();
        for (const Filtro& f : escopo.filtros) {
            std::vector<Condicao> todas;
            for (const auto& [coluna, valor] : f)
                todas.push_back({int(SrvColunas::coluna(coluna) - inicio), valor.toStdString()});
            m_condicoes.push_back(std::move(todas));
        }
    }
    // Room for a few rows: most writes touch one or two.
    m_texto.reserve(1024);
    m_eventos.reserve(8);
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
    std::array<sqlite3_value*, 32> valores{};
    if (colunas.size() > valores.size())
        throw std::runtime_error("more columns than the capture holds");
    for (size_t c = 0; c < colunas.size(); ++c)
        if (le(m_motor, m_colunas.posicao[c], &valores[c]) != SQLITE_OK || valores[c] == nullptr)
            throw std::runtime_error("row value not given by the engine");
    const auto valor = [&](int coluna) { return valores[size_t(coluna)]; };
    // The key, with where each of its cells ends in it.
    Evento e;
    e.nova = nova;
    e.chave.inicio = m_texto.size();
    std::string& chave = m_texto;
    std::array<size_t, kChaves + 1> limites{};
    for (int c = 0; c < kChaves; ++c) {
        if (c > 0)
            chave += '\x1f';
        limites[size_t(c)] = chave.size();
        anexaChave(chave, valor(c));
    }
    limites[kChaves] = chave.size() + 1;
    e.chave.tamanho = chave.size() - e.chave.inicio;
    const auto celula = [&](int coluna) {
        const size_t de = limites[size_t(coluna)];
        return std::string_view(chave).substr(de, limites[size_t(coluna) + 1] - 1 - de);
    };
    // Out of the scope: nothing kept.
    const auto fora = [&] { chave.resize(e.chave.inicio); };
    // Conditions name key columns only (inicia).
    const auto igual = [&](const Condicao& condicao) { return celula(condicao.coluna) == condicao.valor; };
    // The scope: the configuration and, when it names any, one of its conditions.
    if (celula(0) != m_filial || celula(1) != m_conf)
        return fora();
    if (!m_condicoes.empty() && std::none_of(m_condicoes.begin(), m_condicoes.end(), [&](const auto& todas) {
            return std::all_of(todas.begin(), todas.end(), igual);
        }))
        return fora();
    e.imagem.inicio = m_texto.size();
    for (size_t c = 0; c < colunas.size(); ++c)
        anexaCelula(valor(int(c)), tipoNaImagem(colunas[c]));
    e.imagem.tamanho = m_texto.size() - e.imagem.inicio;
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
    std::vector<const Evento*> ordem;
    ordem.reserve(m_eventos.size());
    for (const Evento& e : m_eventos)
        ordem.push_back(&e);
    std::stable_sort(ordem.begin(), ordem.end(),
                     [&](const Evento* a, const Evento* b) { return texto(a->chave) < texto(b->chave); });
    std::vector<std::pair<QString, Passo>> mudados;
    for (size_t i = 0; i < ordem.size();) {
        size_t fim = i + 1;
        while (fim < ordem.size() && texto(ordem[fim]->chave) == texto(ordem[i]->chave))
            ++fim;
        const Evento& primeiro = *ordem[i];
        const Evento& ultimo = *ordem[fim - 1];
        const bool havia = !primeiro.nova;
        const bool ha = ultimo.nova;
        if (havia != ha || (havia && texto(primeiro.imagem) != texto(ultimo.imagem))) {
            Passo p{havia ? imagem(texto(primeiro.imagem)) : QByteArray(),
                    ha ? imagem(texto(ultimo.imagem)) : QByteArray()};
            // Cells kept apart that write the same image (a number and its
            // text in a text column) are no change.
            if (p.antes != p.depois || havia != ha) {
                const std::string_view k = texto(primeiro.chave);
                mudados.emplace_back(QString::fromUtf8(k.data(), qsizetype(k.size())), std::move(p));
            }
        }
        i = fim;
    }
    // In the order of the keys as texts, as the scope's picture orders them.
    std::stable_sort(mudados.begin(), mudados.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<Passo> passos;
    passos.reserve(qsizetype(mudados.size()));
    for (auto& [chave, passo] : mudados)
        passos.append(std::move(passo));
    return passos;
}

} // namespace Diario
