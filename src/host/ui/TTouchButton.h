#pragma once
// Touch button of the sales screens: rounded face in its background colour,
// caption centred, word-wrapped and bold, an optional picture (glyph), and a
// visible pressed state. Colours are Windows colour values (0x00BBGGRR).
//
// A picture can also be given as a file (PNG, JPEG, SVG): it is decoded on
// first paint through the picture cache, scaled to fit the face above the
// caption and centred. A file that cannot be shown leaves the caption alone
// with a small mark in the top left corner.
//
// Besides what it holds, a button can show a change that is waiting to be
// confirmed (a mark), and a thick frame when it is the one in focus. Neither
// changes its caption, colours or picture.

#include "CaptionLayout.h"

#include <QAbstractButton>
#include <QImage>
#include <QPixmap>

class TTouchButton : public QAbstractButton {
    Q_OBJECT
public:
    // A change waiting for confirmation, as the button shows it.
    enum class PendingMark {
        None,
        Clear,   // marked for clearing: a cross over the face, the old caption struck through
        Changed, // a new colour or a pasted item: a small corner mark
        Cut,     // cut, waiting for its new place: a dashed outline, the old caption faint
    };

    explicit TTouchButton(QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& caption);
    int color() const { return m_color; }
    void SetColor(int color);
    int fontColor() const { return m_fontColor; }
    void setFontColor(int color);
    QPixmap GetGlyph() const { return m_glyph; }
    void setGlyph(const QPixmap& glyph);
    // Neither a glyph nor a picture file.
    bool glyphEmpty() const { return m_glyph.isNull() && m_picture.isEmpty(); }
    // Clears the glyph and the picture file.
    void clearGlyph();

    // The picture file shown when there is no glyph; "" for none.
    void setPicture(const QString& path);
    QString picture() const { return m_picture; }
    // Whether the picture file, if any, can be shown at the button's size
    // (it is decoded now when it was not yet).
    bool pictureMissing() const;
    // Device pixels per pixel the picture file is decoded for, besides the
    // screen's own ratio: a button painted enlarged (on a printed sheet)
    // keeps its picture sharp. 1 on the screen.
    void setPictureScale(qreal scale);

    // Shows only the picture; the caption is kept but not drawn (navigators
    // whose stored caption is a name for the till, not for the operator).
    void setCaptionHidden(bool hidden);
    bool captionHidden() const { return m_captionHidden; }

    // ghostCaption is the caption drawn struck or faint for Clear and Cut,
    // whose button is otherwise shown empty.
    void setPendingMark(PendingMark mark, const QString& ghostCaption = QString());
    PendingMark pendingMark() const { return m_mark; }
    QString ghostCaption() const { return m_ghost; }

    void setFocusFrame(bool on);
    bool focusFrame() const { return m_focusFrame; }

    // The area the caption is laid out in, and its layout at the button's
    // font: what paintEvent draws. With a picture file shown, the caption
    // takes the room its lines need at the bottom and the picture the rest
    // (pictureArea); the picture alone takes the whole face.
    QRect captionArea() const;
    QRect pictureArea() const;
    CaptionLayout captionLayout(const QString& text) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct FaceLayout {
        QRect picture; // empty without a picture file shown
        QRect caption;
        QImage image;         // the picture file decoded for the picture area
        bool missing = false; // a picture file that cannot be shown
    };
    QRect innerArea() const;
    QString shownCaption() const;
    FaceLayout faceLayout() const;
    // The picture file decoded for the picture box, with the caption's area.
    FaceLayout pictureIn(const QRect& picture, const QRect& caption) const;
    qreal pictureRatio() const;
    // The glyph and the picture return the pixels they cover.
    QRect paintPicture(QPainter& p, const QRect& area, const QImage& image) const;
    void paintMissingPicture(QPainter& p, const QRectF& face, const QColor& fill) const;
    QRect paintGlyph(QPainter& p, QRect& area) const;
    // flat: where the face is of colour face alone.
    void paintCaption(QPainter& p, const QRect& area, const QString& text, const QColor& color, bool struck,
                      const QColor& face, const QRegion& flat) const;
    void paintMark(QPainter& p, const QRectF& face, const QColor& fill) const;
    void paintFocusFrame(QPainter& p, const QRectF& face, const QColor& fill) const;

    int m_color = 11571344;
    int m_fontColor = 0;
    QPixmap m_glyph;
    QString m_picture;
    qreal m_pictureScale = 1.0;
    bool m_captionHidden = false;
    PendingMark m_mark = PendingMark::None;
    QString m_ghost;
    bool m_focusFrame = false;
};
