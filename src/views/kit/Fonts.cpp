#include "views/kit/Fonts.h"

#include "views/kit/IslandScale.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace moravel::Fonts {

namespace {
// Point sizes may be fractional where pixel sizes may not: the point size that
// comes out at exactly the wanted pixels on the screen's font DPI keeps 9.5 as 9.5.
double screenFontDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

QFont sized(QFont font, double points, QFont::Weight weight)
{
    font.setPointSizeF(std::max(px(points), 1.0) * 72.0 / screenFontDpi());
    font.setWeight(weight);
    font.setItalic(false);
    return font;
}
}  // namespace

QFont words(double points, QFont::Weight weight)
{
    return sized(QGuiApplication::font(), points, weight);
}

QFont figures(double points, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return sized(font, points, weight);
}

}  // namespace moravel::Fonts
