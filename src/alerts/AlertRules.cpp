#include "alerts/AlertRules.h"

#include "monitor/ReadingTable.h"
#include "monitor/TemperaturePolicy.h"

#include <cmath>

namespace moravel {

namespace {

bool dischargesItsBattery(const SystemSnapshot& s)
{
    const BatteryReading* battery = batteryOf(s);
    return battery && !s.power->isExternalPowerConnected && !battery->isCharging;
}

constexpr AlertRuleDescriptor descriptors[] = {
    {.rule = AlertRule::cpu, .key = "cpu", .label = "CPU busy", .unit = "%", .reading = MetricKind::cpu,
     .defaultThreshold = 90, .minimumThreshold = 50, .maximumThreshold = 100, .step = 5, .holdSeconds = 300,
     .rearmMargin = 10, .tab = MetricKind::cpu},
    {.rule = AlertRule::memory, .key = "memory", .label = "Memory full", .unit = "%", .reading = MetricKind::memory,
     .defaultThreshold = 90, .minimumThreshold = 50, .maximumThreshold = 100, .step = 5, .holdSeconds = 300,
     .rearmMargin = 5, .tab = MetricKind::memory},
    // The disk fills slowly and is read every 30 s: it warns as soon as it is seen full.
    {.rule = AlertRule::disk, .key = "disk", .label = "Disk full", .unit = "%", .reading = MetricKind::disk,
     .defaultThreshold = 95, .minimumThreshold = 50, .maximumThreshold = 100, .step = 1, .holdSeconds = 0,
     .rearmMargin = 2, .tab = MetricKind::overview},
    {.rule = AlertRule::battery, .key = "battery", .label = "Battery low", .unit = "%", .reading = MetricKind::power,
     .firesBelow = true, .defaultThreshold = 10, .minimumThreshold = 1, .maximumThreshold = 50, .step = 5,
     .holdSeconds = 0, .rearmMargin = 5, .tab = MetricKind::power, .canFire = dischargesItsBattery},
    {.rule = AlertRule::cpuTemperature, .key = "cpuTemperature", .label = "CPU hot", .unit = "\u00B0C",
     .reading = MetricKind::temperature, .defaultThreshold = fallbackCriticalCelsius, .defaultsToCriticalLevel = true,
     .minimumThreshold = lowestPlausibleCriticalCelsius,
     .maximumThreshold = highestPlausibleCriticalCelsius, .step = 5, .holdSeconds = 60, .rearmMargin = 5,
     .tab = MetricKind::cpu},
};

constexpr bool rowsFollowTheRules()
{
    for (size_t i = 0; i < std::size(descriptors); ++i) {
        if (static_cast<size_t>(descriptors[i].rule) != i)
            return false;
    }
    return true;
}
static_assert(std::size(descriptors) == alertRuleCount, "one row per AlertRule");
static_assert(rowsFollowTheRules(), "row i describes AlertRule i");

}  // namespace

const AlertRuleDescriptor& alertRuleDescriptor(AlertRule rule)
{
    return descriptors[static_cast<size_t>(rule)];
}

std::optional<AlertRule> alertRuleFromKey(QStringView key)
{
    for (const AlertRuleDescriptor& d : descriptors) {
        if (key == QLatin1StringView(d.key))
            return d.rule;
    }
    return std::nullopt;
}

std::optional<double> alertReading(AlertRule rule, const SystemSnapshot& s)
{
    const double value = ReadingTable::value(alertRuleDescriptor(rule).reading, s);
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

bool alertCanFire(AlertRule rule, const SystemSnapshot& s)
{
    const AlertRuleDescriptor& d = alertRuleDescriptor(rule);
    return !d.canFire || d.canFire(s);
}

double effectiveThreshold(AlertRule rule, const AlertRuleSetting& setting, const SystemSnapshot& s)
{
    const AlertRuleDescriptor& d = alertRuleDescriptor(rule);
    if (setting.threshold)
        return *setting.threshold;
    if (d.defaultsToCriticalLevel) {
        if (const std::optional<LevelThresholds> levels = ReadingTable::thresholds(d.reading, s))
            return levels->critical;
    }
    return d.defaultThreshold;
}

bool EpisodeCourse::advance(bool isPast, bool isSettled, double holdSeconds, double now)
{
    if (fired) {
        if (!isSettled)
            settledSince.reset();
        else if (!settledSince)
            settledSince = now;
        if (settledSince && now - *settledSince >= alertRearmSeconds)
            *this = {};
        return false;
    }
    if (!isPast) {
        heldSince.reset();
        return false;
    }
    if (!heldSince)
        heldSince = now;
    if (now - *heldSince < holdSeconds)
        return false;
    *this = {true, std::nullopt, std::nullopt};
    return true;
}

void EpisodeCourse::lose()
{
    heldSince.reset();
    settledSince.reset();
}

}  // namespace moravel
