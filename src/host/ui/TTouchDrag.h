#pragma once
// Moving a button with the finger. A press on a watched button (a source)
// that travels more than kThreshold pixels lifts it: a picture of the button
// follows the finger over the host widget, and the target under the finger
// is outlined, in one colour where a release would be taken and in another
// where it would be refused. The release reports the target and is not
// passed on, so a lifted button is never also clicked. A movement that stays
// under the threshold is left to the button untouched: a tap stays a tap.
//
// The helper knows nothing of what a move means; its owner decides, when
// asked, whether a button may be lifted and whether a target would take it.

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>

class TTouchDrag : public QObject {
    Q_OBJECT
public:
    // How far (Manhattan length, pixels) a press travels before it lifts.
    static constexpr int kThreshold = 12;

    // host: the widget over which the picture moves; sources and targets are
    // host or its descendants.
    explicit TTouchDrag(QWidget* host);
    ~TTouchDrag() override;

    void addSource(QWidget* source);
    void addTarget(QWidget* target);

    // Asked once per press, when it passes the threshold: whether this
    // source may be lifted now. Unset: every source may.
    void setCanLift(std::function<bool(QWidget* source)> canLift);
    // Asked for each target the finger comes over: whether a release there
    // would be taken. Unset: every target but the source takes it.
    void setAccepts(std::function<bool(QWidget* source, QWidget* target)> accepts);

    bool dragging() const { return m_dragging; }
    QWidget* source() const { return m_source; }
    // The target under the finger (null when none), and whether it takes the
    // button. The source's own place is a target that is never outlined.
    QWidget* target() const { return m_target; }
    bool targetAccepted() const { return m_accepted; }
    // The picture that follows the finger and the outline of the target.
    QWidget* floatingCopy() const;
    QWidget* highlight() const;
    // Where the finger is, in host coordinates.
    QPoint fingerPos() const { return m_finger; }

    // Ends a drag without a release: the picture goes, cancelled is emitted.
    void cancel();
    // Asks again what lies under the finger, after the widgets under it
    // changed (a page turned, a target enabled or disabled).
    void refresh();

signals:
    void lifted(QWidget* source);
    // The target under the finger changed; null when it left every target.
    void hovered(QWidget* target);
    // The finger was lifted over target (null: over no target).
    void dropped(QWidget* source, QWidget* target);
    void cancelled(QWidget* source);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool press(QWidget* source, const QPoint& hostPos);
    bool move(QWidget* source, const QPoint& hostPos);
    bool release(QWidget* source, const QPoint& hostPos);
    void lift(QWidget* source);
    void follow(const QPoint& hostPos);
    void outline();
    QWidget* targetAt(const QPoint& hostPos) const;
    void finish();

    QWidget* m_host;
    QList<QPointer<QWidget>> m_targets;
    std::function<bool(QWidget*)> m_canLift;
    std::function<bool(QWidget*, QWidget*)> m_accepts;

    QPointer<QWidget> m_pressed; // the source under a press that has not lifted
    bool m_refused = false;      // this press asked and may not lift
    QPoint m_pressPos;           // host coordinates
    QPoint m_grabOffset;         // finger to the button's top-left corner
    QPoint m_finger;
    bool m_dragging = false;
    QPointer<QWidget> m_source;
    QPointer<QWidget> m_target;
    bool m_accepted = false;
    QWidget* m_copy = nullptr;
    QWidget* m_outline = nullptr;
};
