#pragma once
// Colour selection screen, reached through a variable holding its entry routine.

#include <QVariant>

#include <functional>

// arParams: a list of one empty text. result: a QVariantList of ten elements;
// on return element 0 holds the chosen colour as decimal text, or "X".
using TCriaTelaKmr00006 = std::function<void(const QVariantList& arParams, QVariant& result)>;
extern TCriaTelaKmr00006 CriaTelaKmr00006;
