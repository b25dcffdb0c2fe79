#include "TTouchDrag.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kShadow = 6;        // offset of the shadow under the lifted picture
constexpr int kOutlineMargin = 4; // the outline stands this far outside its target
constexpr qreal kOutlineWidth = 4.0;
constexpr qreal kRadius = 9.0;

// The lifted button: its picture, a little transparent so that the slot under
// it shows through, over a soft shadow.
class FloatingCopy : public QWidget {
public:
    explicit FloatingCopy(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("tdrCopia"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        hide();
    }
    void setPicture(const QPixmap& picture) {
        m_picture = picture;
        resize(picture.deviceIndependentSize().toSize() + QSize(kShadow, kShadow));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QSizeF size = m_picture.deviceIndependentSize();
        QPainterPath shadow;
        shadow.addRoundedRect(QRectF(QPointF(kShadow, kShadow), size), kRadius, kRadius);
        p.fillPath(shadow, QColor(0, 0, 0, 90));
        p.setOpacity(0.88);
        p.drawPixmap(QPointF(0, 0), m_picture);
    }

private:
    QPixmap m_picture;
};

// The outline of the place under the finger: green where a release would be
// taken, red where it would be refused.
class TargetOutline : public QWidget {
public:
    explicit TargetOutline(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("tdrDestaque"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        hide();
    }
    void setAccepted(bool accepted) {
        m_accepted = accepted;
        update();
    }
    QColor color() const { return m_accepted ? QColor(0, 150, 40) : QColor(200, 0, 0); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal half = kOutlineWidth / 2.0;
        const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
        p.setPen(QPen(color(), kOutlineWidth));
        p.setBrush(m_accepted ? QColor(0, 150, 40, 40) : QColor(200, 0, 0, 30));
        p.drawRoundedRect(r, kRadius, kRadius);
    }

private:
    bool m_accepted = false;
};

QRect rectIn(const QWidget* w, const QWidget* host) {
    return QRect(w->mapTo(host, QPoint(0, 0)), w->size());
}

} // namespace

TTouchDrag::TTouchDrag(QWidget* host) : QObject(host), m_host(host) {
    setObjectName(QStringLiteral("tdrArrasto"));
}

TTouchDrag::~TTouchDrag() = default;

void TTouchDrag::addSource(QWidget* source) {
    source->installEventFilter(this);
}

void TTouchDrag::addTarget(QWidget* target) {
    m_targets.append(target);
}

void TTouchDrag::setCanLift(std::function<bool(QWidget*)> canLift) {
    m_canLift = std::move(canLift);
}

void TTouchDrag::setAccepts(std::function<bool(QWidget*, QWidget*)> accepts) {
    m_accepts = std::move(accepts);
}

QWidget* TTouchDrag::floatingCopy() const {
    return m_copy;
}

QWidget* TTouchDrag::highlight() const {
    return m_outline;
}

bool TTouchDrag::eventFilter(QObject* watched, QEvent* event) {
    auto* source = qobject_cast<QWidget*>(watched);
    if (!source)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second of two quick touches is a press as well
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint hostPos = source->mapTo(m_host, mouse->position().toPoint());
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            return mouse->button() == Qt::LeftButton && press(source, hostPos);
        if (event->type() == QEvent::MouseMove)
            return (mouse->buttons() & Qt::LeftButton) && move(source, hostPos);
        return mouse->button() == Qt::LeftButton && release(source, hostPos);
    }
    case QEvent::Hide:
        // A source that goes away under the finger ends the drag.
        if (m_dragging && source == m_source)
            cancel();
        return false;
    default:
        return false;
    }
}

bool TTouchDrag::press(QWidget* source, const QPoint& hostPos) {
    if (m_dragging)
        return true; // a second finger while one button is lifted
    m_pressed = source;
    m_refused = false;
    m_pressPos = hostPos;
    return false; // the button shows itself pressed and may still be tapped
}

bool TTouchDrag::move(QWidget* source, const QPoint& hostPos) {
    if (m_dragging) {
        if (source == m_source)
            follow(hostPos);
        return true;
    }
    if (source != m_pressed || m_refused)
        return false;
    if ((hostPos - m_pressPos).manhattanLength() <= kThreshold)
        return false;
    if (m_canLift && !m_canLift(source)) {
        m_refused = true;
        return false;
    }
    lift(source);
    follow(hostPos);
    return true;
}

bool TTouchDrag::release(QWidget* source, const QPoint& hostPos) {
    if (!m_dragging) {
        if (source == m_pressed)
            m_pressed.clear();
        return false;
    }
    if (source != m_source)
        return true;
    follow(hostPos); // where the finger left the screen, even without a move there
    QWidget* lifted = m_source;
    QWidget* over = m_target;
    finish();
    emit dropped(lifted, over);
    return true;
}

void TTouchDrag::lift(QWidget* source) {
    m_dragging = true;
    m_source = source;
    m_pressed.clear();
    m_grabOffset = m_pressPos - rectIn(source, m_host).topLeft();
    // The button lets go of its pressed look, and is not clicked: it is told
    // the finger left it, which is what a release away from it means.
    const QPointF away(-100000.0, -100000.0);
    QMouseEvent letGo(QEvent::MouseButtonRelease, away, source->mapToGlobal(away), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
    source->removeEventFilter(this);
    QCoreApplication::sendEvent(source, &letGo);
    source->installEventFilter(this);

    if (!m_copy)
        m_copy = new FloatingCopy(m_host);
    if (!m_outline)
        m_outline = new TargetOutline(m_host);
    static_cast<FloatingCopy*>(m_copy)->setPicture(source->grab());
    emit lifted(source);
    m_copy->show();
    m_copy->raise();
}

void TTouchDrag::follow(const QPoint& hostPos) {
    m_finger = hostPos;
    if (m_copy)
        m_copy->move(hostPos - m_grabOffset);
    QWidget* over = targetAt(hostPos);
    const bool changed = over != m_target;
    m_target = over;
    outline();
    if (changed)
        emit hovered(over);
}

void TTouchDrag::outline() {
    QWidget* over = m_target;
    m_accepted = over && over != m_source && (m_accepts ? m_accepts(m_source, over) : true);
    if (!m_outline)
        return;
    if (!over || over == m_source) {
        m_outline->hide();
        return;
    }
    static_cast<TargetOutline*>(m_outline)->setAccepted(m_accepted);
    m_outline->setGeometry(
        rectIn(over, m_host).adjusted(-kOutlineMargin, -kOutlineMargin, kOutlineMargin, kOutlineMargin));
    m_outline->show();
    m_outline->raise();
    if (m_copy)
        m_copy->raise();
}

QWidget* TTouchDrag::targetAt(const QPoint& hostPos) const {
    for (const QPointer<QWidget>& t : m_targets) {
        if (t && t->isVisible() && rectIn(t, m_host).contains(hostPos))
            return t;
    }
    return nullptr;
}

void TTouchDrag::refresh() {
    if (!m_dragging)
        return;
    QWidget* over = targetAt(m_finger);
    const bool changed = over != m_target;
    m_target = over;
    outline();
    if (changed)
        emit hovered(over);
}

void TTouchDrag::cancel() {
    if (!m_dragging)
        return;
    QWidget* lifted = m_source;
    finish();
    emit cancelled(lifted);
}

void TTouchDrag::finish() {
    m_dragging = false;
    m_source.clear();
    m_target.clear();
    m_accepted = false;
    if (m_copy)
        m_copy->hide();
    if (m_outline)
        m_outline->hide();
}
