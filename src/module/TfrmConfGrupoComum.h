#pragma once
// Helpers shared by the files of the configuration screen: fonts, key codes
// and the small tests on buttons and pending rows.

#include "KmrTela.h"

#include <ClientDataSet.h>
#include <TTouchButton.h>

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QStringList>
#include <QWidget>

namespace KmrTela {

inline const QColor kAzulMarinho(0, 0, 128);

inline QFont fonte(const QString& familia, int pixels, bool negrito) {
    QFont f;
    // Fall back to a close sans-serif where the machine lacks the face; the
    // narrow faces (Tahoma, MS Sans Serif) to a condensed one, so that the
    // captions fit the buttons as they were laid out.
    QStringList familias{familia};
    if (familia != QLatin1String("Verdana"))
        familias << QStringLiteral("DejaVu Sans Condensed") << QStringLiteral("Liberation Sans Narrow");
    familias << QStringLiteral("DejaVu Sans") << QStringLiteral("Liberation Sans");
    f.setFamilies(familias);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(negrito);
    return f;
}

inline void pintaTexto(QWidget* w, const QColor& cor) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, cor);
    w->setPalette(pal);
}

// Virtual-key codes of Page Up and Page Down, which turn the pages.
constexpr quint16 kTeclaPageUp = 33;
constexpr quint16 kTeclaPageDown = 34;

// Virtual-key code of a key, 0 for keys the screen does not handle.
inline quint16 codigoVirtual(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_PageUp:
        return kTeclaPageUp;
    case Qt::Key_PageDown:
        return kTeclaPageDown;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_F2:
        return 113;
    case Qt::Key_F3:
        return 114;
    case Qt::Key_F4:
        return 115;
    case Qt::Key_F5:
        return 116;
    case Qt::Key_F6:
        return 117;
    case Qt::Key_F7:
        return 118;
    default:
        return 0;
    }
}

inline bool temCaption(const TTouchButton* b) {
    return !b->caption().isEmpty();
}

// Empty: neither caption nor picture. Navigators show only their picture.
inline bool vazio(const TTouchButton* b) {
    return b->caption().isEmpty() && b->glyphEmpty();
}

inline void mostraVazio(TTouchButton* b) {
    b->setCaption(QString());
    b->SetColor(kCorBranco);
    b->setFontColor(0);
    b->clearGlyph();
    b->setCaptionHidden(false);
}

inline bool navegadorGrupo(const QString& tipo) {
    return tipo.startsWith(QLatin1Char('7')) || tipo.startsWith(QLatin1Char('8'));
}

inline bool navegadorProduto(const QString& tipo) {
    return tipo.startsWith(QLatin1Char('9')) || tipo.startsWith(QLatin1Char('A'));
}

// The fields of the current row of the pending-change set.
struct LinhaAlteracao {
    QString tipo, numero, pagina, tipoAux, numeroAux, paginaAux, cor;
};

inline LinhaAlteracao linhaAtual(const ClientDataSet& set) {
    return {set.fieldText(u"IDTPBUTTON"),   set.fieldText(u"NRBUTTON"),   set.fieldText(u"NRPGCONFTELA"),
            set.fieldText(u"IDTPBUTONAUX"), set.fieldText(u"NRBUTONAUX"), set.fieldText(u"NRPGCONFTAUX"),
            set.fieldText(u"NRCOLOR")};
}

// The type recorded for a text colour or a rename: a product ("1"), or the
// stored navigator type when the touched button's row was found, so that the
// change reaches a product-page navigator instead of matching no row.
inline QString tipoProdutoEditado(bool achou, const QString& localizado) {
    return achou && navegadorProduto(localizado) ? localizado.left(1) : QStringLiteral("1");
}

} // namespace KmrTela
