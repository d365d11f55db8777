#include "views/panel/NotchHardwareShape.h"

#include <algorithm>

namespace moravel {

QPainterPath NotchHardwareShape::path(const QRectF& rect, double radius)
{
    const double minX = rect.left();
    const double maxX = rect.right();
    const double minY = rect.top();
    const double maxY = rect.bottom();
    const double flareLimit = rect.width() * 0.25 < radius ? rect.width() * 0.25 : radius;
    const double s = rect.height() / 3 < flareLimit ? rect.height() / 3 : flareLimit;
    const double b = rect.height() / 3 < radius ? rect.height() / 3 : radius;

    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill);
    outline.moveTo(minX, minY);
    outline.lineTo(maxX, minY);
    outline.cubicTo(maxX - 0.55 * s, minY, maxX - s, minY + 0.45 * s, maxX - s, minY + s);
    outline.lineTo(maxX - s, maxY - b);
    outline.quadTo(maxX - s, maxY, maxX - s - b, maxY);
    outline.lineTo(minX + s + b, maxY);
    outline.quadTo(minX + s, maxY, minX + s, maxY - b);
    outline.lineTo(minX + s, minY + s);
    outline.cubicTo(minX + s, minY + 0.45 * s, minX + 0.55 * s, minY, minX, minY);
    outline.closeSubpath();
    return outline;
}

double NotchHardwareShape::radiusForNotchDepth(double notchDepth)
{
    return std::min(notchDepth / 3.8, 10.0);
}

}  // namespace moravel
