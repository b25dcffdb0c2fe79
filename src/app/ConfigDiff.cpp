#include "ConfigDiff.h"

#include <QHash>
#include <QMap>

#include <algorithm>
#include <cmath>

namespace ConfigDiff {

namespace {

const char* const kPosicao[] = {"IDTPBUTTON",   "NRBUTTON",    "NRPGCONFTELA",
                                "IDTPBUTONAUX", "NRBUTTONAUX", "NRPGCONFTAUX"};

// Where an item stands, as one text: the six position columns.
QString chave(const Botao& b) {
    return QStringList{b.tipo, b.botao, b.pagina, b.tipoPai, b.botaoPai, b.paginaPai}.join(QChar(0x1F));
}

// Positions and pages are numbers written as text: compared as numbers when
// both are, so that page 10 comes after page 9.
int comparaNumero(const QString& a, const QString& b) {
    bool okA = false, okB = false;
    const qlonglong na = a.toLongLong(&okA), nb = b.toLongLong(&okB);
    if (okA && okB && na != nb)
        return na < nb ? -1 : 1;
    return QString::compare(a, b);
}

bool vemAntes(const Botao& a, const Botao& b) {
    if (a.noGrupo() != b.noGrupo())
        return !a.noGrupo();
    const QString* ordemA[] = {&a.paginaPai, &a.botaoPai, &a.pagina, &a.botao, &a.tipo, &a.tipoPai};
    const QString* ordemB[] = {&b.paginaPai, &b.botaoPai, &b.pagina, &b.botao, &b.tipo, &b.tipoPai};
    for (int i = 0; i < 6; ++i)
        if (const int c = comparaNumero(*ordemA[i], *ordemB[i]); c != 0)
            return c < 0;
    return false;
}

QString nomeDoTipo(const QString& tipo) {
    static const QHash<QString, QString> nomes{
        {QStringLiteral("2"), QStringLiteral("Grupo")},
        {QStringLiteral("7"), QStringLiteral("Navegador direito dos grupos")},
        {QStringLiteral("8"), QStringLiteral("Navegador esquerdo dos grupos")},
        {QStringLiteral("1"), QStringLiteral("Produto")},
        {QStringLiteral("9"), QStringLiteral("Navegador direito dos produtos")},
        {QStringLiteral("A"), QStringLiteral("Navegador esquerdo dos produtos")},
    };
    return nomes.value(tipo, QStringLiteral("Botão de tipo \"%1\"").arg(tipo));
}

// A text in quotes on one line: a line break inside a caption shows as "↵",
// so that each button stays one line of the output.
QString aspas(QString texto) {
    texto.replace(QLatin1String("\r\n"), QStringLiteral("↵")).replace(QLatin1Char('\n'), QStringLiteral("↵"));
    texto.replace(QLatin1Char('\r'), QStringLiteral("↵")).replace(QLatin1Char('\t'), QLatin1Char(' '));
    return QLatin1Char('"') + texto + QLatin1Char('"');
}

// The captions of the groups, by their position on the group pages, so that
// a product is named under its group.
using NomesDosGrupos = QHash<QString, QString>;

QString posicaoDoGrupo(const QString& pagina, const QString& botao) {
    return pagina + QChar(0x1F) + botao;
}

void acrescentaGrupos(NomesDosGrupos& nomes, const QList<Botao>& botoes) {
    for (const Botao& b : botoes)
        if (!b.noGrupo() && b.tipo == QLatin1String("2") && !b.nome.isEmpty())
            nomes.insert(posicaoDoGrupo(b.pagina, b.botao), b.nome);
}

// "Grupo p.1 / 03" or "Produto Lanches / p.2 / 07 (grupo p.1 / 05)".
QString rotulo(const Botao& b, const NomesDosGrupos& grupos) {
    const QString lugar = QStringLiteral("p.%1 / %2").arg(b.pagina, b.botao);
    QString texto;
    if (!b.noGrupo()) {
        texto = nomeDoTipo(b.tipo) + QLatin1Char(' ') + lugar;
    } else {
        const QString grupo = QStringLiteral("grupo p.%1 / %2").arg(b.paginaPai, b.botaoPai);
        const QString nomeGrupo = grupos.value(posicaoDoGrupo(b.paginaPai, b.botaoPai));
        texto = nomeGrupo.isEmpty()
                    ? QStringLiteral("%1 %2 do %3").arg(nomeDoTipo(b.tipo), lugar, grupo)
                    : QStringLiteral("%1 %2 / %3 (%4)").arg(nomeDoTipo(b.tipo), nomeGrupo, lugar, grupo);
    }
    if (!b.nome.isEmpty())
        texto += QLatin1Char(' ') + aspas(b.nome);
    return texto;
}

bool mesmaCor(const std::optional<double>& a, const std::optional<double>& b) {
    return a.has_value() == b.has_value() && (!a || *a == *b);
}

QString textoOuNada(const QString& texto, const QString& nada) {
    return texto.isEmpty() ? nada : aspas(texto);
}

// What changed on one position, in the order the operator looks at a button.
QStringList mudancas(const Botao& a, const Botao& d, unsigned campos) {
    QStringList lista;
    const QString seta = QStringLiteral(" → ");
    if ((campos & Nome) && a.nome != d.nome)
        lista << QStringLiteral("nome ") + textoOuNada(a.nome, QStringLiteral("(vazio)")) + seta +
                     textoOuNada(d.nome, QStringLiteral("(vazio)"));
    if ((campos & CorFundo) && !mesmaCor(a.corFundo, d.corFundo))
        lista << QStringLiteral("cor do botão ") + textoCor(a.corFundo) + seta + textoCor(d.corFundo);
    if ((campos & CorTexto) && !mesmaCor(a.corTexto, d.corTexto))
        lista << QStringLiteral("cor do texto ") + textoCor(a.corTexto) + seta + textoCor(d.corTexto);
    if ((campos & Produto) && a.produto != d.produto)
        lista << QStringLiteral("produto ") + textoOuNada(a.produto, QStringLiteral("(nenhum)")) + seta +
                     textoOuNada(d.produto, QStringLiteral("(nenhum)"));
    if ((campos & Imagem) && a.imagem != d.imagem)
        lista << QStringLiteral("imagem ") + textoOuNada(a.imagem, QStringLiteral("(nenhuma)")) + seta +
                     textoOuNada(d.imagem, QStringLiteral("(nenhuma)"));
    return lista;
}

// A refusal of the items read, in Portuguese.
struct Recusa {
    QString texto;
};

struct Leitor {
    const DataPacket& itens;
    int colunas[6] = {};
    int nome = -1, produto = -1, imagem = -1, corTexto = -1, corFundo = -1, local = -1;

