// Captions on the touch buttons: every caption of the demo menu is drawn
// whole inside its button at the fonts the machine has, long ones wrapped,
// then shrunk, and only then cut short; and the marks a button carries.

#include <CaptionLayout.h>
#include <TColor.h>
#include <TTouchButton.h>

#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

namespace {

// The face the screen gives its group and product buttons.
QFont buttonFont() {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(13);
    f.setBold(true);
    return f;
}

// DSBUTTON of every menu item of the demo data, with its type code.
QList<QPair<QString, QString>> demoCaptions() {
    QFile file(qEnvironmentVariable("KALMORA_DB_DIR") + QStringLiteral("/demo_data.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString sql = QString::fromUtf8(file.readAll());
    // VALUES ('9999', '00001', type, button, page, auxtype, auxbutton, auxpage, ident, caption, ...
    static const QRegularExpression row(QStringLiteral(
        R"(INSERT INTO ITMENUCONFTE \([^)]*\) VALUES \('[^']*', '[^']*', '([^']*)', (?:'[^']*', ){5}'[^']*', '((?:[^']|'')*)')"));
    QList<QPair<QString, QString>> out;
    for (auto it = row.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        out.append({m.captured(1), m.captured(2).replace(QStringLiteral("''"), QStringLiteral("'"))});
    }
    return out;
}

QImage render(QWidget& w) {
    QImage image(w.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    w.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Dark pixels (the caption, black on white) outside the caption area.
int inkOutside(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!area.contains(x, y) && qGray(image.pixel(x, y)) < 110)
                ++n;
    return n;
}

} // namespace

class TstHostUiLegendas : public QObject {
    Q_OBJECT
private slots:
    void theNarrowFaceIsInstalled() {
        // scripts/deps.sh installs it; without it every long caption shrinks.
        QCOMPARE(QFontInfo(buttonFont()).family(), QStringLiteral("DejaVu Sans Condensed"));
    }

    void everyDemoCaptionFitsItsButton_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("size");
        const auto captions = demoCaptions();
        QVERIFY2(captions.size() > 60, "the demo data could not be read");
        for (const auto& [tipo, caption] : captions) {
            const bool grupo = tipo == QLatin1String("2") || tipo == QLatin1String("7") || tipo == QLatin1String("8");
            QTest::newRow(qPrintable(tipo + QLatin1Char(' ') + caption))
                << caption << (grupo ? QSize(105, 47) : QSize(75, 53));
        }
    }
    void everyDemoCaptionFitsItsButton() {
        QFETCH(QString, caption);
        QFETCH(QSize, size);
        TTouchButton b;
        b.setFont(buttonFont());
        b.resize(size);
        b.SetColor(0xFFFFFF);
        b.setFontColor(0);
        b.setCaption(caption);
        const QRect area = b.captionArea();
        const CaptionLayout layout = b.captionLayout(caption);
        QVERIFY(!layout.lines.isEmpty());
        for (const QString& line : layout.lines)
            QVERIFY2(captionLineWidth(layout.font, line) <= area.width(), qPrintable(line));
        QVERIFY(layout.height() <= area.height());
        // The demo captions fit whole: nothing cut short, every word shown.
        QVERIFY(!layout.elided);
        QCOMPARE(layout.lines.join(QLatin1Char(' ')), caption.simplified());
        QVERIFY(layout.font.pixelSize() >= kCaptionMinPixels);
        // And what is painted stays inside: no ink of the caption at the edges.
        QCOMPARE(inkOutside(render(b), area), 0);
    }

    void wrapsThenShrinksThenCutsShort_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("smaller");
        QTest::addColumn<bool>("elided");
        QTest::newRow("short, as it is") << "Suco" << false << false;
        QTest::newRow("words wrap at the size") << "Suco de Uva" << false << false;
        QTest::newRow("a long word shrinks") << "Refrigerantes" << true << false;
        QTest::newRow("too much text is cut short")
            << QString(QStringLiteral("Palavra ")).repeated(6).trimmed() << true << true;
        QTest::newRow("one endless word") << QString(50, QLatin1Char('W')) << true << true;
    }
    void wrapsThenShrinksThenCutsShort() {
        QFETCH(QString, caption);
        QFETCH(bool, smaller);
        QFETCH(bool, elided);
        const QSize area(65, 43); // a product button's caption area
        const CaptionLayout layout = layoutCaption(caption, buttonFont(), area);
        QCOMPARE(layout.font.pixelSize() < 13, smaller);
        QCOMPARE(layout.elided, elided);
        QVERIFY(layout.font.pixelSize() >= kCaptionMinPixels);
        QVERIFY(layout.height() <= area.height());
        for (const QString& line : layout.lines)
            QVERIFY2(captionLineWidth(layout.font, line) <= area.width(), qPrintable(line));
        if (elided)
            QVERIFY(layout.lines.last().endsWith(QStringLiteral("…")));
        else
            QCOMPARE(layout.lines.join(QLatin1Char(' ')), caption);
    }

    void marksAndFocusFrameAreSeen() {
        TTouchButton vazio, limpar, focado;
        for (TTouchButton* b : {&vazio, &limpar, &focado})
            b->resize(105, 47);
        // A button marked for clearing is shown without its caption, yet does
        // not look like an empty slot; its caption stays readable, struck.
        limpar.setPendingMark(TTouchButton::PendingMark::Clear, QStringLiteral("Bebidas"));
        QVERIFY(limpar.caption().isEmpty());
        QVERIFY(render(limpar) != render(vazio));
        // The focus frame shows on a group of the blank colour, at the edge.
        focado.setFocusFrame(true);
        const QColor edge = render(focado).pixelColor(52, 1);
        const QColor face = colorFromTColor(11571344);
        QVERIFY2(qAbs(qGray(edge.rgb()) - qGray(face.rgb())) > 80, qPrintable(edge.name()));
        // Marks go away without a trace.
        limpar.setPendingMark(TTouchButton::PendingMark::None);
        QCOMPARE(render(limpar), render(vazio));
    }
};

QTEST_MAIN(TstHostUiLegendas)
#include "tst_hostui_legendas.moc"
