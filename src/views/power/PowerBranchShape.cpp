#include "views/power/PowerBranchShape.h"

#include "views/kit/IslandScale.h"

namespace moravel {

QPainterPath PowerBranchShape::path(const QRectF& rect)
{
    // The fork is laid out in the rectangle's own size; its coordinates are
    // measured from (0, 0) as the connector draws it in its own frame.
    // The bends and arrowheads are points, at the island's size factor.
    const double a = px(4);
    const double upper = px(5);
    const double j = 0.42 * rect.width();
    const double m = rect.height() / 2;
    const double right = rect.width() - px(2);
    const double lower = rect.height() - upper;

    QPainterPath path;
    path.moveTo(0, m);
    path.lineTo(j - a, m);
    path.quadTo(j, m, j, m - a);
    path.lineTo(j, upper + a);
    path.quadTo(j, upper, j + a, upper);
    path.lineTo(right, upper);

    path.moveTo(right - a, upper - a);
    path.lineTo(right, upper);
    path.lineTo(right - a, upper + a);

    path.moveTo(j, m + a);
    path.lineTo(j, lower - a);
    path.quadTo(j, lower, j + a, lower);
    path.lineTo(right, lower);

    path.moveTo(right - a, lower - a);
    path.lineTo(right, lower);
    path.lineTo(right - a, lower + a);
    return path;
}

}  // namespace moravel
