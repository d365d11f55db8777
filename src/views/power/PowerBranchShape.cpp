#include "views/power/PowerBranchShape.h"

namespace moravel {

QPainterPath PowerBranchShape::path(const QRectF& rect)
{
    // The fork is laid out in the rectangle's own size; its coordinates are
    // measured from (0, 0) as the connector draws it in its own frame.
    const double j = 0.42 * rect.width();
    const double m = rect.height() / 2;
    const double right = rect.width() - 2;
    const double lower = rect.height() - 5;

    QPainterPath path;
    path.moveTo(0, m);
    path.lineTo(j - 4, m);
    path.quadTo(j, m, j, m - 4);
    path.lineTo(j, 9);
    path.quadTo(j, 5, j + 4, 5);
    path.lineTo(right, 5);

    path.moveTo(right - 4, 1);
    path.lineTo(right, 5);
    path.lineTo(right - 4, 9);

    path.moveTo(j, m + 4);
    path.lineTo(j, lower - 4);
    path.quadTo(j, lower, j + 4, lower);
    path.lineTo(right, lower);

    path.moveTo(right - 4, lower - 4);
    path.lineTo(right, lower);
    path.lineTo(right - 4, lower + 4);
    return path;
}

}  // namespace moravel
