#include "MenuSheets.h"

#include <QMap>

#include <algorithm>
#include <tuple>

namespace {

bool itemDeGrupo(const QString& tipo) {
    return tipo == QLatin1String("2") || tipo == QLatin1String("7") || tipo == QLatin1String("8");
}

bool itemDeProduto(const QString& tipo) {
    return tipo == QLatin1String("1") || tipo == QLatin1String("9") || tipo == QLatin1String("A");
}

// A page or position as the store writes it ("1", "05"); 0 when it is none.
int numero(const QString& texto) {
    bool ok = false;
    const int n = texto.trimmed().toInt(&ok);
    return ok && n > 0 ? n : 0;
}

struct Item {
    QString tipo;
    int posicao, pagina, botaoPai, paginaPai;
    BotaoFolha botao;
    QString codigo;
};

// The items of the packet with the columns the sheets need.
QList<Item> itensDe(const DataPacket& p) {
    const int cTipo = p.indexOf(u"IDTPBUTTON"), cBotao = p.indexOf(u"NRBUTTON"), cPagina = p.indexOf(u"NRPGCONFTELA"),
              cAux = p.indexOf(u"IDTPBUTONAUX"), cBotaoPai = p.indexOf(u"NRBUTTONAUX"),
              cPaginaPai = p.indexOf(u"NRPGCONFTAUX"), cLegenda = p.indexOf(u"DSBUTTON"),
              cFundo = p.indexOf(u"NRCOLORBACK"), cFonte = p.indexOf(u"NRCOLORTEXT"),
              cCodigo = p.indexOf(u"CDIDENTBUTON"), cImagem = p.indexOf(u"DSIMAGEMBUT");
    QList<Item> itens;
    if (cTipo < 0 || cBotao < 0 || cPagina < 0)
        return itens;
    const auto texto = [&p](int r, int c) { return c < 0 ? QString() : p.text(r, c); };
    for (int r = 0; r < p.rowCount(); ++r) {
        Item i;
        i.tipo = texto(r, cTipo);
        i.posicao = numero(texto(r, cBotao));
        i.pagina = numero(texto(r, cPagina));
        i.botaoPai = numero(texto(r, cBotaoPai));
        i.paginaPai = numero(texto(r, cPaginaPai));
        if (itemDeProduto(i.tipo) && texto(r, cAux) != QLatin1String("2"))
            continue; // a product item without a group button is on no page
        i.botao =
            BotaoFolha{i.posicao,        i.tipo, texto(r, cLegenda), int(p.number(r, cFundo)), int(p.number(r, cFonte)),
                       texto(r, cImagem)};
        if (cFundo < 0 || p.isNull(r, cFundo))
            i.botao.fundo = 11571344;
        i.codigo = texto(r, cCodigo);
        itens.append(std::move(i));
    }
    return itens;
}

void ordena(QList<BotaoFolha>& botoes) {
    std::stable_sort(botoes.begin(), botoes.end(),
                     [](const BotaoFolha& a, const BotaoFolha& b) { return a.posicao < b.posicao; });
}

} // namespace

QList<FolhaMenu> montaFolhas(const DataPacket& pacote) {
    const QList<Item> itens = itensDe(pacote);
    // Group pages, and per group position its product pages.
    QMap<int, QList<BotaoFolha>> paginasGrupo;
    QMap<std::tuple<int, int, int>, QList<BotaoFolha>> paginasProduto; // (group page, group button, product page)
    QMap<std::pair<int, int>, QString> nomesGrupo;
    for (const Item& i : itens) {
        if (i.pagina == 0)
            continue;
        if (itemDeGrupo(i.tipo)) {
            if (i.posicao >= 1 && i.posicao <= 12)
                paginasGrupo[i.pagina].append(i.botao);
            if (i.tipo == QLatin1String("2"))
                nomesGrupo[{i.pagina, i.posicao}] = i.botao.legenda;
        } else if (itemDeProduto(i.tipo) && i.paginaPai > 0 && i.botaoPai > 0) {
            paginasGrupo[i.paginaPai]; // the group page is printed even when it shows nothing
            QList<BotaoFolha>& pagina = paginasProduto[{i.paginaPai, i.botaoPai, i.pagina}];
            if (i.posicao >= 1 && i.posicao <= 36)
                pagina.append(i.botao);
        }
    }
    if (paginasGrupo.isEmpty())
        paginasGrupo[1];
    const auto nomeGrupo = [&nomesGrupo](int pagina, int botao) {
        const QString nome = nomesGrupo.value({pagina, botao});
        return nome.isEmpty() ? QStringLiteral("botão %1 sem grupo").arg(botao, 2, 10, QLatin1Char('0')) : nome;
    };

    QList<FolhaMenu> folhas;
    for (auto g = paginasGrupo.begin(); g != paginasGrupo.end(); ++g) {
        FolhaMenu folha;
        folha.tipo = FolhaMenu::Tipo::Grupos;
        folha.paginaGrupo = g.key();
        folha.botoes = g.value();
        ordena(folha.botoes);
        folhas.append(folha);
        for (auto p = paginasProduto.lowerBound({g.key(), 0, 0});
             p != paginasProduto.end() && std::get<0>(p.key()) == g.key(); ++p) {
            FolhaMenu produtos;
            produtos.tipo = FolhaMenu::Tipo::Produtos;
            produtos.paginaGrupo = g.key();
            produtos.botaoGrupo = std::get<1>(p.key());
            produtos.pagina = std::get<2>(p.key());
            produtos.grupo = nomeGrupo(g.key(), produtos.botaoGrupo);
            produtos.botoes = p.value();
            ordena(produtos.botoes);
            folhas.append(produtos);
        }
    }

    // Every product (not the navigators), in the order of the sheets.
    QList<ProdutoListado> lista;
    for (const Item& i : itens) {
        if (i.tipo != QLatin1String("1"))
            continue;
        lista.append(ProdutoListado{nomeGrupo(i.paginaPai, i.botaoPai), i.paginaPai, i.botaoPai, i.pagina, i.posicao,
                                    i.botao.legenda, i.codigo});
    }
    std::stable_sort(lista.begin(), lista.end(), [](const ProdutoListado& a, const ProdutoListado& b) {
        return std::tie(a.paginaGrupo, a.botaoGrupo, a.pagina, a.posicao) <
               std::tie(b.paginaGrupo, b.botaoGrupo, b.pagina, b.posicao);
    });
    int n = 0;
    do {
        FolhaMenu folha;
        folha.tipo = FolhaMenu::Tipo::Lista;
        folha.pagina = n / kProdutosPorFolha + 1;
        folha.produtos = lista.mid(n, kProdutosPorFolha);
        folhas.append(folha);
        n += kProdutosPorFolha;
    } while (n < lista.size());
    return folhas;
}
