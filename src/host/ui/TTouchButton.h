#pragma once
// Touch button of the sales screens: rounded face in its background colour,
// caption centred, word-wrapped and bold, an optional picture (glyph), and a
// visible pressed state. Colours are Windows colour values (0x00BBGGRR).

#include <QAbstractButton>
#include <QPixmap>

class TTouchButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TTouchButton(QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& caption);
    int color() const { return m_color; }
    void SetColor(int color);
    int fontColor() const { return m_fontColor; }
    void setFontColor(int color);
    QPixmap GetGlyph() const { return m_glyph; }
    void setGlyph(const QPixmap& glyph);
    bool glyphEmpty() const { return m_glyph.isNull(); }
    void clearGlyph();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_color = 11571344;
    int m_fontColor = 0;
    QPixmap m_glyph;
};
