#pragma once
// Helpers shared by the files of the configuration screen: fonts, key codes
// and the small tests on buttons and pending rows.

#include "KmrTela.h"

#include <ClientDataSet.h>
#include <TTouchButton.h>

#include <QColor>
#include <QFont>
#include <QLabel>
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

// A child control of the screen, named and placed.
template <class W> W* filho(QWidget* pai, const QString& nome, const QRect& geometria) {
    auto* w = new W(pai);
    w->setObjectName(nome);
    w->setGeometry(geometria);
    return w;
}

// A navy label of the screen in the given face.
inline QLabel* rotuloAzul(QWidget* pai, const QString& nome, const QFont& f, const QRect& geometria) {
    auto* l = filho<QLabel>(pai, nome, geometria);
    l->setFont(f);
    pintaTexto(l, kAzulMarinho);
    return l;
}

// Virtual-key codes of the keys the screen handles.
constexpr quint16 kTeclaEnter = 13;
constexpr quint16 kTeclaEsc = 27;
constexpr quint16 kTeclaPageUp = 33;
constexpr quint16 kTeclaPageDown = 34;
constexpr quint16 kTeclaDelete = 46;
constexpr quint16 kTeclaY = 89;
constexpr quint16 kTeclaZ = 90;
constexpr quint16 kTeclaF2 = 113;
constexpr quint16 kTeclaF3 = 114;
constexpr quint16 kTeclaF4 = 115;
constexpr quint16 kTeclaF5 = 116;
constexpr quint16 kTeclaF6 = 117;
constexpr quint16 kTeclaF7 = 118;
constexpr quint16 kTeclaF8 = 119;

// Virtual-key code of a key, 0 for keys the screen does not handle.
inline quint16 codigoVirtual(int key) {
    struct Par {
        int qt;
        quint16 codigo;
    };
    // F2 to F8 follow one another in both numberings.
    if (key >= Qt::Key_F2 && key <= Qt::Key_F8)
        return static_cast<quint16>(kTeclaF2 + (key - Qt::Key_F2));
    static constexpr Par kPares[] = {
        {Qt::Key_Return, kTeclaEnter},
        {Qt::Key_Enter, kTeclaEnter},
        {Qt::Key_Escape, kTeclaEsc},
        {Qt::Key_PageUp, kTeclaPageUp},
        {Qt::Key_PageDown, kTeclaPageDown},
        {Qt::Key_Delete, kTeclaDelete},
        {Qt::Key_Z, kTeclaZ},
        {Qt::Key_Y, kTeclaY},
    };
    for (const Par& p : kPares)
        if (p.qt == key)
            return p.codigo;
    return 0;
}

// The codes of ControlaHabilitacao: the tools on (confirm off); confirm and
// cancel on (tools off); only cancel on. Any other code, such as the one of
// the rename tool, also leaves only cancel on.
inline const QString kHabilitaFerramentas = QStringLiteral("H");
inline const QString kHabilitaConfirma = QStringLiteral("D");
inline const QString kHabilitaCancela = QStringLiteral("C");
inline const QString kHabilitaNome = QStringLiteral("D1");

// The cursors of MudaCursor: the arrow with no edit mode, the hand in one.
inline const QString kCursorSeta = QStringLiteral("0");
inline const QString kCursorMao = QStringLiteral("1");

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
