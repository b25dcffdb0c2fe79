#pragma once
// Colour selection screen, reached through a variable holding its entry routine.

#include <RotinaComOpcoes.h>

#include <QString>
#include <QVariant>

struct OpcoesCor {
    QString titulo; // which colour is chosen, e.g. "Cor de fundo"; empty: "Escolha a cor"
};

// arParams: a list of one empty text. result: a QVariantList of ten elements;
// on return element 0 holds the chosen colour as decimal text, or "X".
using TCriaTelaKmr00006 = RotinaComOpcoes<void(const QVariantList& arParams, QVariant& result), OpcoesCor>;
extern TCriaTelaKmr00006 CriaTelaKmr00006;
