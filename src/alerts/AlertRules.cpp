#include "alerts/AlertRules.h"

#include <cmath>

namespace moravel {

namespace {

// Key, below?, default, range, hold, margin, tab.
constexpr std::array<AlertRuleDescriptor, alertRuleCount> descriptors{{
    {AlertRule::cpu, "cpu", false, 90, 50, 100, 300, 10, MetricKind::cpu},
    {AlertRule::memory, "memory", false, 90, 50, 100, 300, 5, MetricKind::memory},
    // The disk fills slowly and is read every 30 s: it warns as soon as it is seen full.
    {AlertRule::disk, "disk", false, 95, 50, 100, 0, 2, MetricKind::overview},
    {AlertRule::battery, "battery", true, 10, 1, 50, 0, 5, MetricKind::power},
    {AlertRule::cpuTemperature, "cpuTemperature", false, fallbackCpuCriticalCelsius, 50, 120, 60, 5, MetricKind::cpu},
}};

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
        return s.cpuPercent;
    case AlertRule::memory:
        return s.memoryTotal > 0 ? std::optional(s.memoryPercent) : std::nullopt;
    case AlertRule::disk:
        return s.diskTotal > 0 ? std::optional(s.diskPercent) : std::nullopt;
    case AlertRule::battery:
        return s.hasBattery ? std::optional(static_cast<double>(s.batteryPercent)) : std::nullopt;
    case AlertRule::cpuTemperature:
        return s.cpuTemperatureCelsius;
    }
    return std::nullopt;
}

bool alertCanFire(AlertRule rule, const SystemSnapshot& s)
{
    if (rule == AlertRule::battery)
        return s.hasBattery && !s.isExternalPowerConnected && !s.isCharging;
    return true;
}

double effectiveThreshold(AlertRule rule, const AlertRuleSetting& setting, const SystemSnapshot& s)
{
    if (setting.threshold)
        return *setting.threshold;
    // Some sensors report a critical figure of 0 or 255: only a plausible one counts.
    if (rule == AlertRule::cpuTemperature && s.cpuTemperatureCriticalCelsius
        && inRange(rule, *s.cpuTemperatureCriticalCelsius))
        return *s.cpuTemperatureCriticalCelsius;
    return alertRuleDescriptor(rule).defaultThreshold;
}

}  // namespace moravel
