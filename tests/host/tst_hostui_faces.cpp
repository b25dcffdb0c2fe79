// Touch buttons drawn from the face and caption caches: pixel for pixel what
// the direct drawing gives, on a background that is not flat (the face's
// rounded rims blend with it), at several sizes, colours and states, with a
// glyph or a picture beside the caption, and at two device pixel ratios; and
// the caches are used, not bypassed.

#include <ButtonFaceCache.h>
#include <CaptionImageCache.h>
#include <TBlendedBitBtn.h>
#include <TTouchButton.h>

#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A backdrop of random pixels: whatever the face blends with shows.
class Noise : public QWidget {
public:
    Noise() {
        m_noise = QImage(400, 200, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < m_noise.height(); ++y)
            for (int x = 0; x < m_noise.width(); ++x)
                m_noise.setPixel(x, y, random.generate() | 0xff000000u);
        resize(m_noise.size());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, m_noise);
    }

private:
    QImage m_noise;
};

void setCaches(bool on) {
    ButtonFaceCache::instance().setEnabled(on);
    CaptionImageCache::instance().setEnabled(on);
    ButtonFaceCache::instance().clear();
    CaptionImageCache::instance().clear();
}

QImage rendered(QWidget& widget, qreal dpr, QImage::Format format = QImage::Format_ARGB32_Premultiplied) {
    QImage image(widget.size() * dpr, format);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

struct Look {
    QString name;
    QSize size;
    int color;     // 0x00BBGGRR
    int fontColor; // 0x00BBGGRR
    QString caption;
};

QList<Look> looks() {
    return {
        {QStringLiteral("group"), {105, 47}, 11571344, 0, QStringLiteral("Refrigerantes")},
        {QStringLiteral("product"), {75, 53}, 0x00FFFFFF, 0x000000FF, QStringLiteral("Guaraná Antarctica Lata 350ml")},
        {QStringLiteral("dark"), {64, 53}, 0x00400000, 0x00FFFFFF, QStringLiteral("Pão & Cia")},
        {QStringLiteral("cut short"), {40, 30}, 0x0000C0FF, 0, QString(50, QLatin1Char('W'))},
        {QStringLiteral("wide"), {201, 81}, 0x0000FF00, 0x00800080, QStringLiteral("ÇÃÕÉ ção gjpqy")},
        {QStringLiteral("tiny"), {9, 9}, 0x00808080, 0, QStringLiteral("x")},
    };
}

} // namespace

