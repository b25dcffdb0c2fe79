#include "TBlendedBitBtn.h"

#include "ButtonFaceCache.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr qreal kRadius = 10.0;
constexpr int kMargin = 3;
constexpr int kSpacing = 2;

} // namespace

TBlendedBitBtn::TBlendedBitBtn(QWidget* parent) : QAbstractButton(parent) {
    QFont f = font();
    f.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    setFont(f);
    setFocusPolicy(Qt::NoFocus);
    resize(109, 65);
}

void TBlendedBitBtn::setGlyph(const QPixmap& glyph) {
    m_glyph = glyph;
    update();
}

void TBlendedBitBtn::setFaceColor(const QColor& c) {
    m_face = c;
    update();
}

void TBlendedBitBtn::setPressedColor(const QColor& c) {
    m_pressed = c;
    update();
}

void TBlendedBitBtn::setTextColor(const QColor& c) {
    m_text = c;
    update();
}

void TBlendedBitBtn::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor face = m_face;
    QColor textColor = m_text;
    if (!isEnabled()) {
        face = QColor(Qt::gray);
        textColor = QColor(0xC0, 0xC0, 0xC0); // silver
    } else if (isDown()) {
        face = m_pressed;
        textColor = palette().color(QPalette::Base); // the window colour
    }
    ButtonFaceCache::instance().draw(p, size(), face, QColor(), kRadius);

    QRect area = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    if (!m_glyph.isNull()) {
        QSize size = m_glyph.size();
        size.scale(QSize(area.width(), area.height() / 2).boundedTo(m_glyph.size()), Qt::KeepAspectRatio);
        const QRect target(area.left() + (area.width() - size.width()) / 2, area.top(), size.width(), size.height());
        p.setOpacity(isEnabled() ? 1.0 : 0.4);
        p.drawPixmap(target, m_glyph);
        p.setOpacity(1.0);
        area.setTop(target.bottom() + kSpacing);
    }
    p.setFont(font());
    p.setPen(textColor);
    // Captions such as "Ctrl+Enter\nConfirmar" keep their line break.
    p.drawText(area, Qt::AlignHCenter | (m_glyph.isNull() ? Qt::AlignVCenter : Qt::AlignTop) | Qt::TextWordWrap,
               text());
}

TBlendedBitBtn* TBlendedBitBtn::commandButton(QWidget* parent, const QString& name, const QString& caption,
                                              const QSize& size) {
    auto* button = new TBlendedBitBtn(parent);
    button->setObjectName(name);
    button->setCaption(caption);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(size);
    QFont font = button->font();
    font.setPointSize(13);
    font.setBold(true);
    button->setFont(font);
    return button;
}
