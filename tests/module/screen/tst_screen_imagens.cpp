// The buttons' pictures on the screen: the demo menu's groups and products
// show the pictures their items name, inside the button with the caption
// below; a picture that is not there leaves the caption and a mark and no
// message; an item without a picture, and a navigator, look as before. With
// KALMORA_SHOTS naming a folder, the product page is saved there.

#include "ScreenFixture.h"

#include <DatabaseSchema.h>
#include <TColor.h>
#include <TTouchButton.h>
#include <TfrmConfGrupo.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TstScreenImagens : public ScreenFixture {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_pics;
    QString pic(const QString& name) const { return QDir(m_pics->path()).filePath(name); }
    // Pixels of the button's picture area that are not its face colour.
    static int drawnInPicture(TTouchButton* b) {
        const QImage shot = b->grab().toImage();
        const QRgb face = colorFromTColor(b->color()).rgb();
        int n = 0;
        const QRect area = b->pictureArea();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += shot.pixel(x, y) != face;
        return n;
    }
    void setPicture(const QString& where, const QString& reference) {
        db->exec(QStringLiteral("UPDATE ITMENUCONFTE SET DSIMAGEMBUT = '%1' WHERE CDFILIAL = '9999' AND "
                                "NRCONFTELA = '00001' AND %2")
                     .arg(reference, where));
    }

