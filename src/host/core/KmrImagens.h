#pragma once
#include <QString>

// The folder of the buttons' pictures, looked up in order: the environment
// variable KALMORA_IMAGENS; the folder "imagens" beside the embedded
// database, when it exists; the folder named on the first line of
// "kalmora/kalmora.imagens" in $XDG_CONFIG_HOME (~/.config), then in each
// folder of $XDG_CONFIG_DIRS (/etc/xdg); else the folder "imagens" beside the
// embedded database (where a picture brought in is put, created on demand).
QString pastaImagens();

// The file a button's picture reference names: an absolute path as it
// stands, a relative one inside the picture folder; "" for an empty
// reference.
QString caminhoImagem(const QString& referencia);
