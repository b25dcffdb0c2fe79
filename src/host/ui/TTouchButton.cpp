#include "TTouchButton.h"

#include "ButtonFaceCache.h"
#include "ButtonPictureCache.h"
#include "CaptionImageCache.h"
#include "CaptionLayoutCache.h"
#include "TColor.h"

#include <QKeySequence>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <cmath>

namespace {

constexpr qreal kRadius = 8.0;
// Room kept free at the edges: the caption never runs into the rounded
// corners or under the focus frame.
constexpr int kMarginX = 5;
constexpr int kMarginY = 5;
constexpr qreal kFocusWidth = 3.0;
// Inside this inset from the edges the face is its fill colour alone: clear
// of the outline and of the rounded corners' antialiasing.
constexpr int kFlatInset = 4;
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

namespace {

// Beside its caption a picture takes a square of at most two fifths of the
// face's width and of at least this many pixels, a few pixels from the text.
constexpr int kMinBesideSide = 18;
constexpr int kBesideGap = 3;
constexpr int kBesideStep = 4;
// What beside must gain over above (a pixel of caption is worth three of
// picture) before the button changes its look.
constexpr double kBesideMargin = 4.0;

// Where the picture and the caption go on the face, and how the caption is
// set there.
struct Placement {
    QRect picture;
    QRect caption;
    CaptionLayout layout;
};

// The caption laid out first, below, on the room a picture of the smallest
// height leaves, and then the picture given what the lines do not take.
Placement above(const QRect& area, const QString& caption, const QFont& font) {
    const int minPicture = std::max(area.height() * 2 / 5, std::min(area.height(), kMinPictureHeight));
    const QSize room(area.width(), area.height() - minPicture - kPictureGap);
    if (room.isEmpty())
        return {area, QRect(), {}};
    const CaptionLayout layout = cachedCaptionLayout(caption, font, room);
    const int lines = std::min(layout.height(), room.height());
    if (lines <= 0)
        return {area, QRect(), {}};
    QRect picture = area;
    picture.setHeight(area.height() - lines - kPictureGap);
    return {picture, QRect(area.left(), area.bottom() - lines + 1, area.width(), lines), layout};
}

// The picture in a square column at the left, the caption in the rest.
Placement beside(const QRect& area, const QString& caption, const QFont& font, int side) {
    const QRect picture(area.left(), area.top(), side, area.height());
    const QRect text(area.left() + side + kBesideGap, area.top(), area.width() - side - kBesideGap, area.height());
    return {picture, text, cachedCaptionLayout(caption, font, text.size())};
}

// Whether the caption is set whole, every word on one line: neither cut
// short nor a word broken across lines.
bool wholeWords(const CaptionLayout& layout, const QString& caption) {
    return !layout.elided && layout.lines.join(QLatin1Char(' ')).simplified() == caption.simplified();
}

// How well a placement shows the button: the caption whole before cut short
// or broken inside a word, then in a larger size, then the larger picture
// (the side of a square of the same area as the picture drawn).
double placementScore(const Placement& placement, const QString& caption, const QSizeF& picture) {
    if (placement.layout.lines.isEmpty())
        return -2000.0; // no room for the caption at all
    return (wholeWords(placement.layout, caption) ? 0.0 : -1000.0) + 3.0 * placement.layout.font.pixelSize() +
           std::sqrt(picture.width() * picture.height());
}

QSizeF fittedIn(const QSizeF& picture, const QSize& box) {
    if (picture.isEmpty() || box.isEmpty())
        return {};
    return picture.scaled(QSizeF(box), Qt::KeepAspectRatio);
}

} // namespace

// The picture above its caption, unless beside it the caption, every word
// whole, reads better (whole where above cuts it, or larger) or the picture
// is clearly larger at the same caption size: on a wide and short face a
// short caption leaves the picture the full height.
TTouchButton::FaceLayout TTouchButton::faceLayout() const {
    const QRect area = innerArea();
    if (!m_glyph.isNull() || m_picture.isEmpty())
        return {QRect(), area, QImage(), false};
    const QString caption = shownCaption();
    if (caption.isEmpty())
        return pictureIn(area, area);
    Placement placed = above(area, caption, font());
    FaceLayout shown = pictureIn(placed.picture, placed.caption);
    if (shown.missing)
        return shown;
    // The picture's own shape, as drawn above.
    const QSizeF drawn = shown.image.deviceIndependentSize();
    double best = placementScore(placed, caption, drawn);
    bool moved = false;
    for (int side = std::min(area.height(), area.width() * 2 / 5); side >= kMinBesideSide; side -= kBesideStep) {
        Placement other = beside(area, caption, font(), side);
        const double score = placementScore(other, caption, fittedIn(drawn, other.picture.size()));
        if (wholeWords(other.layout, caption) && score > best + kBesideMargin) {
            best = score;
            placed = std::move(other);
            moved = true;
        }
    }
    return moved ? pictureIn(placed.picture, placed.caption) : shown;
}

TTouchButton::FaceLayout TTouchButton::pictureIn(const QRect& picture, const QRect& caption) const {
    const ButtonPicture shown = ButtonPictureCache::instance().picture(m_picture, picture.size(), pictureRatio());
    if (shown.status != ButtonPictureStatus::Shown)
        return {QRect(), innerArea(), QImage(), true};
    return {picture, caption, shown.image, false};
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
    ButtonFaceCache::instance().draw(p, size(), fill, fill.darker(isDown() ? 160 : 125), kRadius);

    FaceLayout layout = faceLayout();
    QRect area = layout.caption;
    if (isDown()) {
        // the face seems to sink under the finger
        area.translate(1, 1);
        layout.picture.translate(1, 1);
    }
    // Where the face is of its fill colour alone, for the caption drawn on it.
    QRegion flat(rect().adjusted(kFlatInset, kFlatInset, -kFlatInset, -kFlatInset));
    flat -= paintGlyph(p, area);
    flat -= paintPicture(p, layout.picture, layout.image);
    const QColor textColor = isEnabled() ? colorFromTColor(m_fontColor) : QColor(Qt::darkGray);
    if (!text().isEmpty() && !m_captionHidden)
        paintCaption(p, area, text(), textColor, false, fill, flat);
    else if (text().isEmpty() && !m_ghost.isEmpty())
        paintCaption(p, area, m_ghost, darkFace(fill) ? fill.lighter(170) : fill.darker(170),
                     m_mark == PendingMark::Clear, fill, flat);
    if (layout.missing)
        paintMissingPicture(p, face, fill);
    paintMark(p, face, fill);
    if (m_focusFrame)
        paintFocusFrame(p, face, fill);
}

QRect TTouchButton::paintGlyph(QPainter& p, QRect& area) const {
    if (m_glyph.isNull())
        return QRect();
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
    return target;
}

QRect TTouchButton::paintPicture(QPainter& p, const QRect& area, const QImage& image) const {
    if (image.isNull() || area.isEmpty())
        return QRect();
    const QSizeF size = image.deviceIndependentSize();
    const QRectF target(area.left() + (area.width() - size.width()) / 2.0,
                        area.top() + (area.height() - size.height()) / 2.0, size.width(), size.height());
    p.setOpacity(isEnabled() ? 1.0 : 0.4);
    p.drawImage(target, image);
    p.setOpacity(1.0);
    return target.toAlignedRect();
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
                                bool struck, const QColor& face, const QRegion& flat) const {
    if (area.isEmpty())
        return; // no room left beside the picture
    p.setPen(color);
    CaptionImageCache::instance().draw(p, area, caption, font(), struck, face, flat);
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
