#pragma once
// A picture brought into the picture folder from elsewhere (a USB stick): the
// file is copied under its own name, shrunk to at most twice the largest
// button, and never put over another file: a file of the same name and other
// content makes the copy take a new name ("nome (2).png"); the same content
// already there is used as it is.

#include <QSize>
#include <QString>

namespace PictureImport {

// Where sticks are mounted: KALMORA_IMPORTA_IMAGENS, else "/media".
QString raiz();

// The largest button of the screen (a group button is 105x47, a product
// button 75x53) and the size an imported picture is shrunk to fit.
inline constexpr QSize kMaiorBotao{105, 53};
inline constexpr QSize kTamanhoMaximo{2 * kMaiorBotao.width(), 2 * kMaiorBotao.height()};

struct Resultado {
    bool ok = false;
    QString referencia; // the name in the picture folder
    QString erro;       // for the operator, in Portuguese; the detail goes to the log
};

// Copies the picture at origem into the folder (created when missing).
Resultado importa(const QString& origem, const QString& pasta, QSize maximo = kTamanhoMaximo);

// The name under which content can go into the folder without replacing
// another file: nome itself when it is free or holds the same bytes, else
// "base (n).ext" with the first free n.
QString nomeLivre(const QString& pasta, const QString& nome, const QByteArray& conteudo);

} // namespace PictureImport
