#pragma once
// The sheets a printed menu is made of, worked out from every item of a
// configuration (as the data service exports it): one sheet per group page,
// after each the product pages of its groups, and at the end the list of
// every product on the menu. Only what the sheets show; no drawing here.

#include <DataPacket.h>

#include <QList>
#include <QString>

struct BotaoFolha {
    int posicao = 0; // 1 to 12 on a group page, 1 to 36 on a product page
    QString tipo;    // IDTPBUTTON
    QString legenda; // DSBUTTON
    int fundo = 0;   // NRCOLORBACK, a Windows colour value
    int fonte = 0;   // NRCOLORTEXT
    QString imagem;  // DSIMAGEMBUT, the picture reference
};

struct ProdutoListado {
    QString grupo; // the group's caption, or its position when it has none
    int paginaGrupo = 0;
    int botaoGrupo = 0;
    int pagina = 0; // the product page
    int posicao = 0;
    QString legenda;
    QString codigo; // CDIDENTBUTON
};

struct FolhaMenu {
    enum class Tipo { Grupos, Produtos, Lista };
    Tipo tipo = Tipo::Grupos;
    int paginaGrupo = 0;            // Grupos, Produtos: the group page
    int botaoGrupo = 0;             // Produtos: the group's position
    QString grupo;                  // Produtos: the group's caption
    int pagina = 0;                 // Produtos: the product page; Lista: the list's sheet, from 1
    QList<BotaoFolha> botoes;       // Grupos, Produtos: the filled positions
    QList<ProdutoListado> produtos; // Lista: the products of this sheet
};

// Products listed on one sheet of the list.
inline constexpr int kProdutosPorFolha = 32;

// Every sheet, in print order. An empty configuration gives one empty group
// page and a list sheet without products.
QList<FolhaMenu> montaFolhas(const DataPacket& itens);