private slots:
    void initTestCase() {
        m_pics = std::make_unique<QTemporaryDir>();
        QVERIFY(m_pics->isValid());
        QVERIFY(DatabaseSchema::copyDemoPictures(m_pics->path()) >= 4);
        qputenv("KALMORA_IMAGENS", m_pics->path().toUtf8());
    }
    void cleanupTestCase() { qunsetenv("KALMORA_IMAGENS"); }

    void demoMenuShowsItsPictures_data() { engines(); }
    void demoMenuShowsItsPictures() {
        QCOMPARE(grupo(2)->caption(), QStringLiteral("Lanches"));
        QCOMPARE(grupo(2)->picture(), pic(QStringLiteral("hamburguer.svg")));
        for (int n = 1; n <= 6; ++n) {
            QVERIFY2(!grupo(n)->picture().isEmpty() && !grupo(n)->pictureMissing(), qPrintable(grupo(n)->caption()));
            QVERIFY(!grupo(n)->captionArea().isEmpty());
            QVERIFY(!grupo(n)->captionArea().intersects(grupo(n)->pictureArea()));
            QVERIFY(grupo(n)->rect().contains(grupo(n)->captionArea()));
        }
        QVERIFY(drawnInPicture(grupo(2)) > 100);

        toca(grupo(2));
        QCOMPARE(screen->focusGroup(), QStringLiteral("02"));
        QCOMPARE(produto(1)->caption(), QStringLiteral("X-Burger"));
        QCOMPARE(produto(1)->picture(), pic(QStringLiteral("hamburguer.svg")));
        QVERIFY(drawnInPicture(produto(1)) > 100);
        QVERIFY(produto(1)->captionLayout(produto(1)->caption()).height() <= produto(1)->captionArea().height());
        QVERIFY(presenter->calls.isEmpty());

        const QString shots = qEnvironmentVariable("KALMORA_SHOTS");
        if (!shots.isEmpty() && QByteArray(QTest::currentDataTag()) == "sqlite")
            QVERIFY(screen->grab().save(QDir(shots).filePath(QStringLiteral("pagina-com-imagens.png"))));
        // The drinks, with the longest captions of the demo menu.
        toca(grupo(1));
        QVERIFY(!produto(3)->pictureMissing());
        if (!shots.isEmpty() && QByteArray(QTest::currentDataTag()) == "sqlite")
            QVERIFY(screen->grab().save(QDir(shots).filePath(QStringLiteral("pagina-bebidas-com-imagens.png"))));
    }

    void missingPictureLeavesCaptionAndMark_data() { engines(); }
    void missingPictureLeavesCaptionAndMark() {
        // Group 01 (Bebidas), product 01 a file that is not there, 02 an absolute path.
        setPicture(QStringLiteral("IDTPBUTTON = '1' AND NRBUTTON = '01' AND NRBUTTONAUX = '01'"),
                   QStringLiteral("sumiu.png"));
        setPicture(QStringLiteral("IDTPBUTTON = '1' AND NRBUTTON = '02' AND NRBUTTONAUX = '01'"),
                   pic(QStringLiteral("cafe.svg")));
        screen->MontaMenuProduto();
        QCOMPARE(produto(1)->caption(), QStringLiteral("Coca-Cola Lata 350ml"));
        QVERIFY(produto(1)->pictureMissing());
        QCOMPARE(produto(1)->pictureArea(), QRect());
        QCOMPARE(produto(1)->captionArea(), produto(1)->rect().adjusted(5, 5, -5, -5));
        QVERIFY(!produto(2)->pictureMissing());
        QVERIFY(drawnInPicture(produto(2)) > 50);
        const QString shots = qEnvironmentVariable("KALMORA_SHOTS");
        const QPixmap shot = screen->grab();
        if (!shots.isEmpty() && QByteArray(QTest::currentDataTag()) == "sqlite")
            QVERIFY(shot.save(QDir(shots).filePath(QStringLiteral("imagem-ausente.png"))));
        QVERIFY(presenter->calls.isEmpty()); // never a message box
    }

    void withoutPictureAsBefore_data() { engines(); }
    void withoutPictureAsBefore() {
        // Cafés: "Chocolate Quente" (09) has no picture; on Lanches, shown
        // before, button 09 had one.
        toca(grupo(2));
        QVERIFY(!produto(9)->picture().isEmpty());
        toca(grupo(5));
        QCOMPARE(produto(9)->caption(), QStringLiteral("Chocolate Quente"));
        QVERIFY(produto(9)->picture().isEmpty());
        QVERIFY(produto(9)->glyphEmpty());
        QCOMPARE(produto(9)->captionArea(), produto(9)->rect().adjusted(5, 5, -5, -5));
        for (int n = 10; n <= 36; ++n)
            QVERIFY(produto(n)->picture().isEmpty());
    }

    // Another station changes a group: the page is drawn again, the buttons
    // it left alone keep their look, pictures and marks included.
    void refreshKeepsPicturesAndMarks_data() { engines(); }
    void refreshKeepsPicturesAndMarks() {
        cores = {QStringLiteral("255")};
        tecla(Qt::Key_F7);
        toca(grupo(1));
        QCOMPARE(grupo(1)->pendingMark(), TTouchButton::PendingMark::Changed);
        db->exec(
            QStringLiteral("UPDATE ITMENUCONFTE SET DSBUTTON = 'Doces' WHERE IDTPBUTTON = '2' AND NRBUTTON = '04'"));
        screen->atualizaDaBase();
        QCOMPARE(grupo(4)->caption(), QStringLiteral("Doces"));
        QCOMPARE(grupo(4)->picture(), pic(QStringLiteral("pudim.svg")));
        QCOMPARE(grupo(1)->pendingMark(), TTouchButton::PendingMark::Changed);
        QCOMPARE(grupo(1)->picture(), pic(QStringLiteral("refrigerante.svg")));
        QCOMPARE(grupo(2)->picture(), pic(QStringLiteral("hamburguer.svg")));
        QVERIFY(drawnInPicture(grupo(1)) > 100);
    }

    void navigatorKeepsItsArrow_data() { engines(); }
    void navigatorKeepsItsArrow() {
        db->exec(QStringLiteral(
            "INSERT INTO ITMENUCONFTE (CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, NRPGCONFTELA, IDTPBUTONAUX, "
            "NRBUTTONAUX, NRPGCONFTAUX, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, NRCOLORBACK, DSIMAGEMBUT) VALUES ('9999', "
            "'00001', '7', '12', '1', '0', '0', '0', '', 'Navegador_Direito', 0, 11571344, 'cafe.svg')"));
        screen->MontaMenuGrupo();
        QVERIFY(!grupo(12)->GetGlyph().isNull());
        QVERIFY(grupo(12)->picture().isEmpty());
        QVERIFY(grupo(12)->caption().isEmpty());
    }
};

QTEST_MAIN(TstScreenImagens)
#include "tst_screen_imagens.moc"
