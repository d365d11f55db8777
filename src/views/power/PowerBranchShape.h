#pragma once

#include <QPainterPath>
#include <QRectF>

namespace moravel {

// The fork between the computer node and the two destinations: a trunk from the
// left that splits into an upper and a lower arrow to the right.
struct PowerBranchShape {
    static QPainterPath path(const QRectF& rect);
};

}  // namespace moravel
