// Pictures on the touch buttons: drawn inside the face, scaled to fit and
// centred, the caption below them in the room they leave; a picture that
// cannot be shown leaves the caption alone with a small mark and one line in
// the log; the picture cache decodes a file once per size and refuses files
// and pictures over its limits without decoding them.

#include <ButtonPictureCache.h>
#include <TTouchButton.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

QStringList g_logged;
QtMessageHandler g_previous = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("button picture")))
        g_logged << message;
    else if (g_previous)
        g_previous(type, context, message);
}

quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= static_cast<quint8>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(QByteArray& data, int at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        data[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

QImage solid(const QSize& size, const QColor& color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

bool isBlue(QRgb p) {
    return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60;
}

// The black caption, not the blue picture.
bool isDark(QRgb p) {
    return std::max({qRed(p), qGreen(p), qBlue(p)}) < 90;
}

// Bounding box of the pixels of image that match.
template <typename Match> QRect inked(const QImage& image, Match match) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TstHostUiImagens : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QString savePng(const QString& name, const QImage& image) const {
        const QString path = file(name);
        if (!image.save(path, "PNG"))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static ButtonPictureCache& cache() { return ButtonPictureCache::instance(); }
    // A white button of the group grid's size.
    static std::unique_ptr<TTouchButton> button(const QString& caption, const QString& picture) {
        auto b = std::make_unique<TTouchButton>();
        b->resize(105, 47);
        b->SetColor(16777215);
        b->setFontColor(0);
        b->setCaption(caption);
        b->setPicture(picture);
        return b;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        g_previous = qInstallMessageHandler(capture);
    }
    void cleanupTestCase() { qInstallMessageHandler(g_previous); }
    void init() {
        cache().setLimits(ButtonPictureLimits{});
        g_logged.clear();
    }

    void pictureAboveCaptionInsideTheFace() {
        const QString png = savePng(QStringLiteral("azul.png"), solid({60, 30}, Qt::blue));
        auto b = button(QStringLiteral("Bebidas"), png);
        const QRect inner = b->rect().adjusted(5, 5, -5, -5);
        const QRect pic = b->pictureArea();
        const QRect cap = b->captionArea();
        QVERIFY(!b->pictureMissing());
        QVERIFY(inner.contains(pic));
        QVERIFY(inner.contains(cap));
        QVERIFY2(cap.top() > pic.bottom(), "the caption lies below the picture");
        QVERIFY2(pic.height() >= inner.height() * 2 / 5, "the picture keeps at least two fifths of the face");

        const QImage shot = b->grab().toImage();
        const QRect blue = inked(shot, isBlue);
        QVERIFY(!blue.isEmpty());
        QVERIFY2(pic.contains(blue), qPrintable(QStringLiteral("picture drawn at %1,%2 %3x%4")
                                                    .arg(blue.x())
                                                    .arg(blue.y())
                                                    .arg(blue.width())
                                                    .arg(blue.height())));
        // Scaled to fit, aspect kept (2:1), centred.
        QVERIFY(blue.height() >= pic.height() - 1 || blue.width() >= pic.width() - 1);
        QVERIFY(qAbs(blue.width() - 2 * blue.height()) <= 2);
        QVERIFY(qAbs(blue.center().x() - pic.center().x()) <= 1);
        QVERIFY(qAbs(blue.center().y() - pic.center().y()) <= 1);

        const QImage below = shot.copy(QRect(0, pic.bottom() + 1, shot.width(), shot.height() - pic.bottom() - 1));
        const QRect text = inked(below, isDark).translated(0, pic.bottom() + 1);
        QVERIFY2(!text.isEmpty(), "the caption is drawn");
        QVERIFY(cap.adjusted(-1, -1, 1, 1).contains(text));
        QCOMPARE(inked(shot.copy(pic), isDark), QRect()); // no caption ink over the picture
    }

    // On a wide and short face a square picture goes beside a short caption,
    // the full height of the face, the caption at its full size right of it;
    // on a product button a caption that below the picture would be cut is
    // set whole beside it.
    void squarePictureBesideAShortCaption() {
        const QString png = savePng(QStringLiteral("quadrado.png"), solid({40, 40}, Qt::blue));
        auto b = button(QStringLiteral("Bebidas"), png);
        const QRect inner = b->rect().adjusted(5, 5, -5, -5);
        const QRect pic = b->pictureArea();
        const QRect cap = b->captionArea();
        QCOMPARE(pic.height(), inner.height());
        QVERIFY(inner.contains(pic) && inner.contains(cap));
        QVERIFY2(cap.left() > pic.right(), "the caption lies right of the picture");
        QCOMPARE(b->captionLayout(b->caption()).font.pixelSize(), b->font().pixelSize());
        const QImage shot = b->grab().toImage();
        const QRect blue = inked(shot, isBlue);
        QVERIFY(pic.contains(blue));
        QVERIFY2(blue.height() >= inner.height() - 1, qPrintable(QString::number(blue.height())));
        const QRect text = inked(shot.copy(cap), isDark);
        QVERIFY2(!text.isEmpty(), "the caption is drawn");
        QCOMPARE(inked(shot.copy(pic), isDark), QRect());

        auto produto = button(QStringLiteral("Soda Limonada Lata 350ml"), png);
        produto->resize(75, 53);
        const CaptionLayout set = produto->captionLayout(produto->caption());
        QVERIFY(!set.elided);
        QCOMPARE(set.lines.join(QLatin1Char(' ')), produto->caption());
        QVERIFY(!produto->captionArea().intersects(produto->pictureArea()));
        QVERIFY(produto->pictureArea().height() >= 18 && produto->pictureArea().width() >= 18);
        // A caption that reads no better beside keeps the picture above.
        produto->setCaption(QStringLiteral("X-Burger"));
        QVERIFY(produto->captionArea().top() > produto->pictureArea().bottom());
    }

    void pictureAloneTakesTheWholeFace() {
        const QString png = savePng(QStringLiteral("azul2.png"), solid({60, 30}, Qt::blue));
        auto b = button(QString(), png);
        const QRect inner = b->rect().adjusted(5, 5, -5, -5);
        QCOMPARE(b->pictureArea(), inner);
        const QRect blue = inked(b->grab().toImage(), isBlue);
        QCOMPARE(blue.height(), inner.height());
        QVERIFY(qAbs(blue.center().x() - inner.center().x()) <= 1);
        // A long caption shrinks into its room (below or beside), never over the picture.
        b->setCaption(QStringLiteral("Hambúrguer Vegetariano com Queijo e Salada"));
        QVERIFY(!b->captionArea().isEmpty());
        QVERIFY(!b->captionArea().intersects(b->pictureArea()));
        QVERIFY(inner.contains(b->captionArea()) && inner.contains(b->pictureArea()));
        QVERIFY(b->captionLayout(b->caption()).height() <= b->captionArea().height());
    }

    void missingPictureShowsCaptionAndMarkLoggedOnce() {
        const QString missing = file(QStringLiteral("nao-existe.png"));
        auto withPicture = button(QStringLiteral("Bebidas"), missing);
        auto plain = button(QStringLiteral("Bebidas"), QString());
        QVERIFY(withPicture->pictureMissing());
        QVERIFY(!withPicture->glyphEmpty()); // the button is not an empty slot
        QCOMPARE(withPicture->pictureArea(), QRect());
        QCOMPARE(withPicture->captionArea(), plain->captionArea());

        const QImage shot = withPicture->grab().toImage();
        const QImage base = plain->grab().toImage();
        // The caption is where it is without a picture; the difference is the
        // mark in the top left corner.
        QRect changed;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) != base.pixel(x, y))
                    changed |= QRect(x, y, 1, 1);
        QVERIFY(!changed.isEmpty());
        QVERIFY2(QRect(0, 0, 20, 18).contains(changed), "only the corner mark differs");
        QVERIFY(!inked(shot.copy(0, 0, 20, 18), [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 80; }).isEmpty());

        auto other = button(QStringLiteral("Lanches"), missing);
        other->grab();
        withPicture->grab();
        QCOMPARE(g_logged.size(), 1);
        QVERIFY(g_logged.first().contains(missing));
    }

    void clearingTheGlyphClearsThePicture() {
        auto b = button(QStringLiteral("Bebidas"), file(QStringLiteral("azul.png")));
        b->clearGlyph();
        QVERIFY(b->picture().isEmpty());
        QVERIFY(b->glyphEmpty());
        QCOMPARE(b->captionArea(), b->rect().adjusted(5, 5, -5, -5));
    }

    void decodedOncePerFileAndSize() {
        const QString png = savePng(QStringLiteral("cache.png"), solid({80, 40}, Qt::red));
        const int before = cache().decodeCount();
        const ButtonPicture first = cache().picture(png, {40, 40});
        QCOMPARE(first.status, ButtonPictureStatus::Shown);
        QCOMPARE(first.image.size(), QSize(40, 20));
        QCOMPARE(cache().picture(png, {40, 40}).image.size(), QSize(40, 20));
        QCOMPARE(cache().decodeCount(), before + 1);
        QCOMPARE(cache().picture(png, {20, 40}).image.size(), QSize(20, 10));
        QCOMPARE(cache().decodeCount(), before + 2);
        // At twice the pixel density the image has twice the pixels and the same size on the face.
        const ButtonPicture dense = cache().picture(png, {40, 40}, 2.0);
        QCOMPARE(dense.image.size(), QSize(80, 40));
        QCOMPARE(dense.image.deviceIndependentSize(), QSizeF(40, 20));
        // A file replaced (another size) is read again.
        savePng(QStringLiteral("cache.png"), solid({40, 80}, Qt::red));
        QCOMPARE(cache().picture(png, {40, 40}).image.size(), QSize(20, 40));
    }

    void jpegAndSvg() {
        const QString jpg = file(QStringLiteral("foto.jpg"));
        if (!QImageWriter::supportedImageFormats().contains("jpeg"))
            QSKIP("no JPEG writer in this Qt");
        QVERIFY(solid({300, 100}, Qt::green).save(jpg, "JPEG"));
        const ButtonPicture photo = cache().picture(jpg, {60, 60});
        QCOMPARE(photo.status, ButtonPictureStatus::Shown);
        QCOMPARE(photo.image.size(), QSize(60, 20));
        QVERIFY(qGreen(photo.image.pixel(30, 10)) > 200);

        QFile svg(file(QStringLiteral("quadro.svg")));
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 20 10\" width=\"20\" height=\"10\">"
                  "<rect x=\"0\" y=\"0\" width=\"20\" height=\"10\" fill=\"#0000ff\"/></svg>");
        svg.close();
        const ButtonPicture drawn = cache().picture(svg.fileName(), {80, 80});
        QCOMPARE(drawn.status, ButtonPictureStatus::Shown);
        QCOMPARE(drawn.image.size(), QSize(80, 40)); // vector: drawn at the box, not at its own size
        QVERIFY(isBlue(drawn.image.pixel(40, 20)));
    }

    void hostileAndBrokenFilesRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("status");
        // A real PNG whose header announces 30000 x 30000 pixels (3.6 GB decoded).
        QByteArray bomb;
        {
            QBuffer buffer(&bomb);
            buffer.open(QIODevice::WriteOnly);
            solid({8, 8}, Qt::white).save(&buffer, "PNG");
        }
        putBigEndian(bomb, 16, 30000);
        putBigEndian(bomb, 20, 30000);
        putBigEndian(bomb, 29, crc32(bomb.mid(12, 17)));
        QTest::newRow("header over the pixel limit") << "bomba.png" << bomb << int(ButtonPictureStatus::TooLarge);
        QTest::newRow("file over the size limit")
            << "grande.png" << QByteArray(9 * 1024 * 1024, 'x') << int(ButtonPictureStatus::TooLarge);
        QTest::newRow("svg over the size limit")
            << "grande.svg" << QByteArray("<svg>") + QByteArray(9 * 1024 * 1024, ' ')
            << int(ButtonPictureStatus::TooLarge);
        QTest::newRow("compressed svg") << "z.svg" << QByteArray("\x1f\x8b\x08\x00\x00\x00", 6)
                                        << int(ButtonPictureStatus::Unreadable);
        QTest::newRow("svg with a linked image")
            << "link.svg"
            << QByteArray(
                   "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                   "width=\"10\" height=\"10\"><image xlink:href=\"bomba.png\" width=\"10\" height=\"10\"/></svg>")
            << int(ButtonPictureStatus::Unreadable);
        QTest::newRow("not a picture") << "texto.png" << QByteArray("isto não é uma imagem")
                                       << int(ButtonPictureStatus::Unreadable);
        QTest::newRow("empty svg") << "vazio.svg" << QByteArray() << int(ButtonPictureStatus::Unreadable);
    }
    void hostileAndBrokenFilesRefused() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, status);
        QFile f(file(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const ButtonPicture refused = cache().picture(f.fileName(), {95, 37});
        QCOMPARE(int(refused.status), status);
        QVERIFY(refused.image.isNull());
        // Refused once, remembered: neither decoded nor logged again.
        const int decodes = cache().decodeCount();
        QCOMPARE(int(cache().picture(f.fileName(), {50, 20}).status), status);
        QCOMPARE(cache().decodeCount(), decodes);
        QCOMPARE(g_logged.size(), 1);
        auto b = button(QStringLiteral("X-Burger"), f.fileName());
        QVERIFY(b->pictureMissing());
    }

    void lowerLimitsApply() {
        const QString png = savePng(QStringLiteral("limite.png"), solid({20, 20}, Qt::blue));
        cache().setLimits(ButtonPictureLimits{8 * 1024 * 1024, 399});
        QCOMPARE(cache().picture(png, {20, 20}).status, ButtonPictureStatus::TooLarge);
        cache().setLimits(ButtonPictureLimits{8 * 1024 * 1024, 400});
        QCOMPARE(cache().picture(png, {20, 20}).status, ButtonPictureStatus::Shown);
        cache().setLimits(ButtonPictureLimits{QFileInfo(png).size() - 1, 400});
        QCOMPARE(cache().picture(png, {20, 20}).status, ButtonPictureStatus::TooLarge);
    }

    void specialFilesAreNotRead() {
        QCOMPARE(cache().picture(QStringLiteral("/dev/zero"), {40, 40}).status, ButtonPictureStatus::Missing);
        QCOMPARE(cache().picture(m_dir.path(), {40, 40}).status, ButtonPictureStatus::Missing);
        QCOMPARE(cache().picture(QString(), {40, 40}).status, ButtonPictureStatus::Missing);
    }
};

QTEST_MAIN(TstHostUiImagens)
#include "tst_hostui_imagens.moc"
