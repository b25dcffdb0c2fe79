#include "TTouchButton.h"

#include "ButtonPictureCache.h"
#include "CaptionLayoutCache.h"
#include "TColor.h"

#include <QKeySequence>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal kRadius = 8.0;
// Room kept free at the edges: the caption never runs into the rounded
// corners or under the focus frame.
constexpr int kMarginX = 5;
constexpr int kMarginY = 5;
constexpr qreal kFocusWidth = 3.0;
// A picture above a caption keeps at least two fifths of the face's height,
// and at least this many pixels, and a pixel of room between the two: the
// caption, what the operator reads, takes the rest when it needs it.
constexpr int kMinPictureHeight = 14;
constexpr int kPictureGap = 1;

// Bold, readable at arm's length; narrow faces first, so that the captions
// fit the buttons they were written for.
QFont touchFont(const QFont& base) {
    QFont font(base);
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(13);
    return font;
}

QColor disabledFace(const QColor& face) {
    const int grey = qGray(face.rgb());
    return QColor(grey, grey, grey).lighter(115);
}

bool darkFace(const QColor& face) {
    return qGray(face.rgb()) < 128;
}

} // namespace

TTouchButton::TTouchButton(QWidget* parent) : QAbstractButton(parent) {
    setFont(touchFont(font()));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TTouchButton::setCaption(const QString& caption) {
    setText(caption);
    // Captions come from the store: an '&' in "Pão & Cia" is text, not a
    // keyboard shortcut that would touch the button.
    setShortcut(QKeySequence());
    update();
}

void TTouchButton::SetColor(int color) {
    m_color = color;
    update();
}

void TTouchButton::setFontColor(int color) {
    m_fontColor = color;
    update();
}

void TTouchButton::setGlyph(const QPixmap& glyph) {
    m_glyph = glyph;
    update();
}

void TTouchButton::clearGlyph() {
    m_glyph = QPixmap();
    m_picture.clear();
    update();
}

void TTouchButton::setPicture(const QString& path) {
    m_picture = path;
    update();
}

bool TTouchButton::pictureMissing() const {
    return m_glyph.isNull() && !m_picture.isEmpty() && faceLayout().missing;
}

void TTouchButton::setPictureScale(qreal scale) {
    m_pictureScale = scale > 0 ? scale : 1.0;
    update();
}

void TTouchButton::setCaptionHidden(bool hidden) {
    m_captionHidden = hidden;
    update();
}

void TTouchButton::setPendingMark(PendingMark mark, const QString& ghostCaption) {
    m_mark = mark;
    m_ghost = mark == PendingMark::Clear || mark == PendingMark::Cut ? ghostCaption : QString();
    update();
}

void TTouchButton::setFocusFrame(bool on) {
    m_focusFrame = on;
    update();
}

QSize TTouchButton::sizeHint() const {
    return {105, 47};
}

QRect TTouchButton::innerArea() const {
    return rect().adjusted(kMarginX, kMarginY, -kMarginX, -kMarginY);
}

QString TTouchButton::shownCaption() const {
    return m_captionHidden ? QString() : text();
}

// The caption laid out first, on the room a picture of the smallest height
// leaves, and then the picture given what the lines do not take.
TTouchButton::FaceLayout TTouchButton::faceLayout() const {
    const QRect area = innerArea();
    if (!m_glyph.isNull() || m_picture.isEmpty())
        return {QRect(), area, QImage(), false};
    QRect picture = area;
    const QString caption = shownCaption();
    if (!caption.isEmpty()) {
        const int minPicture = std::max(area.height() * 2 / 5, std::min(area.height(), kMinPictureHeight));
        const QSize room(area.width(), area.height() - minPicture - kPictureGap);
        const int lines =
            room.isEmpty() ? 0 : std::min(cachedCaptionLayout(caption, font(), room).height(), room.height());
        if (lines > 0) {
            picture.setHeight(area.height() - lines - kPictureGap);
            const ButtonPicture shown =
                ButtonPictureCache::instance().picture(m_picture, picture.size(), pictureRatio());
            if (shown.status != ButtonPictureStatus::Shown)
                return {QRect(), area, QImage(), true};
            return {picture, QRect(area.left(), area.bottom() - lines + 1, area.width(), lines), shown.image, false};
        }
    }
    const ButtonPicture shown = ButtonPictureCache::instance().picture(m_picture, picture.size(), pictureRatio());
    if (shown.status != ButtonPictureStatus::Shown)
        return {QRect(), area, QImage(), true};
    return {picture, caption.isEmpty() ? area : QRect(), shown.image, false};
}

qreal TTouchButton::pictureRatio() const {
    return devicePixelRatioF() * m_pictureScale;
}

QRect TTouchButton::captionArea() const {
    return faceLayout().caption;
}

QRect TTouchButton::pictureArea() const {
    return faceLayout().picture;
}

CaptionLayout TTouchButton::captionLayout(const QString& text) const {
    return cachedCaptionLayout(text, font(), captionArea().size());
}

void TTouchButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = colorFromTColor(m_color);
    if (!isEnabled())
        fill = disabledFace(fill);
    else if (isDown())
        fill = fill.darker(135);
    QPainterPath path;
    path.addRoundedRect(face, kRadius, kRadius);
    p.fillPath(path, fill);
    p.setPen(QPen(fill.darker(isDown() ? 160 : 125), 1.0));
    p.drawPath(path);

    FaceLayout layout = faceLayout();
    QRect area = layout.caption;
    if (isDown()) {
        // the face seems to sink under the finger
        area.translate(1, 1);
        layout.picture.translate(1, 1);
    }
    paintGlyph(p, area);
    paintPicture(p, layout.picture, layout.image);
    const QColor textColor = isEnabled() ? colorFromTColor(m_fontColor) : QColor(Qt::darkGray);
    if (!text().isEmpty() && !m_captionHidden)
        paintCaption(p, area, text(), textColor, false);
    else if (text().isEmpty() && !m_ghost.isEmpty())
        paintCaption(p, area, m_ghost, darkFace(fill) ? fill.lighter(170) : fill.darker(170),
                     m_mark == PendingMark::Clear);
    if (layout.missing)
        paintMissingPicture(p, face, fill);
    paintMark(p, face, fill);
    if (m_focusFrame)
        paintFocusFrame(p, face, fill);
}

