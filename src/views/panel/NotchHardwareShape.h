#pragma once

#include <QPainterPath>
#include <QRectF>

namespace moravel {

// The camera notch's outline: the top corners flare outwards into the screen
// edge and the bottom corners are rounded. The radius is the largest rounding;
// the rectangle's own proportions may limit it further.
struct NotchHardwareShape {
    double radius = 0;

    QPainterPath path(const QRectF& rect) const { return path(rect, radius); }
    static QPainterPath path(const QRectF& rect, double radius);

    // The flare radius the island uses for a notch of the given depth.
    static double radiusForNotchDepth(double notchDepth);
};

}  // namespace moravel
