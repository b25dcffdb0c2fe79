#pragma once
// The pictures of a configuration carried with its export file: the files
// the items name (DSIMAGEMBUT) are copied into the folder "FILE.imagens"
// beside the file, each under the reference it has there, relative to that
// folder; an import of FILE copies them from that folder into the picture
// folder. A different file already there under the same name is never
// replaced: the picture comes in under a new name ("nome (2).png") and the
// items that name it are pointed at it.

#include <DataPacket.h>

#include <QHash>
#include <QString>
#include <QStringList>

namespace ConfigPictures {

// The folder of the pictures beside an export file.
QString pastaDoArquivo(const QString& arquivo);

struct Exportadas {
    int copiadas = 0;
    QStringList faltando; // references whose file was not found or not readable
};

// Copies the pictures the items name into the folder beside arquivo and
// makes the items' references relative to it (an absolute reference becomes
// its file name). False, with the operator's text in erro, when the folder
// cannot be written.
bool exporta(DataPacket& pacote, const QString& arquivo, Exportadas& feito, QString& erro);

struct Importadas {
    int copiadas = 0;
    int jaExistiam = 0;            // the same file was already in the picture folder
    QHash<QString, QString> novos; // reference in the file -> name taken in the picture folder
    QStringList faltando;          // references the folder beside the file does not hold
    QStringList criadas;           // files written, for desfaz
};

// When the folder beside arquivo exists: copies the pictures the items name
// from it into the picture folder pasta and points the items at the names
// taken. Only references relative to the folder are carried (no "..", no
// absolute path); a file that is no picture, too large or outside the folder
// is left out. False, with the operator's text in erro, when the picture
// folder cannot be written (what was written is removed again).
bool importa(DataPacket& pacote, const QString& arquivo, const QString& pasta, Importadas& feito, QString& erro);

// Removes the files an import wrote (the items did not go in).
void desfaz(const Importadas& feito);

// The operator's summary of what was carried; empty when nothing was named.
QString resumo(const Exportadas& feito);
QString resumo(const Importadas& feito);

} // namespace ConfigPictures