void TTouchButton::paintGlyph(QPainter& p, QRect& area) const {
    if (m_glyph.isNull())
        return;
    // Picture above the caption, or alone and centred when there is none.
    const bool alone = text().isEmpty() || m_captionHidden;
    QSize size = m_glyph.size();
    const int maxHeight = alone ? area.height() : area.height() * 3 / 5;
    size.scale(QSize(area.width(), maxHeight).boundedTo(m_glyph.size()), Qt::KeepAspectRatio);
    const int top = alone ? area.top() + (area.height() - size.height()) / 2 : area.top();
    const QRect target(area.left() + (area.width() - size.width()) / 2, top, size.width(), size.height());
    p.setOpacity(isEnabled() ? 1.0 : 0.4);
    p.drawPixmap(target, m_glyph);
    p.setOpacity(1.0);
    area.setTop(target.bottom() + 2);
}

void TTouchButton::paintPicture(QPainter& p, const QRect& area, const QImage& image) const {
    if (image.isNull() || area.isEmpty())
        return;
    const QSizeF size = image.deviceIndependentSize();
    const QRectF target(area.left() + (area.width() - size.width()) / 2.0,
                        area.top() + (area.height() - size.height()) / 2.0, size.width(), size.height());
    p.setOpacity(isEnabled() ? 1.0 : 0.4);
    p.drawImage(target, image);
    p.setOpacity(1.0);
}

void TTouchButton::paintMissingPicture(QPainter& p, const QRectF& face, const QColor& fill) const {
    // A little picture frame struck through, in the top left corner, mostly
    // in the margin the caption keeps free: the button has a picture that
    // could not be shown.
    const QRectF frame(face.left() + 2.5, face.top() + 2.5, 9.0, 7.0);
    p.setPen(QPen(darkFace(fill) ? QColor(235, 235, 235) : QColor(70, 70, 70), 1.2));
    p.setBrush(fill);
    p.drawRect(frame);
    p.setPen(QPen(QColor(200, 0, 0), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(frame.bottomLeft() + QPointF(-1.0, 1.0), frame.topRight() + QPointF(1.0, -1.0));
}

void TTouchButton::paintCaption(QPainter& p, const QRect& area, const QString& caption, const QColor& color,
                                bool struck) const {
    if (area.isEmpty())
        return; // no room left beside the picture
    p.setPen(color);
    drawCaption(p, area, caption, font(), struck);
}

void TTouchButton::paintMark(QPainter& p, const QRectF& face, const QColor& fill) const {
    switch (m_mark) {
    case PendingMark::None:
        return;
    case PendingMark::Clear: {
        // A cross from corner to corner: this button is to be cleared, it is
        // not an empty slot.
        const QRectF r = face.adjusted(6, 5, -6, -5);
        p.setPen(QPen(QColor(190, 0, 0), 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomLeft());
        return;
    }
    case PendingMark::Cut: {
        p.setPen(QPen(darkFace(fill) ? QColor(Qt::white) : QColor(0, 0, 128), 2.0, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(face.adjusted(3, 3, -3, -3), kRadius - 2, kRadius - 2);
        return;
    }
    case PendingMark::Changed: {
        // A folded corner in orange with a dark edge, seen on any face colour.
        const qreal s = 14.0;
        const QPointF tr = face.topRight() + QPointF(-2.0, 2.0);
        QPainterPath corner;
        corner.moveTo(tr);
        corner.lineTo(tr + QPointF(-s, 0));
        corner.lineTo(tr + QPointF(0, s));
        corner.closeSubpath();
        p.fillPath(corner, QColor(255, 140, 0));
        p.setPen(QPen(QColor(60, 30, 0), 1.2));
        p.drawPath(corner);
        return;
    }
    }
}

void TTouchButton::paintFocusFrame(QPainter& p, const QRectF& face, const QColor& fill) const {
    // Dark on a light face, yellow on a dark one, with a thin line of the
    // other kind inside, so that it stands out on every colour.
    const bool dark = darkFace(fill);
    const QColor outer = dark ? QColor(255, 215, 0) : QColor(0, 0, 96);
    const QColor inner = dark ? QColor(0, 0, 0) : QColor(255, 255, 255);
    p.setBrush(Qt::NoBrush);
    const qreal half = kFocusWidth / 2.0;
    p.setPen(QPen(outer, kFocusWidth));
    p.drawRoundedRect(face.adjusted(half, half, -half, -half), kRadius, kRadius);
    p.setPen(QPen(inner, 1.0));
    p.drawRoundedRect(face.adjusted(kFocusWidth + 0.5, kFocusWidth + 0.5, -kFocusWidth - 0.5, -kFocusWidth - 0.5),
                      kRadius - 3, kRadius - 3);
}
