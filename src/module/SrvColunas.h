#pragma once
// The columns of a menu item (table ITMENUCONFTE), in the order of the store
// and of an exported configuration: one table for the width checks of every
// write, the checks of an import, and the launcher's option checks. A test
// holds it against both schema files in db/.

#include <DataPacket.h>

#include <QStringView>

#include <span>

namespace SrvColunas {

struct Coluna {
    const char* nome;
    FieldKind tipo;
    int largura;         // in characters; 0 for a number or a moment
    bool chave;          // one of the eight key columns
    const char* palavra; // as the operator knows it (after "de" in a text)
};

// Every column of a menu item, the key first.
std::span<const Coluna> colunas();

// The column named (a column name, or a parameter name such as
// "P_NRBUTTON_ANT"); null when the menu item has none of that name.
const Coluna* coluna(QStringView nome);

// The width of a text column by its name (as coluna()); -1 when it has none.
int largura(QStringView nome);

} // namespace SrvColunas
