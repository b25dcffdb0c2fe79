#include "ButtonFaceCache.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>
#include <memory>

namespace {

bool whole(qreal v) {
    return std::abs(v - std::round(v)) < 1e-9;
}

QRectF faceRect(const QSize& size) {
    return QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);
}

QImage faceOn(const QColor& background, const QSize& size, qreal dpr, const QColor& fill, const QColor& border,
              qreal radius) {
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintRoundedFace(p, faceRect(size), fill, border, radius);
    return image;
}

// The device rectangle rect covers, widened to whole button pixels.
QRect inButtonPixels(const QRect& device, int dpr) {
    const int left = device.left() / dpr;
    const int top = device.top() / dpr;
    const int right = device.right() / dpr;
    const int bottom = device.bottom() / dpr;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void paintPath(QPainter& p, const QPainterPath& path, const QColor& fill, const QColor& border) {
    p.fillPath(path, fill);
    if (!border.isValid())
        return;
    p.setPen(QPen(border, 1.0));
    p.drawPath(path);
}

} // namespace

void paintRoundedFace(QPainter& p, const QRectF& face, const QColor& fill, const QColor& border, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(face, radius, radius);
    paintPath(p, path, fill, border);
}

int wholePixelRatio(const QPainter& p) {
    if (!p.isActive() || !p.paintEngine() || p.paintEngine()->type() != QPaintEngine::Raster)
        return 0;
    if (p.opacity() != 1.0 || p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return 0;
    const QTransform t = p.deviceTransform();
    const qreal scale = t.m11();
    if (t.type() > QTransform::TxScale || scale != t.m22() || scale < 1.0 || scale > 8.0 || !whole(scale))
        return 0;
    return whole(t.dx()) && whole(t.dy()) ? int(std::round(scale)) : 0;
}

ButtonFaceCache& ButtonFaceCache::instance() {
    static ButtonFaceCache cache;
    return cache;
}

ButtonFaceCache::ButtonFaceCache() : m_faces(kMaxCostKb) {
}

void ButtonFaceCache::clear() {
    m_faces.clear();
}

void ButtonFaceCache::draw(QPainter& p, const QSize& size, const QColor& fill, const QColor& border, qreal radius) {
    const bool opaqueColours = fill.alpha() == 255 && (!border.isValid() || border.alpha() == 255);
    if (!m_enabled || size.isEmpty() || !opaqueColours || !p.testRenderHint(QPainter::Antialiasing) ||
        wholePixelRatio(p) == 0) {
        paintRoundedFace(p, faceRect(size), fill, border, radius);
        return;
    }
    const Key key{size,   quint64(fill.rgba64()),   border.isValid() ? quint64(border.rgba64()) : 0, border.isValid(),
                  radius, qreal(wholePixelRatio(p))};
    const Face* made = face(key, fill, border);
    if (!made) {
        paintRoundedFace(p, faceRect(size), fill, border, radius);
        return;
    }
    p.drawImage(QPointF(0, 0), made->image);
    if (!made->rims.isEmpty()) {
        p.save();
        p.setClipRegion(made->rims, Qt::IntersectClip);
        paintPath(p, made->path, fill, border);
        p.restore();
    }
    if (border.isValid())
        p.setPen(QPen(border, 1.0)); // as the direct drawing leaves it
}

// The face drawn on black, on white and on nothing: a pixel that comes out
// the same and opaque on all three is the face's own; the blending is
// monotonic in what lies beneath, so it is that on any background.
const ButtonFaceCache::Face* ButtonFaceCache::face(const Key& key, const QColor& fill, const QColor& border) {
    if (const Face* found = m_faces.object(key))
        return found;
    const qint64 costKb =
        std::max<qint64>(1, qint64(key.size.width() * key.dpr) * qint64(key.size.height() * key.dpr) * 4 / 1024);
    if (costKb > m_faces.maxCost())
        return nullptr;
    ++m_renders;
    const QImage black = faceOn(Qt::black, key.size, key.dpr, fill, border, key.radius);
    const QImage white = faceOn(Qt::white, key.size, key.dpr, fill, border, key.radius);
    QImage own = faceOn(Qt::transparent, key.size, key.dpr, fill, border, key.radius);
    // A rim per quarter of the face, its corner. The quarters meet on whole
    // button pixels, so that no pixel is in two rims and drawn twice.
    std::array<QRect, 4> rims;
    const int halfW = key.size.width() / 2 * int(key.dpr);
    const int halfH = key.size.height() / 2 * int(key.dpr);
    for (int y = 0; y < own.height(); ++y) {
        const auto* b = reinterpret_cast<const QRgb*>(black.constScanLine(y));
        const auto* w = reinterpret_cast<const QRgb*>(white.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(own.scanLine(y));
        for (int x = 0; x < own.width(); ++x) {
            if (b[x] == w[x] && b[x] == o[x] && qAlpha(o[x]) == 255)
                continue;
            o[x] = 0;
            rims[(y < halfH ? 0 : 2) + (x < halfW ? 0 : 1)] |= QRect(x, y, 1, 1);
        }
    }
    auto made = std::make_unique<Face>();
    made->image = own;
    made->path.addRoundedRect(faceRect(key.size), key.radius, key.radius);
    for (const QRect& rim : rims)
        if (!rim.isEmpty())
            made->rims += inButtonPixels(rim, int(key.dpr));
    const Face* kept = made.get();
    m_faces.insert(key, made.release(), int(costKb));
    return kept;
}
