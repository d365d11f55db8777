#pragma once

#include <QEasingCurve>
#include <QPointF>

namespace moravel::IslandMotion {

// The island's two motions: opening (the panel growing, the content fading
// in, the dashboard's sections appearing) and closing. Each is a cubic Bezier
// from (0, 0) to (1, 1) through two control points.
inline constexpr int openingMilliseconds = 280;
inline constexpr int closingMilliseconds = 240;

QEasingCurve bezier(QPointF first, QPointF second);
QEasingCurve opening();
QEasingCurve closing();

}  // namespace moravel::IslandMotion
