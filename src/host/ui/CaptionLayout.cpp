#include "CaptionLayout.h"

#include <QFontMetrics>

namespace {

const QString kEllipsis = QStringLiteral("…");

QStringList words(const QString& text) {
    return text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Greedy wrap at word boundaries; empty when a single word is wider than width.
QStringList wrapWords(const QStringList& palavras, const QFont& font, int width) {
    QStringList lines;
    QString current;
    for (const QString& palavra : palavras) {
        if (captionLineWidth(font, palavra) > width)
            return {};
        const QString joined = current.isEmpty() ? palavra : current + QLatin1Char(' ') + palavra;
        if (captionLineWidth(font, joined) <= width) {
            current = joined;
        } else {
            lines << current;
            current = palavra;
        }
    }
    if (!current.isEmpty())
        lines << current;
    return lines;
}

// The longest start of text that fits width (at least nothing).
int fittingPrefix(const QString& text, const QFont& font, int width) {
    int n = 0;
    while (n < text.size() && captionLineWidth(font, text.left(n + 1)) <= width)
        ++n;
    return n;
}

// Fills at most maxLines lines, words first and characters where a word is
// wider than a line, and ends the last line with "…" when text is left over.
CaptionLayout cutShort(const QStringList& palavras, const QFont& font, int width, int maxLines, int lineHeight) {
    CaptionLayout out{font, {}, lineHeight, false};
    QString rest = palavras.join(QLatin1Char(' '));
    while (!rest.isEmpty() && out.lines.size() < maxLines) {
        const bool last = out.lines.size() == maxLines - 1;
        if (captionLineWidth(font, rest) <= width) {
            out.lines << rest;
            rest.clear();
            break;
        }
        if (last) {
            const int n = fittingPrefix(rest, font, width - captionLineWidth(font, kEllipsis));
            out.lines << rest.left(n).trimmed() + kEllipsis;
            out.elided = true;
            rest.clear();
            break;
        }
        int n = fittingPrefix(rest, font, width);
        const int blank = rest.left(n + 1).lastIndexOf(QLatin1Char(' '));
        if (blank > 0)
            n = blank; // break at the last word boundary that fits
        if (n == 0)
            n = 1; // a line narrower than one glyph: never loop without progress
        out.lines << rest.left(n).trimmed();
        rest = rest.mid(n).trimmed();
    }
    if (!rest.isEmpty() && !out.elided) {
        out.elided = true;
        QString& last = out.lines.last();
        const int n = fittingPrefix(last, font, width - captionLineWidth(font, kEllipsis));
        last = last.left(n).trimmed() + kEllipsis;
    }
    return out;
}

} // namespace

int captionLineWidth(const QFont& font, const QString& line) {
    const QFontMetrics fm(font);
    const QRect ink = fm.boundingRect(line);
    // The inked extent counted from the pen position, so that a glyph
    // hanging out on the left or the right still counts.
    const int inked = qMax(ink.right() + 1, 0) - qMin(ink.left(), 0);
    return qMax(fm.horizontalAdvance(line), inked);
}

CaptionLayout layoutCaption(const QString& text, const QFont& base, const QSize& area, int minPixels) {
    const QStringList palavras = words(text);
    QFont font(base);
    int pixels = base.pixelSize() > 0 ? base.pixelSize() : QFontMetrics(base).height();
    if (palavras.isEmpty() || area.width() <= 0 || area.height() <= 0)
        return {font, {}, QFontMetrics(font).height(), false};
    minPixels = qMin(minPixels, pixels);
    for (; pixels >= minPixels; --pixels) {
        font.setPixelSize(pixels);
        const int lineHeight = QFontMetrics(font).height();
        const QStringList lines = wrapWords(palavras, font, area.width());
        if (!lines.isEmpty() && lineHeight * lines.size() <= area.height())
            return {font, lines, lineHeight, false};
    }
    font.setPixelSize(minPixels);
    const int lineHeight = QFontMetrics(font).height();
    const int maxLines = qMax(1, area.height() / lineHeight);
    return cutShort(palavras, font, area.width(), maxLines, lineHeight);
}
