#pragma once
// Rounded tool button: picture above a (possibly two-line) caption, a face
// colour, a pressed colour and a greyed look when disabled.

#include <QAbstractButton>
#include <QPixmap>

class TBlendedBitBtn : public QAbstractButton {
    Q_OBJECT
public:
    explicit TBlendedBitBtn(QWidget* parent = nullptr);
    // A dialog's command button: named, a large bold caption, a fixed size,
    // and no focus, so that typing stays where it is.
    static TBlendedBitBtn* commandButton(QWidget* parent, const QString& name, const QString& caption,
                                         const QSize& size);

    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    void setGlyph(const QPixmap& glyph);
    QPixmap glyph() const { return m_glyph; }
    void setFaceColor(const QColor& c);
    QColor faceColor() const { return m_face; }
    void setPressedColor(const QColor& c);
    void setTextColor(const QColor& c);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_glyph;
    QColor m_face{Qt::lightGray};
    QColor m_pressed{0xCF, 0xE7, 0xE7};
    QColor m_text{Qt::darkBlue};
};
