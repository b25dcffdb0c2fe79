#pragma once
// The comparison of two sales-screen configurations, button by button: the
// items of each (a configuration read from the store, or an export file read
// back) become buttons keyed by their position (type, button, page and the
// parent link), and every position that differs gives one line in
// Portuguese. Pure: no store, no file.
//
// Compared: a button added or removed, its caption, its two colours, its
// product code and its picture reference. The branch and configuration
// columns are not (an export of one configuration compares with another), nor
// the button message or the moment of insertion.

#include <DataPacket.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace ConfigDiff {

struct Botao {
    // The position, compared as text ("1" and "01" are different positions).
    QString tipo;      // IDTPBUTTON
    QString botao;     // NRBUTTON
    QString pagina;    // NRPGCONFTELA
    QString tipoPai;   // IDTPBUTONAUX: "0" on the group page, "2" under a group
    QString botaoPai;  // NRBUTTONAUX
    QString paginaPai; // NRPGCONFTAUX
    // What the button shows and sells; a missing text is an empty one.
    QString nome;                   // DSBUTTON
    QString produto;                // CDIDENTBUTON
    QString imagem;                 // DSIMAGEMBUT
    std::optional<double> corTexto; // NRCOLORTEXT; none when not stored
    std::optional<double> corFundo; // NRCOLORBACK

    bool noGrupo() const { return tipoPai != QLatin1String("0"); }
};

// The columns compared, each as a bit: a file may leave a column out, and
// what it does not hold is not compared.
enum Campo : unsigned { Nome = 1, Produto = 2, Imagem = 4, CorTexto = 8, CorFundo = 16, Todos = 31 };

struct Itens {
    QList<Botao> botoes;
    unsigned campos = Todos; // the columns the items carry
};

// The items of a packet as buttons, or why not, in Portuguese and to follow
// a colon: a position column missing, an item without its position, a colour
// that is not a number, two items at one position. An item is named by its
// DSLOCALITEM column when the packet has one ("linha 7 do arquivo"), else by
// its number ("item 3").
std::variant<Itens, QString> botoes(const DataPacket& itens);

// One line per position that differs, from antes to depois: buttons of the
// group pages first (by page, then button), then the products (by group page
// and button, then page and button). Empty when both hold the same buttons.
// A column is compared when both sides carry it.
QStringList diferencas(const Itens& antes, const Itens& depois);

// A colour as the lines show it: "11571344 (#9090B0)"; "(sem cor)" for none.
QString textoCor(const std::optional<double>& cor);

} // namespace ConfigDiff
