#pragma once
// Pictures of the configuration screen, drawn in code so that the module
// carries no image files.

#include <QPixmap>
#include <QString>

namespace KmrPictures {
// Arrow of a group-page navigator: right for the right navigator ("7"),
// left for the left one ("8").
QPixmap setaNavegador(bool direita);
// Picture of a tool button, by the button's name ("tcbLimpar", ...); a null
// pixmap for an unknown name.
QPixmap ferramenta(const QString& nome);
} // namespace KmrPictures
