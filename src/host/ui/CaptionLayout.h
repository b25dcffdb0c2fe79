#pragma once
// How a caption is set on a button face: at the button's own size when it
// fits, wrapped at word boundaries when it is too wide for one line, then in
// a smaller size step by step, and only at the smallest size cut short with
// "…". Whatever the text, every line lies inside the given area.

#include <QFont>
#include <QSize>
#include <QStringList>

struct CaptionLayout {
    QFont font;        // the face and size the caption is painted with
    QStringList lines; // top to bottom, each within the area's width
    int lineHeight = 0;
    bool elided = false; // the text did not fit whole and ends with "…"

    // Height of the block of lines.
    int height() const { return lineHeight * static_cast<int>(lines.size()); }
};

// Smallest size a caption is shrunk to before it is cut short.
inline constexpr int kCaptionMinPixels = 9;

// Lays out text in area with font (its pixel size is the size to start at).
CaptionLayout layoutCaption(const QString& text, const QFont& font, const QSize& area,
                            int minPixels = kCaptionMinPixels);

// Width that a line needs so that none of its glyphs is cut: the advance or
// the inked extent, whichever is wider.
int captionLineWidth(const QFont& font, const QString& line);
