#include "PesquisaFiltroModel.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Separates the columns in a row's folded text, so that no word matches across two columns.
constexpr QChar kSeparador(0x1F);
// Separates the rows in the block of folded texts.
constexpr char kFimDeLinha = '\x1E';

bool somenteAscii(const QString& texto) {
    for (const QChar c : texto) {
        if (c.unicode() >= 128)
            return false;
    }
    return true;
}

QStringList termosDe(const QString& filtro) {
    return PesquisaFiltroModel::dobra(filtro).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// True when every term of the old filter is contained in a term of the new
// one: then the new matches are a subset of the old, and only those need a look.
bool estreita(const QStringList& antigos, const QStringList& novos) {
    for (const QString& antigo : antigos) {
        bool coberto = false;
        for (const QString& novo : novos)
            coberto = coberto || novo.contains(antigo);
        if (!coberto)
            return false;
    }
    return true;
}

} // namespace

PesquisaFiltroModel::PesquisaFiltroModel(QAbstractItemModel* origem, QObject* parent)
    : QAbstractTableModel(parent), m_origem(origem) {
    connect(m_origem, &QAbstractItemModel::modelAboutToBeReset, this, &PesquisaFiltroModel::beginResetModel);
    connect(m_origem, &QAbstractItemModel::modelReset, this, [this] {
        descartaChaves();
        m_marcas.clear(); // kept by source row, which a reset renumbers
        const QStringList termos = m_termos;
        m_termos.clear();
        m_linhas.clear();
        m_filtrado = false;
        endResetModel();
        if (!termos.isEmpty()) {
            const QString filtro = m_filtro;
            m_filtro.clear();
            setFiltro(filtro);
        }
    });
    connect(m_origem, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
}

int PesquisaFiltroModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_filtrado ? int(m_linhas.size()) : m_origem->rowCount();
}

int PesquisaFiltroModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_origem->columnCount() + (m_marcas.isEmpty() ? 0 : 1);
}

QVariant PesquisaFiltroModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int origem = linhaOrigem(index.row());
    if (origem < 0)
        return {};
    if (index.column() == colunaMarcas()) {
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return m_marcas.value(origem);
        return {};
    }
    return m_origem->data(m_origem->index(origem, index.column()), role);
}

QVariant PesquisaFiltroModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == colunaMarcas())
        return role == Qt::DisplayRole ? QVariant(m_tituloMarcas) : QVariant();
    return m_origem->headerData(section, orientation, role);
}

void PesquisaFiltroModel::setMarcas(const QHash<int, QString>& marcas, const QString& titulo) {
    beginResetModel();
    m_marcas = marcas;
    m_tituloMarcas = titulo;
    endResetModel();
}

QString PesquisaFiltroModel::marca(int linha) const {
    return m_marcas.value(linhaOrigem(linha));
}

int PesquisaFiltroModel::colunaMarcas() const {
    return m_marcas.isEmpty() ? -1 : m_origem->columnCount();
}

int PesquisaFiltroModel::linhaOrigem(int linha) const {
    if (linha < 0 || linha >= rowCount())
        return -1;
    return m_filtrado ? m_linhas.at(linha) : linha;
}

int PesquisaFiltroModel::linhaDe(int linhaOrigem) const {
    if (!m_filtrado)
        return linhaOrigem >= 0 && linhaOrigem < m_origem->rowCount() ? linhaOrigem : -1;
    const auto it = std::lower_bound(m_linhas.cbegin(), m_linhas.cend(), linhaOrigem);
    return it != m_linhas.cend() && *it == linhaOrigem ? int(it - m_linhas.cbegin()) : -1;
}

void PesquisaFiltroModel::setFiltro(const QString& texto) {
    if (texto == m_filtro)
        return;
    const QStringList termos = termosDe(texto);
    m_filtro = texto;
    if (termos == m_termos)
        return; // only blanks changed
    beginResetModel();
    if (termos.isEmpty()) {
        m_filtrado = false;
        m_linhas.clear();
    } else {
        montaChaves();
        std::vector<QByteArray> bytes;
        bool separador = false;
        for (const QString& termo : termos) {
            bytes.push_back(termo.toUtf8());
            separador = separador || bytes.back().contains(kFimDeLinha);
        }
        const bool soRestantes = m_filtrado && estreita(m_termos, termos);
        if (soRestantes || separador) {
            QList<int> candidatas;
            if (soRestantes)
                candidatas.swap(m_linhas);
            m_linhas.clear();
            const int total = soRestantes ? int(candidatas.size()) : int(m_fins.size());
            for (int i = 0; i < total; ++i) {
                const int linha = soRestantes ? candidatas.at(i) : i;
                if (casa(linha, bytes))
                    m_linhas.append(linha);
            }
        } else {
            procuraEmTudo(bytes);
        }
        m_filtrado = true;
    }
    m_termos = termos;
    endResetModel();
}