    QString ondeEsta(int r) const {
        QString texto = local >= 0 ? itens.text(r, local) : QString();
        if (texto.isEmpty())
            return QStringLiteral("item %1").arg(r + 1);
        texto[0] = texto[0].toLower();
        return texto;
    }

    QString texto(int r, int c) const { return c >= 0 ? itens.text(r, c) : QString(); }

    std::optional<double> cor(int r, int c, const char* coluna) const {
        if (c < 0 || itens.isNull(r, c))
            return std::nullopt;
        const QVariant v = itens.value(r, c);
        bool ok = false;
        const double valor = v.typeId() == QMetaType::Double ? v.toDouble(&ok) : v.toString().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(valor))
            throw Recusa{QStringLiteral("%1: a cor \"%2\" da coluna %3 não é um número.")
                             .arg(ondeEsta(r), v.toString().left(30), QLatin1String(coluna))};
        return valor;
    }

    Botao botao(int r) const {
        QString posicao[6];
        for (int i = 0; i < 6; ++i) {
            posicao[i] = itens.text(r, colunas[i]);
            if (posicao[i].isEmpty())
                throw Recusa{QStringLiteral("%1: a coluna de posição %2 está vazia.")
                                 .arg(ondeEsta(r), QLatin1String(kPosicao[i]))};
        }
        return Botao{posicao[0],
                     posicao[1],
                     posicao[2],
                     posicao[3],
                     posicao[4],
                     posicao[5],
                     texto(r, nome),
                     texto(r, produto),
                     texto(r, imagem),
                     cor(r, corTexto, "NRCOLORTEXT"),
                     cor(r, corFundo, "NRCOLORBACK")};
    }
};

} // namespace

