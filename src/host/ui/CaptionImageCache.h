#pragma once
// Captions rendered once into an image and then copied. Even shaped once
// (CaptionLayoutCache), a caption costs its glyphs' shaping again at every
// paint; a caption seen before is copied instead, with nothing shaped.
//
// A caption is rendered on the button's face colour with the painter's pen,
// its inked pixels cropped; the copy is what drawCaption draws, pixel for
// pixel, wherever the face under those pixels is that colour and nothing
// else. The caller says where it is (flat); ink outside it, a painter that
// does not map pixels one to one, or a face that is not opaque leave the
// drawing to drawCaption.

#include <QCache>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>

class QPainter;

class CaptionImageCache {
public:
    // The cache of every button of the process; the screens paint on the GUI
    // thread only.
    static CaptionImageCache& instance();

    // Draws what drawCaption(p, area, text, font, struck) draws on a face of
    // colour face, where flat is the part of the painter's coordinates that
    // is of that colour alone.
    void draw(QPainter& p, const QRect& area, const QString& text, const QFont& font, bool struck, const QColor& face,
              const QRegion& flat);

    void clear();
    // Off, every caption is drawn by drawCaption (for comparisons).
    void setEnabled(bool on) { m_enabled = on; }
    // How many captions have been rendered since the process started.
    int renderCount() const { return m_renders; }

    // Most kilobytes of captions held; the least recently used go first.
    static constexpr int kMaxCostKb = 16 * 1024;

private:
    struct Key {
        QString text;
        QFont font;
        QSize area;
        bool struck;
        quint64 pen;
        quint64 face;
        qreal dpr;
        int hints;
        bool operator==(const Key& o) const {
            return area == o.area && struck == o.struck && pen == o.pen && face == o.face && dpr == o.dpr &&
                   hints == o.hints && text == o.text && font == o.font;
        }
        friend size_t qHash(const Key& k, size_t seed = 0) {
            return qHashMulti(seed, k.text, k.font, k.area.width(), k.area.height(), k.struck, k.pen, k.face, k.dpr,
                              k.hints);
        }
    };
    struct Ink {
        QImage image;      // the inked pixels on the face colour
        QRect rect;        // where they go, from the area's top left
        bool kept = false; // false: the ink reached the edge of the render, drawn directly
    };
    CaptionImageCache();
    const Ink& ink(QPainter& p, const Key& key, const QRect& area, const QString& text, const QFont& font, bool struck,
                   const QColor& face);

    QImage& scratch(const QSize& size, int dpr);

    QCache<Key, Ink> m_inks;
    QImage m_scratch;
    Ink m_direct; // what a caption that is not kept gives
    bool m_enabled = true;
    int m_renders = 0;
};
