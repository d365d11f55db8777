#include "alerts/AlertRules.h"

#include "monitor/TemperaturePolicy.h"

#include <cmath>

namespace moravel {

namespace {

// Key, below?, default, range, hold, margin, tab.
constexpr AlertRuleDescriptor descriptors[] = {
    {AlertRule::cpu, "cpu", false, 90, 50, 100, 300, 10, MetricKind::cpu},
    {AlertRule::memory, "memory", false, 90, 50, 100, 300, 5, MetricKind::memory},
    // The disk fills slowly and is read every 30 s: it warns as soon as it is seen full.
    {AlertRule::disk, "disk", false, 95, 50, 100, 0, 2, MetricKind::overview},
    {AlertRule::battery, "battery", true, 10, 1, 50, 0, 5, MetricKind::power},
    {AlertRule::cpuTemperature, "cpuTemperature", false, fallbackCpuCriticalCelsius, 50, 120, 60, 5, MetricKind::cpu},
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

bool inRange(AlertRule rule, double value)
{
    const AlertRuleDescriptor& d = alertRuleDescriptor(rule);
    return std::isfinite(value) && value >= d.minimumThreshold && value <= d.maximumThreshold;
}

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
    switch (rule) {
    case AlertRule::cpu:
        return fieldOf(s.cpu, &CpuReading::percent);
    case AlertRule::memory:
        return s.memory && s.memory->total > 0 ? std::optional(s.memory->percent) : std::nullopt;
    case AlertRule::disk:
        return s.disk && s.disk->total > 0 ? std::optional(s.disk->percent) : std::nullopt;
    case AlertRule::battery:
        if (const BatteryReading* battery = batteryOf(s))
            return static_cast<double>(battery->percent);
        return std::nullopt;
    case AlertRule::cpuTemperature:
        if (const std::optional<CpuTemperature> cpu = cpuTemperatureOf(s))
            return cpu->celsius;
        return std::nullopt;
    }
    return std::nullopt;
}

bool alertCanFire(AlertRule rule, const SystemSnapshot& s)
{
    if (rule == AlertRule::battery)
        return batteryOf(s) && !s.power->isExternalPowerConnected && !batteryOf(s)->isCharging;
    return true;
}

double effectiveThreshold(AlertRule rule, const AlertRuleSetting& setting, const SystemSnapshot& s)
{
    if (setting.threshold)
        return *setting.threshold;
    // Some sensors report a critical figure of 0 or 255: only a plausible one counts.
    if (rule == AlertRule::cpuTemperature) {
        const std::optional<CpuTemperature> cpu = cpuTemperatureOf(s);
        if (cpu && cpu->criticalCelsius && inRange(rule, *cpu->criticalCelsius))
            return *cpu->criticalCelsius;
    }
    return alertRuleDescriptor(rule).defaultThreshold;
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