std::variant<Itens, QString> botoes(const DataPacket& itens) {
    Leitor leitor{itens};
    for (int i = 0; i < 6; ++i) {
        leitor.colunas[i] = itens.indexOf(QString::fromLatin1(kPosicao[i]));
        if (leitor.colunas[i] < 0)
            return QStringLiteral("falta a coluna de posição %1.").arg(QLatin1String(kPosicao[i]));
    }
    leitor.nome = itens.indexOf(u"DSBUTTON");
    leitor.produto = itens.indexOf(u"CDIDENTBUTON");
    leitor.imagem = itens.indexOf(u"DSIMAGEMBUT");
    leitor.corTexto = itens.indexOf(u"NRCOLORTEXT");
    leitor.corFundo = itens.indexOf(u"NRCOLORBACK");
    leitor.local = itens.indexOf(u"DSLOCALITEM");
    Itens lidos;
    const std::pair<int, Campo> campos[] = {{leitor.nome, Nome},
                                            {leitor.produto, Produto},
                                            {leitor.imagem, Imagem},
                                            {leitor.corTexto, CorTexto},
                                            {leitor.corFundo, CorFundo}};
    lidos.campos = 0;
    for (const auto& [coluna, campo] : campos)
        if (coluna >= 0)
            lidos.campos |= campo;
    QList<Botao>& lista = lidos.botoes;
    lista.reserve(itens.rowCount());
    QHash<QString, int> vistos;
    try {
        for (int r = 0; r < itens.rowCount(); ++r) {
            Botao b = leitor.botao(r);
            const QString k = chave(b);
            if (const auto outro = vistos.constFind(k); outro != vistos.cend())
                return QStringLiteral("%1: a mesma posição de %2.")
                    .arg(leitor.ondeEsta(r), leitor.ondeEsta(outro.value()));
            vistos.insert(k, r);
            lista.append(std::move(b));
        }
    } catch (const Recusa& recusa) {
        return recusa.texto;
    }
    return lidos;
}

QStringList diferencas(const Itens& itensAntes, const Itens& itensDepois) {
    const QList<Botao>& antes = itensAntes.botoes;
    const QList<Botao>& depois = itensDepois.botoes;
    const unsigned campos = itensAntes.campos & itensDepois.campos;
    QHash<QString, const Botao*> deAntes, deDepois;
    for (const Botao& b : antes)
        deAntes.insert(chave(b), &b);
    for (const Botao& b : depois)
        deDepois.insert(chave(b), &b);
    // A product is named under the group it has now, else the one it had.
    NomesDosGrupos grupos;
    acrescentaGrupos(grupos, antes);
    acrescentaGrupos(grupos, depois);

    struct Linha {
        const Botao* onde;
        QString texto;
    };
    QList<Linha> linhas;
    for (const Botao& a : antes) {
        const Botao* d = deDepois.value(chave(a));
        if (d == nullptr) {
            linhas.append({&a, rotulo(a, grupos) + QStringLiteral(": excluído")});
            continue;
        }
        const QStringList lista = mudancas(a, *d, campos);
        if (!lista.isEmpty())
            linhas.append({&a, rotulo(a, grupos) + QStringLiteral(": ") + lista.join(QStringLiteral("; "))});
    }
    for (const Botao& d : depois)
        if (!deAntes.contains(chave(d)))
            linhas.append({&d, rotulo(d, grupos) + QStringLiteral(": incluído")});
    std::stable_sort(linhas.begin(), linhas.end(),
                     [](const Linha& x, const Linha& y) { return vemAntes(*x.onde, *y.onde); });
    QStringList texto;
    texto.reserve(linhas.size());
    for (const Linha& l : linhas)
        texto << l.texto;
    return texto;
}

QString textoCor(const std::optional<double>& cor) {
    if (!cor)
        return QStringLiteral("(sem cor)");
    const double v = *cor;
    if (v >= 0 && v <= 0xFFFFFF && v == std::floor(v)) {
        const int bgr = int(v);
        const int rgb = ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
        return QStringLiteral("%1 (#%2)").arg(bgr).arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
    }
    return QString::number(v, 'g', 15);
}

} // namespace ConfigDiff
