#include "views/kit/IslandScale.h"

#include <cmath>

namespace moravel {

namespace {
double currentFactor = 1;
}  // namespace

double IslandScale::factor()
{
    return currentFactor;
}

void IslandScale::setFactor(double factor)
{
    currentFactor = factor > 0 && std::isfinite(factor) ? factor : 1;
}

int pxInt(double points)
{
    return static_cast<int>(std::lround(px(points)));
}

QSize pxSize(double widthPoints, double heightPoints)
{
    return {pxInt(widthPoints), pxInt(heightPoints)};
}

}  // namespace moravel
