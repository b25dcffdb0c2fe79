#pragma once
// Keyboard and search screens. Each is reached through a variable holding its
// entry routine; callers (and tests) may assign their own. Both take an
// optional options struct after their fixed arguments.

#include <RotinaComOpcoes.h>

#include <QList>
#include <QString>

class ClientDataSet;

struct OpcoesTeclado {
    QString titulo;       // what is typed and for which button; empty: a plain heading
    QString textoInicial; // shown selected, so typing replaces it and a cursor key edits it
    int limite = 0;       // most characters the text may have; 0: no limit
};

// A product already on the menu, so the search list can say where.
struct ProdutoNoCardapio {
    QString codigo; // CDPRODUTO; empty when only the caption is known
    QString nome;   // the caption on the button, matched against NMPRODUTO when there is no code
    QString local;  // shown in the row, e.g. "Lanches / 03"
};

struct OpcoesPesquisa {
    QString titulo;                      // heading over the list; empty: none
    QList<ProdutoNoCardapio> noCardapio; // marked in their rows; they can still be picked
};

// Shows the on-screen keyboard; returns the typed text, empty when left.
using TTecladoAlfaNumerico = RotinaComOpcoes<QString(int, int, int, int), OpcoesTeclado>;
extern TTecladoAlfaNumerico TecladoAlfaNumerico;

// Shows a search list over the visible fields of the dataset, coloured in the
// four colours; true when a row was picked, which is then the current row.
using TPesquisa = RotinaComOpcoes<bool(ClientDataSet* dataSet, int p2, const QString& p3, int cor1, int cor2, int cor3,
                                       int cor5, int p8),
                                  OpcoesPesquisa>;
extern TPesquisa Pesquisa;
