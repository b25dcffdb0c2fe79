#pragma once
// Keyboard and search screens. Each is reached through a variable holding its
// entry routine; callers (and tests) may assign their own.

#include <QString>

#include <functional>

class ClientDataSet;

// Shows the on-screen keyboard; returns the typed text, empty when left.
using TTecladoAlfaNumerico = std::function<QString(int, int, int, int)>;
extern TTecladoAlfaNumerico TecladoAlfaNumerico;

// Shows a search list over the visible fields of the dataset, coloured in the
// four colours; true when a row was picked, which is then the current row.
using TPesquisa = std::function<bool(ClientDataSet* dataSet, int p2, const QString& p3, int cor1, int cor2,
                                     int cor3, int cor5, int p8)>;
extern TPesquisa Pesquisa;
