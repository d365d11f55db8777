#include "views/kit/Fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace moravel::Fonts {

namespace {
// Point sizes may be fractional where pixel sizes may not: the point size that
// comes out at exactly `pixelSize` on the screen's font DPI keeps 9.5 as 9.5.
double screenFontDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

QFont sized(QFont font, double pixelSize, QFont::Weight weight)
{
    font.setPointSizeF(std::max(pixelSize, 1.0) * 72.0 / screenFontDpi());
    font.setWeight(weight);
    font.setItalic(false);
    return font;
}
}  // namespace

QFont system(double pixelSize, QFont::Weight weight)
{
    return sized(QGuiApplication::font(), pixelSize, weight);
}

QFont monospaced(double pixelSize, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return sized(font, pixelSize, weight);
}

QFont rounded(double pixelSize, QFont::Weight weight)
{
    return system(pixelSize, weight);
}

}  // namespace moravel::Fonts
