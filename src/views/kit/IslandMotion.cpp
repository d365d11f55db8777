#include "views/kit/IslandMotion.h"

namespace moravel::IslandMotion {

QEasingCurve bezier(QPointF first, QPointF second)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(first, second, QPointF(1, 1));
    return curve;
}

QEasingCurve opening()
{
    return bezier({0.22, 1.0}, {0.36, 1.0});
}

QEasingCurve closing()
{
    return bezier({0.4, 0.0}, {0.2, 1.0});
}

}  // namespace moravel::IslandMotion
