#include "TTouchButton.h"

#include <QKeySequence>

#include "TColor.h"

#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal kRadius = 8.0;

// Bold, readable at arm's length; the family falls back to any sans serif.
QFont touchFont(const QFont& base) {
    QFont font(base);
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(13);
    return font;
}

QColor disabledFace(const QColor& face) {
    const int grey = qGray(face.rgb());
    return QColor(grey, grey, grey).lighter(115);
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
    update();
}

QSize TTouchButton::sizeHint() const {
    return {105, 47};
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

    QRect area = rect().adjusted(4, 3, -4, -3);
    if (isDown())
        area.translate(1, 1); // the face seems to sink under the finger
    if (!m_glyph.isNull()) {
        // Picture above the caption, or alone and centred when there is none.
        QSize size = m_glyph.size();
        const int maxHeight = text().isEmpty() ? area.height() : area.height() * 3 / 5;
        size.scale(QSize(area.width(), maxHeight).boundedTo(m_glyph.size()), Qt::KeepAspectRatio);
        const int top = text().isEmpty() ? area.top() + (area.height() - size.height()) / 2 : area.top();
        const QRect target(area.left() + (area.width() - size.width()) / 2, top, size.width(), size.height());
        if (isEnabled())
            p.drawPixmap(target, m_glyph);
        else {
            p.setOpacity(0.4);
            p.drawPixmap(target, m_glyph);
            p.setOpacity(1.0);
        }
        area.setTop(target.bottom() + 2);
    }
    if (text().isEmpty())
        return;
    p.setFont(font());
    p.setPen(isEnabled() ? colorFromTColor(m_fontColor) : QColor(Qt::darkGray));
    p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, text());
}
