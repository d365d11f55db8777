#pragma once

namespace moravel {

// A damped spring pulled from 0 towards 1, described the way designers tune
// motion: how quickly it responds and how much of its bounce is damped away.
// Used where a highlight should glide to its new place rather than ease.
struct DampedSpring {
    double response = 0.28;  // seconds of one undamped oscillation
    double damping = 0.86;   // 1 settles without overshoot, below 1 overshoots a little

    // Where the spring is `seconds` after release: 0 at the start, tending to 1.
    double position(double seconds) const;
    // How long until the spring stays within `tolerance` of 1 for good.
    double settleDuration(double tolerance = 0.001) const;
};

}  // namespace moravel
