#include "DiarioCaptura.h"
#include "DiarioCelulas.h"

#include "SrvColunas.h"

#include <HostErrors.h>
#include <SqliteStatement.h>

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

using namespace Celulas;

namespace {

constexpr char kTabela[] = "ITMENUCONFTE";

using LeValor = int (*)(sqlite3*, int, sqlite3_value**);

} // namespace

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
    // A table without every column of the image is captured by the reads.
    if (colunas.posicao.empty() || colunas.posicao.size() != SrvColunas::colunas().size() ||
        colunas.posicao.size() > kMaximo)
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
    : m_db(std::move(db)), m_motor(motor), m_daTabela(colunas.daTabela), m_filial(escopo.filial.toStdString()),
      m_conf(escopo.conf.toStdString()), m_condicoes(std::move(condicoes)) {
    const std::span<const SrvColunas::Coluna> todas = SrvColunas::colunas(); // as many as colunas (inicia)
    m_quantas = todas.size();
    for (size_t c = 0; c < m_quantas; ++c) {
        m_posicao[c] = colunas.posicao[c];
        m_real[c] = real(todas[c]);
    }
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
    if (c->m_falhou || tabela == nullptr)
        return;
    // The table's name as the schema spells it, else in any case (a shorter
    // name ends the first compare at its end).
    if (std::strcmp(tabela, kTabela) != 0 && sqlite3_stricmp(tabela, kTabela) != 0)
        return;
    try {
        if (sqlite3_preupdate_count(motor) != c->m_daTabela) {
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

char* CapturaNoMotor::garante(char* p, size_t mais) {
    const size_t usado = size_t(p - m_celulas.get());
    if (usado + mais <= m_capacidade)
        return p;
    size_t capacidade = std::max<size_t>(m_capacidade * 2, 4096);
    while (capacidade < usado + mais)
        capacidade *= 2;
    auto maior = std::make_unique_for_overwrite<char[]>(capacidade);
    copia(maior.get(), m_celulas.get(), usado);
    m_celulas = std::move(maior);
    m_capacidade = capacidade;
    return m_celulas.get() + usado;
}

// A row's cells, as the image takes them: a tag, then a text's length and
// bytes or a number's eight bytes (see imagem()). The key's cells come first;
// a row out of the scope is let go once its key is known.
void CapturaNoMotor::linha(bool nova) {
    const LeValor le = nova ? &sqlite3_preupdate_new : &sqlite3_preupdate_old;
    // Every cell but a text's bytes: a tag and at most eight bytes.
    char* p = garante(m_celulas.get() + m_usado, 9 * m_quantas);
    const size_t inicio = m_usado;
    std::array<std::string_view, kChaves> chave; // the key cells' texts, as the read's key takes them
    Evento e;
    e.nova = nova;
    for (size_t c = 0; c < m_quantas; ++c) {
        sqlite3_value* v = nullptr;
        if (le(m_motor, m_posicao[c], &v) != SQLITE_OK || v == nullptr)
            throw std::runtime_error("row value not given by the engine");
        const int classe = sqlite3_value_type(v);
        if (classe == SQLITE_NULL) {
            *p++ = Nulo;
            if (c < kChaves) {
                chave[c] = {};
                e.chaveDeTextos = false;
            }
        } else if (m_real[c] || classe == SQLITE_FLOAT) {
            const double d = sqlite3_value_double(v);
            *p++ = m_real[c] ? Numero : NumeroEmTexto;
            std::memcpy(p, &d, sizeof d);
            p += sizeof d;
            if (c < kChaves) {
                m_numeros[c] = numeroEmTexto(d);
                chave[c] = m_numeros[c];
                e.chaveDeTextos = false;
            }
        } else {
            const std::string_view t = textoDe(v, classe);
            p = garante(p, 5 + t.size() + 9 * (m_quantas - c - 1));
            *p++ = Texto;
            const auto tamanho = std::uint32_t(t.size());
            std::memcpy(p, &tamanho, sizeof tamanho);
            p = copiaCurta(p + sizeof tamanho, t.data(), t.size());
            if (c < kChaves)
                chave[c] = t;
        }
        if (c == 1 && (chave[0] != m_filial || chave[1] != m_conf))
            return; // another configuration's row
        if (c + 1 == kChaves)
            e.chave = std::uint32_t(size_t(p - m_celulas.get()) - inicio);
    }
    const auto igual = [&](const Condicao& condicao) { return chave[size_t(condicao.coluna)] == condicao.valor; };
    if (!m_condicoes.empty() && std::none_of(m_condicoes.begin(), m_condicoes.end(), [&](const auto& todas) {
            return std::all_of(todas.begin(), todas.end(), igual);
        }))
        return;
    m_usado = size_t(p - m_celulas.get());
    e.inicio = inicio;
    e.tamanho = std::uint32_t(m_usado - inicio);
    m_eventos.push_back(e);
}

std::string_view CapturaNoMotor::celulas(const Evento& e) const {
    return std::string_view(m_celulas.get() + e.inicio, e.tamanho);
}

std::string_view CapturaNoMotor::chaveDe(const Evento& e, std::string& outra) const {
    const std::string_view cells = celulas(e);
    if (e.chaveDeTextos)
        return cells.substr(0, e.chave);
    outra.clear();
    size_t i = 0;
    for (int c = 0; c < kChaves; ++c) {
        const char etiqueta = cells[i++];
        std::string numero;
        std::string_view t;
        if (etiqueta == Texto) {
            std::uint32_t tamanho = 0;
            std::memcpy(&tamanho, cells.data() + i, sizeof tamanho);
            t = cells.substr(i + sizeof tamanho, tamanho);
            i += sizeof tamanho + tamanho;
        } else if (etiqueta != Nulo) {
            double d = 0;
            std::memcpy(&d, cells.data() + i, sizeof d);
            i += sizeof d;
            numero = numeroEmTexto(d);
            t = numero;
        }
        const auto tamanho = std::uint32_t(t.size());
        outra += char(Texto);
        outra.append(reinterpret_cast<const char*>(&tamanho), sizeof tamanho);
        outra.append(t);
    }
    return outra;
}

QList<Passo> CapturaNoMotor::termina() {
    solta();
    if (m_falhou)
        throw DatabaseError(naoGravado(), QSqlError(), QStringLiteral("capture of the write's rows"));
    // The keys of the rows whose key cells are not all texts, written out.
    std::vector<std::string> outras;
    std::vector<std::string_view> chaves;
    chaves.reserve(m_eventos.size());
    for (const Evento& e : m_eventos) {
        if (e.chaveDeTextos) {
            chaves.push_back(celulas(e).substr(0, e.chave));
        } else {
            outras.emplace_back();
            chaves.push_back({});
        }
    }
    for (size_t i = 0, o = 0; i < m_eventos.size(); ++i)
        if (!m_eventos[i].chaveDeTextos)
            chaves[i] = chaveDe(m_eventos[i], outras[o++]);
    // The rows by key, each key's rows in the order the engine touched them:
    // the first says how the row stood before the write (absent when the
    // engine first brought it in), the last how it stands after (absent
    // when the engine last took it out).
    struct Extremos {
        std::uint32_t primeiro;
        std::uint32_t ultimo;
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
        for (std::uint32_t e = 0; e < m_eventos.size(); ++e) {
            const std::string_view chave = chaves[e];
            for (size_t l = espalha(chave) & (capacidade - 1);; l = (l + 1) & (capacidade - 1)) {
                if (lugares[l] == kLivre) {
                    lugares[l] = std::uint32_t(grupos.size());
                    grupos.push_back({e, e});
                    break;
                }
                Extremos& g = grupos[lugares[l]];
                if (chaves[g.primeiro] == chave) {
                    g.ultimo = e;
                    break;
                }
            }
        }
    }
    Mudancas mudancas;
    for (const Extremos& g : grupos) {
        const Evento& primeiro = m_eventos[g.primeiro];
        const Evento& ultimo = m_eventos[g.ultimo];
        const bool havia = !primeiro.nova;
        const bool ha = ultimo.nova;
        if (havia == ha && (!havia || celulas(primeiro) == celulas(ultimo)))
            continue;
        mudancas.anota(chaves[g.primeiro],
                       {havia ? imagem(m_escrita, celulas(primeiro)) : QByteArray(),
                        ha ? imagem(m_escrita, celulas(ultimo)) : QByteArray()},
                       havia, ha);
    }
    return mudancas.emOrdem();
}

} // namespace Diario
