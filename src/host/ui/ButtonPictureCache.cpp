#include "ButtonPictureCache.h"

#include <KmrLog.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace {

// Failures and logged files remembered at most; past that the record starts
// afresh (a file may then be logged a second time, nothing worse).
constexpr int kMaxRemembered = 4096;

bool isSvg(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
}

QSize fitted(const QSize& source, const QSize& box) {
    if (source.isEmpty() || box.isEmpty())
        return {};
    return source.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// An SVG is drawn only from plain text, with shapes of its own: a compressed
// one could unpack to any size, and an embedded or linked raster image would
// be decoded without this cache's limits.
bool plainSvg(const QByteArray& data, QString& why) {
    if (data.startsWith("\x1f\x8b")) {
        why = QStringLiteral("compressed SVG refused");
        return false;
    }
    if (data.contains("<image") || data.contains(":image")) {
        why = QStringLiteral("SVG with an embedded or linked image refused");
        return false;
    }
    return true;
}

QImage renderSvg(const QString& path, qint64 maxBytes, const QSize& pixels, QString& why) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        return {};
    }
    const QByteArray data = file.read(maxBytes + 1);
    if (data.size() > maxBytes) {
        why = QStringLiteral("file grew past the size limit while read");
        return {};
    }
    if (!plainSvg(data, why))
        return {};
    QSvgRenderer renderer(data);
    if (!renderer.isValid()) {
        why = QStringLiteral("not a valid SVG");
        return {};
    }
    QSizeF natural = renderer.viewBoxF().size();
    if (natural.isEmpty())
        natural = renderer.defaultSize();
    const QSize target = fitted(natural.toSize().expandedTo(QSize(1, 1)), pixels);
    if (target.isEmpty()) {
        why = QStringLiteral("SVG without a size");
        return {};
    }
    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(target)));
    return image;
}

QImage readRaster(const QString& path, qint64 maxPixels, const QSize& pixels, bool& tooLarge, QString& why) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // The decoder may allocate what a picture of the largest size allowed
    // needs, in 32-bit pixels, and not more.
    reader.setAllocationLimit(static_cast<int>(std::max<qint64>(1, maxPixels * 4 / (1024 * 1024) + 1)));
    const QSize size = reader.size();
    if (!size.isValid()) {
        why = QStringLiteral("no picture size in the header: %1").arg(reader.errorString());
        return {};
    }
    if (static_cast<qint64>(size.width()) * size.height() > maxPixels) {
        tooLarge = true;
        why = QStringLiteral("%1 x %2 pixels, more than the %3 allowed")
                  .arg(size.width())
                  .arg(size.height())
                  .arg(maxPixels);
        return {};
    }
    const bool rotated = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize target = fitted(rotated ? size.transposed() : size, pixels);
    // JPEG decodes straight at a reduced size; the others are scaled below.
    if (!rotated && reader.supportsOption(QImageIOHandler::ScaledSize) && target.width() < size.width())
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull()) {
        why = reader.errorString();
        return {};
    }
    if (image.size() != target)
        image = image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

ButtonPictureCache& ButtonPictureCache::instance() {
    static ButtonPictureCache cache;
    return cache;
}

ButtonPictureCache::ButtonPictureCache() : m_images(kMaxCostKb) {
}

void ButtonPictureCache::clear() {
    m_images.clear();
    m_failed.clear();
}

void ButtonPictureCache::setLimits(const ButtonPictureLimits& limits) {
    m_limits = limits;
    clear();
}

ButtonPicture ButtonPictureCache::picture(const QString& path, const QSize& box, qreal dpr) {
    const QFileInfo info(path);
    if (path.isEmpty())
        return {QImage(), ButtonPictureStatus::Missing};
    if (!info.isFile()) {
        logOnce(QStringLiteral("missing|") + path, path, QStringLiteral("no such file"));
        return {QImage(), ButtonPictureStatus::Missing};
    }
    const QString identity = QStringLiteral("%1|%2|%3")
                                 .arg(info.absoluteFilePath())
                                 .arg(info.lastModified().toMSecsSinceEpoch())
                                 .arg(info.size());
    if (const auto failed = m_failed.constFind(identity); failed != m_failed.constEnd())
        return {QImage(), *failed};
    const QSize pixels(static_cast<int>(std::ceil(box.width() * dpr)), static_cast<int>(std::ceil(box.height() * dpr)));
    const QString key = QStringLiteral("%1|%2x%3").arg(identity).arg(pixels.width()).arg(pixels.height());
    if (const QImage* found = m_images.object(key))
        return {*found, ButtonPictureStatus::Shown};
    QString why;
    ButtonPicture result = decode(path, info.size(), pixels, dpr, why);
    if (result.status != ButtonPictureStatus::Shown) {
        if (m_failed.size() >= kMaxRemembered)
            m_failed.clear();
        m_failed.insert(identity, result.status);
        logOnce(identity, path, why);
        return result;
    }
    const qint64 kb = std::max<qint64>(1, result.image.sizeInBytes() / 1024);
    m_images.insert(key, new QImage(result.image), static_cast<int>(std::min<qint64>(kb, kMaxCostKb)));
    return result;
}

ButtonPicture ButtonPictureCache::decode(const QString& path, qint64 fileSize, const QSize& pixels, qreal dpr,
                                         QString& why) {
    if (pixels.isEmpty()) {
        why = QStringLiteral("no room for the picture");
        return {QImage(), ButtonPictureStatus::Unreadable};
    }
    if (fileSize > m_limits.maxFileBytes) {
        why = QStringLiteral("%1 bytes, more than the %2 allowed").arg(fileSize).arg(m_limits.maxFileBytes);
        return {QImage(), ButtonPictureStatus::TooLarge};
    }
    ++m_decodes;
    bool tooLarge = false;
    QImage image = isSvg(path) ? renderSvg(path, m_limits.maxFileBytes, pixels, why)
                               : readRaster(path, m_limits.maxPixels, pixels, tooLarge, why);
    if (image.isNull())
        return {QImage(), tooLarge ? ButtonPictureStatus::TooLarge : ButtonPictureStatus::Unreadable};
    image.setDevicePixelRatio(dpr);
    return {image, ButtonPictureStatus::Shown};
}

void ButtonPictureCache::logOnce(const QString& identity, const QString& path, const QString& why) {
    if (m_logged.contains(identity))
        return;
    if (m_logged.size() >= kMaxRemembered)
        m_logged.clear();
    m_logged.insert(identity);
    qCWarning(lcKmrApp).noquote() << QStringLiteral("button picture %1 not shown: %2").arg(path, why);
}
