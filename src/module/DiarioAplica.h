#pragma once
// Reading the journal back and applying it: the entries and their steps, the
// undo and redo stacks of a screen session, and the rows an undo, a redo or
// a restore puts back, each checked first against what the journal says the
// store holds now.

#include "Diario.h"

#include <QSqlDatabase>

namespace Diario {

struct Entrada {
    qint64 numero = 0;
    QString data;
    QString estacao;
    QString usuario;
    QString filial;
    QString conf;
    QString sessao;
    QString idAcao;
    QString descricao;
    QString operacao;
    qint64 referencia = 0;
};

// The entries of a journal database matching `condicao` (a WHERE clause over
// KMRDIARIO with positional parameters, empty for all), newest first; at
// most `limite` when positive.
QList<Entrada> entradas(QSqlDatabase db, const QString& condicao, const QVariantList& parametros, int limite = 0);
// The entry of that number, if there is one.
std::optional<Entrada> entrada(QSqlDatabase db, qint64 numero);
QList<Passo> passos(QSqlDatabase db, qint64 numero);

// What a screen session may undo and redo, the last first.
struct Pilhas {
    QList<qint64> desfazer;
    QList<qint64> refazer;
};
Pilhas pilhas(QSqlDatabase db, const QString& filial, const QString& conf, const QString& sessao);

// For each row a set of steps touches: the image the store must hold now and
// the image to put back.
struct Alvo {
    QByteArray esperado;
    QByteArray alvo;
};
using Alvos = std::map<QString, Alvo>;
// Undoing entries' steps (the newest entry first): each row back to its image
// before the oldest of them.
void desfaz(Alvos& alvos, const QList<Passo>& passos);
// Redoing an entry's steps.
Alvos refaz(const QList<Passo>& passos);

// Raises RowChanged (with the buttons named) unless every row is as expected;
// returns the rows as they are now.
Retrato confere(Livro& livro, const QString& filial, const QString& conf, const Alvos& alvos);
// Puts every row at its target image; returns the steps done.
QList<Passo> aplica(Livro& livro, const Alvos& alvos, const Retrato& atual);
// The rows as they are now, for the keys of `alvos`.
Retrato atuais(Livro& livro, const QString& filial, const QString& conf, const Alvos& alvos);

// The caption and position of the button of an image, for the history.
QString descreveBotao(const QByteArray& imagem);

} // namespace Diario
