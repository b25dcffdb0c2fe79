#pragma once
// Windows colour values (0x00BBGGRR) on the screen.
#include <QColor>

QColor colorFromTColor(int tcolor);
int tcolorFromColor(const QColor& color);

// Black or white, whichever reads better on the background.
QColor legibleTextOn(int tcolor);
