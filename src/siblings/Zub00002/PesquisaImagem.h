#pragma once
// The picture picker, reached like the other sibling screens through a
// variable holding its entry routine (tests assign their own).

#include <RotinaComOpcoes.h>

#include <QString>

struct OpcoesPesquisaImagem {
    QString titulo; // heading over the pictures; empty: none
    QString atual;  // the reference the button has now, selected when shown
    // Screen colours (Windows colour values): background, list, selection.
    int cor1 = 0xF0F0F0;
    int cor2 = 0xFFFFFF;
    int cor5 = 0x9C4E1F;
};

// What the operator chose: nothing (escolheu false), "Sem imagem" (an empty
// reference) or a picture (its reference, relative to the folder).
struct ImagemEscolhida {
    bool escolheu = false;
    QString referencia;
};

// Shows the pictures of the folder as large thumbnails with their names.
using TPesquisaImagem = RotinaComOpcoes<ImagemEscolhida(const QString& pasta), OpcoesPesquisaImagem>;
extern TPesquisaImagem PesquisaImagem;
