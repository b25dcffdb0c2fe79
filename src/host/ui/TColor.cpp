#include "TColor.h"

namespace {

// Windows system colours are stored as 0x80000000 | index; the screens use
// a few of them (window text, inactive caption), so those get a fixed look.
QColor systemColor(int index) {
    switch (index) {
    case 3: // inactive caption
        return QColor(0xBF, 0xCD, 0xDB);
    case 5: // window
        return QColor(Qt::white);
    case 8:  // window text
    case 18: // button text
        return QColor(Qt::black);
    case 15: // button face
        return QColor(0xF0, 0xF0, 0xF0);
    default:
        return QColor(Qt::gray);
    }
}

} // namespace

QColor colorFromTColor(int tcolor) {
    const auto value = static_cast<quint32>(tcolor);
    if ((value & 0xFF000000u) == 0x80000000u || (value & 0xFF000000u) == 0xFF000000u)
        return systemColor(static_cast<int>(value & 0xFFu));
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

int tcolorFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

QColor legibleTextOn(int tcolor) {
    const QColor c = colorFromTColor(tcolor);
    const int light = (c.red() * 299 + c.green() * 587 + c.blue() * 114) / 1000;
    return light >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}
