#include "CaptionImageCache.h"

#include "ButtonFaceCache.h"
#include "CaptionLayoutCache.h"

#include <QPainter>

#include <memory>

namespace {

// Room around the area in the render: ink reaching it is ink that may go
// further, and that caption is drawn directly.
constexpr int kInkRoom = 6;

// The pixels of room in image that are not of colour face, widened to whole
// button pixels; empty when there are none.
QRect inkIn(const QImage& image, const QRect& room, QRgb face, int dpr) {
    QRect ink;
    for (int y = room.top(); y <= room.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = -1;
        int last = -1;
        for (int x = room.left(); x <= room.right(); ++x) {
            if (line[x] == face)
                continue;
            if (first < 0)
                first = x;
            last = x;
        }
        if (first >= 0)
            ink |= QRect(first, y, last - first + 1, 1);
    }
    if (ink.isEmpty())
        return ink;
    return QRect(QPoint(ink.left() / dpr, ink.top() / dpr), QPoint(ink.right() / dpr, ink.bottom() / dpr));
}

} // namespace

CaptionImageCache& CaptionImageCache::instance() {
    static CaptionImageCache cache;
    return cache;
}

CaptionImageCache::CaptionImageCache() : m_inks(kMaxCostKb) {
}

void CaptionImageCache::clear() {
    m_inks.clear();
}

void CaptionImageCache::draw(QPainter& p, const QRect& area, const QString& text, const QFont& font, bool struck,
                             const QColor& face, const QRegion& flat) {
    const QPen& pen = p.pen();
    const bool plainPen = pen.style() == Qt::SolidLine && pen.brush().style() == Qt::SolidPattern;
    if (!m_enabled || face.alpha() != 255 || !plainPen || wholePixelRatio(p) == 0) {
        drawCaption(p, area, text, font, struck);
        return;
    }
    const Key key{text,
                  font,
                  area.size(),
                  struck,
                  quint64(pen.color().rgba64()),
                  quint64(face.rgba64()),
                  qreal(wholePixelRatio(p)),
                  int(p.renderHints())};
    const Ink& made = ink(p, key, area, text, font, struck, face);
    const QRect target = made.rect.translated(area.topLeft());
    if (!made.kept || !QRegion(target).subtracted(flat).isEmpty()) {
        drawCaption(p, area, text, font, struck);
        return;
    }
    if (!made.image.isNull())
        p.drawImage(target.topLeft(), made.image);
}

const CaptionImageCache::Ink& CaptionImageCache::ink(QPainter& p, const Key& key, const QRect& area,
                                                     const QString& text, const QFont& font, bool struck,
                                                     const QColor& face) {
    if (const Ink* found = m_inks.object(key))
        return *found;
    ++m_renders;
    const int dpr = int(key.dpr);
    const QRect room(QPoint(0, 0), area.size().grownBy(QMargins(kInkRoom, kInkRoom, kInkRoom, kInkRoom)));
    QImage& render = scratch(room.size(), dpr);
    {
        QPainter r(&render);
        r.setClipRect(room);
        r.setCompositionMode(QPainter::CompositionMode_Source);
        r.fillRect(room, face);
        r.setCompositionMode(QPainter::CompositionMode_SourceOver);
        r.setRenderHints(~p.renderHints(), false); // the same hints, neither more nor fewer
        r.setRenderHints(p.renderHints(), true);
        r.setPen(p.pen());
        drawCaption(r, QRect(QPoint(kInkRoom, kInkRoom), area.size()), text, font, struck);
    }
    const QRect deviceRoom(QPoint(0, 0), room.size() * dpr);
    const QRgb faceInRender = reinterpret_cast<const QRgb*>(render.constScanLine(0))[0];
    auto made = std::make_unique<Ink>();
    const QRect ink = inkIn(render, deviceRoom, faceInRender, dpr);
    made->kept = ink.isEmpty() || room.adjusted(1, 1, -1, -1).contains(ink);
    if (!ink.isEmpty() && made->kept) {
        made->image = render.copy(QRect(ink.topLeft() * dpr, ink.size() * dpr));
        made->image.setDevicePixelRatio(dpr);
        made->rect = ink.translated(-kInkRoom, -kInkRoom);
    }
    const int costKb = int(std::max<qsizetype>(1, made->image.sizeInBytes() / 1024));
    if (costKb > m_inks.maxCost()) {
        m_direct = Ink{};
        return m_direct;
    }
    const Ink* kept = made.get();
    m_inks.insert(key, made.release(), costKb);
    return *kept;
}

// One image to render every caption in, kept: a painter set up on a new image
// each time would cost more than the caption.
QImage& CaptionImageCache::scratch(const QSize& size, int dpr) {
    const QSize pixels = size * dpr;
    if (m_scratch.devicePixelRatio() != dpr || m_scratch.width() < pixels.width() ||
        m_scratch.height() < pixels.height()) {
        m_scratch = QImage(pixels.expandedTo(m_scratch.size()), QImage::Format_ARGB32_Premultiplied);
        m_scratch.setDevicePixelRatio(dpr);
    }
    return m_scratch;
}
