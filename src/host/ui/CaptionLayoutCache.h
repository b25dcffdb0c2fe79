#pragma once
// Captions laid out and shaped once per text, font and area. Laying out a
// caption measures its text many times over (every candidate line at every
// size), and drawing a line shapes it again; a page of 48 buttons is painted
// at every touch, mostly with the captions it had. Both depend on the text,
// the font and the area alone, so what is drawn from the cache is, pixel for
// pixel, what a fresh layout drawn line by line with QPainter::drawText gives.

#include "CaptionLayout.h"

#include <QRect>

class QPainter;

// The layout of text in area with font, computed once and then reused.
CaptionLayout cachedCaptionLayout(const QString& text, const QFont& font, const QSize& area);

// Draws text laid out in area with font, the block of lines centred in the
// area and each line centred, in the painter's pen; struck draws it struck
// through. The same as drawing each line of layoutCaption() with
// drawText(line rect, Qt::AlignHCenter | Qt::AlignTop, line).
void drawCaption(QPainter& painter, const QRect& area, const QString& text, const QFont& font, bool struck);

// How many captions each cache holds at most; the least recently used go first.
inline constexpr int kCaptionCacheSize = 4096;
