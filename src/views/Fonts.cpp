#include "views/Fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace moravel::Fonts {

namespace {
QFont sized(QFont font, double pixelSize, QFont::Weight weight)
{
    font.setPixelSize(pixelSizeFor(pixelSize));
    font.setWeight(weight);
    font.setItalic(false);
    return font;
}
}  // namespace

int pixelSizeFor(double size)
{
    return std::max(1, static_cast<int>(std::floor(size + 0.5)));
}

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
