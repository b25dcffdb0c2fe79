#pragma once
// Rounded decorative shape filled in one colour.

#include <QWidget>

class TBlendedShape : public QWidget {
    Q_OBJECT
public:
    explicit TBlendedShape(QWidget* parent = nullptr);
    void setFillColor(const QColor& c);
    QColor fillColor() const { return m_fill; }
    void setRadius(int r);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill{Qt::lightGray};
    int m_radius = 20;
};
