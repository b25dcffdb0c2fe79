// Captions drawn from the layout cache: pixel for pixel what a fresh layout
// drawn line by line with drawText gives, for every demo caption, long and
// cut-short ones, struck ones, at the sizes of the group and product buttons;
// and a layout taken from the cache is the layout of its own area.

#include <CaptionLayout.h>
#include <CaptionLayoutCache.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QtTest>

namespace {

QFont buttonFont() {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(13);
    f.setBold(true);
    return f;
}

QStringList captions() {
    QStringList out{QStringLiteral("Pão & Cia"),
                    QStringLiteral("Suco de Uva"),
                    QStringLiteral("x"),
                    QStringLiteral("Refrigerantes"),
                    QString(QStringLiteral("Palavra ")).repeated(6),
                    QString(50, QLatin1Char('W')),
                    QStringLiteral("  espaços   soltos "),
                    QStringLiteral("ÇÃÕÉ ção")};
    QFile file(qEnvironmentVariable("KALMORA_DB_DIR") + QStringLiteral("/demo_data.sql"));
    if (file.open(QIODevice::ReadOnly)) {
        static const QRegularExpression row(QStringLiteral(R"(VALUES \((?:'[^']*', ){9}'((?:[^']|'')*)')"));
        const QString sql = QString::fromUtf8(file.readAll());
        for (auto it = row.globalMatch(sql); it.hasNext();)
            out << it.next().captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
    }
    return out;
}

QImage blank() {
    QImage image(120, 70, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(144, 144, 176));
    return image;
}

// The caption as the button drew it before the cache: laid out afresh, each
// line with drawText in its own rectangle.
QImage drawnAfresh(const QString& text, const QRect& area, bool struck) {
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const CaptionLayout layout = layoutCaption(text, buttonFont(), area.size());
    QFont f = layout.font;
    f.setStrikeOut(struck);
    p.setFont(f);
    p.setPen(QColor(20, 0, 90));
    int y = area.top() + (area.height() - layout.height()) / 2;
    for (const QString& line : layout.lines) {
        p.drawText(QRect(area.left(), y, area.width(), layout.lineHeight), Qt::AlignHCenter | Qt::AlignTop, line);
        y += layout.lineHeight;
    }
    return image;
}

QImage drawnFromCache(const QString& text, const QRect& area, bool struck) {
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(20, 0, 90));
    drawCaption(p, area, text, buttonFont(), struck);
    return image;
}

} // namespace

class TstHostUiLegendasCache : public QObject {
    Q_OBJECT
private slots:
    void drawsWhatAFreshLayoutDraws() {
        const QStringList texts = captions();
        QVERIFY2(texts.size() > 60, "the demo data could not be read");
        // Group and product caption areas, the area of a picture button's
        // caption, and odd widths that centre on half pixels.
        const QList<QRect> areas{{5, 5, 95, 37}, {5, 5, 65, 43}, {6, 30, 65, 18}, {7, 4, 64, 43}, {5, 6, 20, 11}};
        int compared = 0;
        for (const QRect& area : areas)
            for (const QString& text : texts)
                for (bool struck : {false, true}) {
                    // Twice from the cache: the first draw fills it, the second reads it.
                    for (int pass = 0; pass < 2; ++pass)
                        QVERIFY2(drawnFromCache(text, area, struck) == drawnAfresh(text, area, struck),
                                 qPrintable(QStringLiteral("%1 in %2x%3%4")
                                                .arg(text)
                                                .arg(area.width())
                                                .arg(area.height())
                                                .arg(struck ? QStringLiteral(", struck") : QString())));
                    ++compared;
                }
        QVERIFY(compared > 600);
    }

    void aCachedLayoutIsTheLayoutOfItsArea() {
        const QString text = QStringLiteral("Guaraná Antarctica Lata 350ml");
        for (const QSize& area : {QSize(95, 37), QSize(65, 43), QSize(40, 43), QSize(95, 37)}) {
            const CaptionLayout fresh = layoutCaption(text, buttonFont(), area);
            const CaptionLayout cached = cachedCaptionLayout(text, buttonFont(), area);
            QCOMPARE(cached.lines, fresh.lines);
            QCOMPARE(cached.font, fresh.font);
            QCOMPARE(cached.lineHeight, fresh.lineHeight);
            QCOMPARE(cached.elided, fresh.elided);
        }
        QFont smaller = buttonFont();
        smaller.setPixelSize(10);
        QCOMPARE(cachedCaptionLayout(text, smaller, QSize(65, 43)).lines,
                 layoutCaption(text, smaller, QSize(65, 43)).lines);
    }
};

QTEST_MAIN(TstHostUiLegendasCache)
#include "tst_hostui_legendas_cache.moc"
