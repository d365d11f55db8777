#include "views/kit/DampedSpring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace moravel {

double DampedSpring::position(double seconds) const
{
    if (seconds <= 0)
        return 0;
    const double omega = 2 * std::numbers::pi / std::max(response, 1e-6);
    const double zeta = std::max(damping, 0.0);
    const double decay = std::exp(-zeta * omega * seconds);
    if (zeta < 1) {
        const double damped = omega * std::sqrt(1 - zeta * zeta);
        return 1 - decay * (std::cos(damped * seconds) + zeta * omega / damped * std::sin(damped * seconds));
    }
    // Critically damped (over-damped springs are treated alike: the UI never asks for them).
    return 1 - decay * (1 + omega * seconds);
}

double DampedSpring::settleDuration(double tolerance) const
{
    // The distance to 1 is bounded by an exponential envelope; solve for the
    // moment that envelope drops below the tolerance.
    const double omega = 2 * std::numbers::pi / std::max(response, 1e-6);
    const double zeta = std::clamp(damping, 0.05, 1.0);
    const double safeTolerance = std::max(tolerance, 1e-9);
    if (zeta < 1) {
        const double amplitude = 1 / std::sqrt(1 - zeta * zeta);
        return std::log(amplitude / safeTolerance) / (zeta * omega);
    }
    // (1 + w t) e^{-w t} < tol: step forward until it holds.
    double t = 0;
    while ((1 + omega * t) * std::exp(-omega * t) > safeTolerance)
        t += 0.001;
    return t;
}

}  // namespace moravel
