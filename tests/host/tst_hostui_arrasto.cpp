// The drag helper on its own: the threshold that tells a tap from a lift,
// the picture and the outline while a button is lifted, the release that is
// reported and never also a click, and the ways a drag is given up.

#include <TTouchButton.h>
#include <TTouchDrag.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TstHostUiArrasto : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QWidget> host;
    TTouchButton* a = nullptr;
    TTouchButton* b = nullptr;
    QLabel* fora = nullptr;
    TTouchDrag* drag = nullptr;
    bool aceitaB = true;
    bool podeLevantar = true;

    // A point of `alvo`'s centre in the coordinates of a, which has the
    // finger (the pressed widget receives every move and the release).
    QPoint sobre(QWidget* alvo) const { return a->mapFrom(host.get(), alvo->mapTo(host.get(), alvo->rect().center())); }
    const QPoint inicio{20, 20};

private slots:
    void init() {
        host = std::make_unique<QWidget>();
        host->resize(400, 200);
        a = new TTouchButton(host.get());
        a->setGeometry(10, 10, 100, 50);
        a->setCaption(QStringLiteral("Bebidas"));
        b = new TTouchButton(host.get());
        b->setGeometry(200, 10, 100, 50);
        fora = new QLabel(QStringLiteral("fora"), host.get());
        fora->setGeometry(10, 120, 100, 30);
        drag = new TTouchDrag(host.get());
        drag->addSource(a);
        drag->addTarget(a);
        drag->addTarget(b);
        aceitaB = true;
        podeLevantar = true;
        drag->setCanLift([this](QWidget*) { return podeLevantar; });
        drag->setAccepts([this](QWidget*, QWidget* alvo) { return alvo == b && aceitaB; });
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    }
    void cleanup() { host.reset(); }

    // Up to the threshold a press is the button's own: it is clicked.
    void movementUpToTheThresholdStaysATap() {
        QSignalSpy clicked(a, &QAbstractButton::clicked);
        QSignalSpy lifted(drag, &TTouchDrag::lifted);
        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, inicio + QPoint(TTouchDrag::kThreshold - 4, 4));
        QVERIFY(!drag->dragging());
        QVERIFY(a->isDown());
        QTest::mouseRelease(a, Qt::LeftButton, {}, inicio + QPoint(TTouchDrag::kThreshold - 4, 4));
        QCOMPARE(lifted.count(), 0);
        QCOMPARE(clicked.count(), 1);
    }

    // Past it the button is lifted: its picture follows the finger, the
    // target under it is outlined, the release names it, and there is no click.
    void pastTheThresholdTheButtonIsLiftedAndDropped() {
        QSignalSpy clicked(a, &QAbstractButton::clicked);
        QSignalSpy lifted(drag, &TTouchDrag::lifted);
        QSignalSpy hovered(drag, &TTouchDrag::hovered);
        QSignalSpy dropped(drag, &TTouchDrag::dropped);
        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, inicio + QPoint(TTouchDrag::kThreshold + 1, 0));
        QVERIFY(drag->dragging());
        QCOMPARE(lifted.count(), 1);
        QCOMPARE(drag->source(), a);
        QVERIFY(!a->isDown());
        QVERIFY(drag->floatingCopy() && drag->floatingCopy()->isVisible());
        QCOMPARE(drag->floatingCopy()->pos(), QPoint(10 + TTouchDrag::kThreshold + 1, 10));
        // Over its own place: a target, never outlined.
        QCOMPARE(drag->target(), a);
        QVERIFY(!drag->highlight()->isVisible());

        QTest::mouseMove(a, sobre(b));
        QCOMPARE(drag->target(), b);
        QVERIFY(drag->targetAccepted());
        QVERIFY(drag->highlight()->isVisible());
        QVERIFY(drag->highlight()->geometry().contains(b->geometry()));
        const QColor borda = drag->highlight()->grab().toImage().pixelColor(1, drag->highlight()->height() / 2);
        QVERIFY2(borda.green() > 100 && borda.red() < 60, qPrintable(borda.name()));
        QVERIFY(hovered.count() >= 1);
        QCOMPARE(hovered.last().at(0).value<QWidget*>(), b);

        QTest::mouseRelease(a, Qt::LeftButton, {}, sobre(b));
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.at(0).at(0).value<QWidget*>(), a);
        QCOMPARE(dropped.at(0).at(1).value<QWidget*>(), b);
        QCOMPARE(clicked.count(), 0);
        QVERIFY(!drag->dragging());
        QVERIFY(!drag->floatingCopy()->isVisible());
        QVERIFY(!drag->highlight()->isVisible());

        // The next tap is a tap again.
        QTest::mouseClick(a, Qt::LeftButton, {}, inicio);
        QCOMPARE(clicked.count(), 1);
    }

    // A target that would not take the button is outlined in red; a release
    // over no target, or back over its own place, names no other target and
    // is no click either.
    void refusedTargetsAndReleasesOverNothing() {
        aceitaB = false;
        QSignalSpy clicked(a, &QAbstractButton::clicked);
        QSignalSpy dropped(drag, &TTouchDrag::dropped);
        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, sobre(b));
        QVERIFY(drag->dragging());
        QCOMPARE(drag->target(), b);
        QVERIFY(!drag->targetAccepted());
        const QColor borda = drag->highlight()->grab().toImage().pixelColor(1, drag->highlight()->height() / 2);
        QVERIFY2(borda.red() > 150 && borda.green() < 60, qPrintable(borda.name()));
        QTest::mouseMove(a, sobre(fora));
        QCOMPARE(drag->target(), nullptr);
        QVERIFY(!drag->highlight()->isVisible());
        QTest::mouseRelease(a, Qt::LeftButton, {}, sobre(fora));
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.at(0).at(1).value<QWidget*>(), nullptr);

        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, inicio + QPoint(40, 0));
        QTest::mouseMove(a, inicio);
        QTest::mouseRelease(a, Qt::LeftButton, {}, inicio);
        QCOMPARE(dropped.count(), 2);
        QCOMPARE(dropped.at(1).at(1).value<QWidget*>(), a);
        QCOMPARE(clicked.count(), 0);
    }

    // The place under the finger when it leaves the screen is the one
    // reported, whether or not a move was seen there.
    void theReleasePointDecides() {
        QSignalSpy dropped(drag, &TTouchDrag::dropped);
        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, sobre(b));
        QTest::mouseRelease(a, Qt::LeftButton, {}, sobre(fora));
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.at(0).at(1).value<QWidget*>(), nullptr);
        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, sobre(fora));
        QTest::mouseRelease(a, Qt::LeftButton, {}, sobre(b));
        QCOMPARE(dropped.at(1).at(1).value<QWidget*>(), b);
    }

    // Two quick touches: the second arrives as a double click, and lifts too.
    void theSecondOfTwoQuickTouchesLifts() {
        QTest::mouseClick(a, Qt::LeftButton, {}, inicio);
        const auto envia = [this](QEvent::Type tipo, const QPoint& p, Qt::MouseButton botao, Qt::MouseButtons botoes) {
            QMouseEvent e(tipo, p, a->mapToGlobal(p), botao, botoes, Qt::NoModifier);
            QApplication::sendEvent(a, &e);
        };
        envia(QEvent::MouseButtonDblClick, inicio, Qt::LeftButton, Qt::LeftButton);
        envia(QEvent::MouseMove, sobre(b), Qt::NoButton, Qt::LeftButton);
        QVERIFY(drag->dragging());
        QCOMPARE(drag->target(), b);
        envia(QEvent::MouseButtonRelease, sobre(b), Qt::LeftButton, Qt::NoButton);
        QVERIFY(!drag->dragging());
    }

    // A button its owner will not let go is not lifted: the press stays the
    // button's, released on it a click as before.
    void aButtonThatMayNotBeLiftedKeepsItsPress() {
        podeLevantar = false;
        QSignalSpy clicked(a, &QAbstractButton::clicked);
        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, inicio + QPoint(30, 10));
        QVERIFY(!drag->dragging());
        QVERIFY(!drag->floatingCopy());
        QTest::mouseRelease(a, Qt::LeftButton, {}, inicio + QPoint(30, 10));
        QCOMPARE(clicked.count(), 1);
    }

    // Given up by its owner (a key) or because the button went away: the
    // picture goes, the owner is told, and the release that follows is nobody's.
    void cancelledDrags() {
        QSignalSpy clicked(a, &QAbstractButton::clicked);
        QSignalSpy cancelled(drag, &TTouchDrag::cancelled);
        QSignalSpy dropped(drag, &TTouchDrag::dropped);
        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, sobre(b));
        drag->cancel();
        QCOMPARE(cancelled.count(), 1);
        QVERIFY(!drag->dragging());
        QVERIFY(!drag->floatingCopy()->isVisible());
        QTest::mouseRelease(a, Qt::LeftButton, {}, inicio);
        QCOMPARE(dropped.count(), 0);
        QCOMPARE(clicked.count(), 0);

        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, sobre(b));
        a->hide();
        QCOMPARE(cancelled.count(), 2);
        QCOMPARE(cancelled.at(1).at(0).value<QWidget*>(), a);
        QVERIFY(!drag->dragging());
    }

    // What lies under a still finger is asked again when the owner says so.
    void refreshAsksAgainUnderAStillFinger() {
        QTest::mousePress(a, Qt::LeftButton, {}, inicio);
        QTest::mouseMove(a, sobre(b));
        QVERIFY(drag->targetAccepted());
        aceitaB = false;
        drag->refresh();
        QVERIFY(!drag->targetAccepted());
        b->hide();
        drag->refresh();
        QCOMPARE(drag->target(), nullptr);
        QTest::mouseRelease(a, Qt::LeftButton, {}, sobre(b));
    }
};

QTEST_MAIN(TstHostUiArrasto)
#include "tst_hostui_arrasto.moc"
