#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>

namespace moravel {

// The island's size factor, like a browser's zoom. The views give every size
// in points, the units of the island's design, and draw it at `factor`
// logical pixels per point: frames, fonts, icons and charts alike. The panel
// controller sets it from the display geometry before the views lay out; a
// view made without one draws at 1.
namespace IslandScale {

double factor();
void setFactor(double factor);

}  // namespace IslandScale

// `points` in logical pixels at the island's size factor.
inline double px(double points)
{
    return points * IslandScale::factor();
}
// The same, rounded to a whole pixel, for widget geometry.
int pxInt(double points);
QSize pxSize(double widthPoints, double heightPoints);
// Logical pixels back in points (a pointer position, say).
inline double toPoints(double pixels)
{
    return pixels / IslandScale::factor();
}

}  // namespace moravel
