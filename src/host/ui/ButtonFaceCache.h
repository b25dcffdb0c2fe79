#pragma once
// The rounded faces of the buttons, rendered once per size, colours, radius
// and device pixel ratio and then copied. A screen has a few button sizes and
// colours, so a page never shown before mostly finds its faces already made.
//
// What is copied is, pixel for pixel, what paintRoundedFace draws. The face's
// antialiased rim, where the drawing blends with what lies under the button,
// is not kept in the image: those few pixels at the corners are drawn afresh
// over whatever background the button has. A painter that does not map the
// button's pixels one to one on device pixels (a scaled sheet, a printer, a
// fractional device pixel ratio) is drawn on directly.

#include <QCache>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QRegion>
#include <QSize>

class QPainter;

// The face drawn directly: the rounded rectangle face filled with fill and,
// when border is valid, outlined with a one-pixel pen of that colour (the
// painter keeps that pen). Antialiasing is the painter's.
void paintRoundedFace(QPainter& p, const QRectF& face, const QColor& fill, const QColor& border, qreal radius);

// The device pixels per pixel of an image drawn at the painter's origin, when
// each lands whole on device pixels: a scale by a whole number (the device
// pixel ratio, or a sheet drawn larger), a translation by whole device
// pixels, full opacity and plain source-over blending; 0 otherwise.
int wholePixelRatio(const QPainter& p);

class ButtonFaceCache {
public:
    // The cache of every button of the process; the screens paint on the GUI
    // thread only.
    static ButtonFaceCache& instance();

    // Draws the face of a button of size, as paintRoundedFace draws it in the
    // button's rectangle less half a pixel on each side.
    void draw(QPainter& p, const QSize& size, const QColor& fill, const QColor& border, qreal radius);

    void clear();
    // Off, every face is drawn directly (for comparisons).
    void setEnabled(bool on) { m_enabled = on; }
    // How many faces have been rendered since the process started.
    int renderCount() const { return m_renders; }

    // Most kilobytes of faces held; the least recently used go first.
    static constexpr int kMaxCostKb = 4 * 1024;

private:
    struct Key {
        QSize size;
        quint64 fill; // QRgba64: colours that differ in their low bits stay apart
        quint64 border;
        bool bordered;
        qreal radius;
        qreal dpr;
        bool operator==(const Key& o) const {
            return size == o.size && fill == o.fill && border == o.border && bordered == o.bordered &&
                   radius == o.radius && dpr == o.dpr;
        }
        friend size_t qHash(const Key& k, size_t seed = 0) {
            return qHashMulti(seed, k.size.width(), k.size.height(), k.fill, k.border, k.bordered, k.radius, k.dpr);
        }
    };
    struct Face {
        QImage image;      // the face where it does not depend on the background; transparent elsewhere
        QRegion rims;      // where it does, in button pixels: drawn directly
        QPainterPath path; // the face's outline, for the rims
    };
    ButtonFaceCache();
    // Null for a face too large to keep.
    const Face* face(const Key& key, const QColor& fill, const QColor& border);

    QCache<Key, Face> m_faces;
    bool m_enabled = true;
    int m_renders = 0;
};