class TstHostUiFaces : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setCaches(true); }

    void cachedButtonsLookAsDrawnDirectly_data() {
        QTest::addColumn<int>("look");
        QTest::addColumn<QString>("state");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<int>("format");
        const QStringList states{QStringLiteral("plain"),   QStringLiteral("down"),    QStringLiteral("disabled"),
                                 QStringLiteral("focus"),   QStringLiteral("cleared"), QStringLiteral("cut"),
                                 QStringLiteral("changed"), QStringLiteral("glyph"),   QStringLiteral("picture")};
        for (int n = 0; n < looks().size(); ++n)
            for (const QString& state : states)
                for (qreal dpr : {1.0, 2.0})
                    for (QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32})
                        QTest::addRow("%s, %s, x%g, %s", qPrintable(looks()[n].name), qPrintable(state), dpr,
                                      format == QImage::Format_RGB32 ? "opaque" : "translucent")
                            << n << state << dpr << int(format);
    }

    void cachedButtonsLookAsDrawnDirectly() {
        QFETCH(int, look);
        QFETCH(QString, state);
        QFETCH(qreal, dpr);
        QFETCH(int, format);
        const auto target = QImage::Format(format);
        const Look l = looks()[look];
        QTemporaryDir dir;
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(QColor(10, 120, 200));
        const QString picturePath = dir.filePath(QStringLiteral("p.png"));
        QVERIFY(picture.save(picturePath));

        Noise backdrop;
        auto* b = new TTouchButton(&backdrop);
        b->setGeometry(QRect(QPoint(13, 7), l.size));
        b->SetColor(l.color);
        b->setFontColor(l.fontColor);
        b->setCaption(l.caption);
        if (state == QLatin1String("down"))
            b->setDown(true);
        else if (state == QLatin1String("disabled"))
            b->setEnabled(false);
        else if (state == QLatin1String("focus"))
            b->setFocusFrame(true);
        else if (state == QLatin1String("cleared") || state == QLatin1String("cut")) {
            b->setCaption(QString());
            b->setPendingMark(state == QLatin1String("cut") ? TTouchButton::PendingMark::Cut
                                                            : TTouchButton::PendingMark::Clear,
                              l.caption);
        } else if (state == QLatin1String("changed"))
            b->setPendingMark(TTouchButton::PendingMark::Changed);
        else if (state == QLatin1String("glyph")) {
            QPixmap glyph(16, 16);
            glyph.fill(QColor(200, 30, 30));
            b->setGlyph(glyph);
        } else if (state == QLatin1String("picture"))
            b->setPicture(picturePath);

        setCaches(false);
        const QImage direct = rendered(backdrop, dpr, target);
        setCaches(true);
        const int faces = ButtonFaceCache::instance().renderCount();
        const int captionsBefore = CaptionImageCache::instance().renderCount();
        const QImage first = rendered(backdrop, dpr, target);
        const int captions = CaptionImageCache::instance().renderCount();
        const QImage again = rendered(backdrop, dpr, target);
        QCOMPARE(ButtonFaceCache::instance().renderCount(), faces + 1); // made once, then copied
        QCOMPARE(CaptionImageCache::instance().renderCount(), captions);
        if (state == QLatin1String("plain") && l.size.width() > 20)
            QCOMPARE(captions, captionsBefore + 1);
        QVERIFY(first == direct);
        QVERIFY(again == direct);
    }

    // The tool buttons' faces (no outline) come from the same cache.
    void toolButtonsLookAsDrawnDirectly() {
        for (const QString& state : {QStringLiteral("plain"), QStringLiteral("down"), QStringLiteral("disabled")})
            for (qreal dpr : {1.0, 2.0}) {
                Noise backdrop;
                auto* b = TBlendedBitBtn::commandButton(&backdrop, QStringLiteral("tbb"),
                                                        QStringLiteral("Ctrl+Enter\nConfirmar"), QSize(109, 65));
                b->move(21, 11);
                b->setDown(state == QLatin1String("down"));
                b->setEnabled(state != QLatin1String("disabled"));
                setCaches(false);
                const QImage direct = rendered(backdrop, dpr);
                setCaches(true);
                const int faces = ButtonFaceCache::instance().renderCount();
                QVERIFY2(rendered(backdrop, dpr) == direct, qPrintable(state));
                QVERIFY2(rendered(backdrop, dpr) == direct, qPrintable(state));
                QCOMPARE(ButtonFaceCache::instance().renderCount(), faces + 1);
            }
    }

    // The same face size and colours on another button: nothing rendered.
    void aFaceServesEveryButtonOfItsSizeAndColours() {
        Noise backdrop;
        auto* one = new TTouchButton(&backdrop);
        one->setGeometry(0, 0, 105, 47);
        one->setCaption(QStringLiteral("Um"));
        auto* two = new TTouchButton(&backdrop);
        two->setGeometry(120, 60, 105, 47);
        two->setCaption(QStringLiteral("Dois"));
        setCaches(true);
        const int before = ButtonFaceCache::instance().renderCount();
        rendered(backdrop, 1.0);
        QCOMPARE(ButtonFaceCache::instance().renderCount(), before + 1);
        two->SetColor(255);
        rendered(backdrop, 1.0);
        QCOMPARE(ButtonFaceCache::instance().renderCount(), before + 2);
    }

    // A painter that scales (a sheet printed larger) is drawn on directly,
    // and a caption seen before is copied, not rendered again.
    void scaledPaintersAndCaptionsSeenBefore() {
        Noise backdrop;
        auto* b = new TTouchButton(&backdrop);
        b->setGeometry(10, 10, 105, 47);
        b->setCaption(QStringLiteral("Sucos Naturais"));
        setCaches(true);
        QImage scaled(backdrop.size() * 1.5, QImage::Format_ARGB32_Premultiplied);
        const int faces = ButtonFaceCache::instance().renderCount();
        const int captions = CaptionImageCache::instance().renderCount();
        {
            QPainter p(&scaled);
            p.scale(1.5, 1.5);
            backdrop.render(&p);
        }
        QCOMPARE(ButtonFaceCache::instance().renderCount(), faces);
        QCOMPARE(CaptionImageCache::instance().renderCount(), captions);
        rendered(backdrop, 1.0);
        QCOMPARE(CaptionImageCache::instance().renderCount(), captions + 1);
        b->setCaption(QStringLiteral("Outra"));
        rendered(backdrop, 1.0);
        b->setCaption(QStringLiteral("Sucos Naturais"));
        rendered(backdrop, 1.0);
        QCOMPARE(CaptionImageCache::instance().renderCount(), captions + 2);
    }
};

QTEST_MAIN(TstHostUiFaces)
#include "tst_hostui_faces.moc"
