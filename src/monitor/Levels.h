#pragma once

namespace moravel {

// How loaded a reading is, by its thresholds: the views colour it by this.
enum class Level { normal, elevated, high, critical };

// Inclusive lower bounds, tested from the top on the unrounded value.
struct LevelThresholds {
    double elevated = 0;
    double high = 0;
    double critical = 0;
};

// The level of `value` for `thresholds`; a value that is not a number is normal.
constexpr Level levelFor(double value, const LevelThresholds& thresholds)
{
    if (value >= thresholds.critical)
        return Level::critical;
    if (value >= thresholds.high)
        return Level::high;
    if (value >= thresholds.elevated)
        return Level::elevated;
    return Level::normal;
}

}  // namespace moravel
