#include "views/kit/IslandPalette.h"

namespace moravel::IslandPalette {

namespace {
QColor white(double opacity)
{
    return QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity));
}

QColor accent(double red, double green, double blue)
{
    return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue));
}
}  // namespace

const QColor& background()
{
    static const QColor color = QColor::fromRgbF(0, 0, 0, 1);
    return color;
}

const QColor& surface()
{
    static const QColor color = white(0.055);
    return color;
}

const QColor& divider()
{
    static const QColor color = white(0.1);
    return color;
}

const QColor& primary()
{
    static const QColor color = white(0.95);
    return color;
}

const QColor& secondary()
{
    static const QColor color = white(0.58);
    return color;
}

const QColor& mint()
{
    static const QColor color = accent(0.27, 0.90, 0.61);
    return color;
}

const QColor& cyan()
{
    static const QColor color = accent(0.22, 0.62, 1.00);
    return color;
}

const QColor& yellow()
{
    static const QColor color = accent(1.00, 0.84, 0.24);
    return color;
}

const QColor& amber()
{
    static const QColor color = accent(1.00, 0.55, 0.16);
    return color;
}

const QColor& red()
{
    static const QColor color = accent(1.00, 0.28, 0.25);
    return color;
}

const QColor& edge()
{
    static const QColor color = white(0.24);
    return color;
}

const QColor& error()
{
    return red();
}

QColor withOpacity(const QColor& color, double opacity)
{
    QColor result = color;
    result.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return result;
}

}  // namespace moravel::IslandPalette