std::string_view PesquisaFiltroModel::chave(int linhaOrigem) const {
    const size_t linha = size_t(linhaOrigem);
    const qsizetype inicio = linha == 0 ? 0 : m_fins[linha - 1] + 1;
    return {m_chaves.constData() + inicio, size_t(m_fins[linha] - inicio)};
}

// A substring of UTF-8 text found by its bytes is a substring of its
// characters: a sequence never begins inside another.
bool PesquisaFiltroModel::casa(int linhaOrigem, const std::vector<QByteArray>& termos) const {
    const std::string_view texto = chave(linhaOrigem);
    for (const QByteArray& termo : termos) {
        if (texto.find(std::string_view(termo.constData(), size_t(termo.size()))) == std::string_view::npos)
            return false;
    }
    return true;
}

// Every row: the first term sought through the whole block (no term holds
// the row separator, so no match spans two rows), the other terms in each
// row it was found in. The row of a match is found by walking the row ends
// on from the last match: one pass over them in all, in memory order.
void PesquisaFiltroModel::procuraEmTudo(const std::vector<QByteArray>& termos) {
    m_linhas.clear();
    const std::vector<QByteArray> outros(termos.begin() + 1, termos.end());
    const char* inicio = m_chaves.constData();
    const size_t total = size_t(m_chaves.size());
    const QByteArray& primeiro = termos.front();
    const qsizetype* fins = m_fins.data();
    size_t em = 0;
    size_t linha = 0;
    while (em < total) {
        const void* achado = memmem(inicio + em, total - em, primeiro.constData(), size_t(primeiro.size()));
        if (!achado)
            break;
        const qsizetype posicao = static_cast<const char*>(achado) - inicio;
        while (fins[linha] < posicao)
            ++linha;
        if (outros.empty() || casa(int(linha), outros))
            m_linhas.append(int(linha));
        em = size_t(fins[linha]) + 1;
        ++linha;
    }
}

void PesquisaFiltroModel::montaChaves() {
    const int linhas = m_origem->rowCount();
    if (m_fins.size() == size_t(linhas))
        return;
    const int colunas = m_origem->columnCount();
    m_chaves.clear();
    m_fins.clear();
    m_fins.reserve(size_t(linhas));
    for (int r = 0; r < linhas; ++r) {
        QString chave;
        for (int c = 0; c < colunas; ++c) {
            if (c > 0)
                chave += kSeparador;
            chave += dobra(m_origem->data(m_origem->index(r, c), Qt::DisplayRole).toString());
        }
        m_chaves += chave.toUtf8();
        m_fins.push_back(m_chaves.size());
        m_chaves += kFimDeLinha;
    }
    m_chaves.squeeze();
}

void PesquisaFiltroModel::descartaChaves() {
    m_chaves = QByteArray();
    m_fins = {};
}

namespace {

QString dobraLenta(const QString& texto) {
    const QString decomposto = texto.normalized(QString::NormalizationForm_D);
    QString saida;
    saida.reserve(decomposto.size());
    for (const QChar c : decomposto) {
        if (c.category() != QChar::Mark_NonSpacing)
            saida += c;
    }
    return saida.toCaseFolded();
}

// Folded form of each Latin-1 character, taken from the full folding above;
// 0 where it is not one character (then the full folding runs).
const std::array<char16_t, 256>& tabelaLatin1() {
    static const std::array<char16_t, 256> tabela = [] {
        std::array<char16_t, 256> t{};
        for (int u = 0; u < 256; ++u) {
            const QString f = dobraLenta(QString(QChar(u)));
            t[size_t(u)] = f.size() == 1 ? f.at(0).unicode() : 0;
        }
        return t;
    }();
    return tabela;
}

} // namespace

QString PesquisaFiltroModel::dobra(const QString& texto) {
    if (somenteAscii(texto))
        return texto.toLower();
    // Portuguese text stays within Latin-1: one table look-up per character.
    const auto& tabela = tabelaLatin1();
    QString saida(texto.size(), Qt::Uninitialized);
    QChar* destino = saida.data();
    for (const QChar c : texto) {
        const char16_t u = c.unicode();
        const char16_t f = u < 256 ? tabela[u] : 0;
        if (f == 0 && u != 0)
            return dobraLenta(texto);
        *destino++ = QChar(f);
    }
    return saida;
}
