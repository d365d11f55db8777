#include "views/power/PowerFlowRules.h"

#include "monitor/Formatters.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/ReadingColors.h"

#include <algorithm>

namespace moravel::PowerFlow {

namespace {

// What the power rules work from; a source without power readings reads as a
// computer without a battery that says nothing of its input.
PowerReading powerOf(const SystemSnapshot& snapshot)
{
    return snapshot.power.value_or(PowerReading{});
}

std::optional<int64_t> batteryPercent(const PowerReading& power)
{
    return power.battery ? power.battery->percent : std::nullopt;
}

bool isCharging(const PowerReading& power)
{
    return power.battery && power.battery->isCharging;
}

double batteryWatts(const PowerReading& power)
{
    return power.battery ? power.battery->watts : 0;
}

// "76%", or a dash where no battery figure tells the level.
QString percentText(const PowerReading& power)
{
    const std::optional<int64_t> percent = batteryPercent(power);
    return percent ? QString::number(*percent) + QLatin1Char('%') : QStringLiteral("—");
}

QString drawText(const SystemSnapshot& snapshot)
{
    return MetricFormat::power(systemDraw(snapshot));
}

}  // namespace

bool isBatteryFull(const SystemSnapshot& snapshot)
{
    const PowerReading power = powerOf(snapshot);
    return power.isExternalPowerConnected && power.battery
           && (power.battery->isFullyCharged
               || (!power.battery->isCharging && power.battery->percent.value_or(0) >= 100));
}

std::optional<double> systemDraw(const SystemSnapshot& snapshot)
{
    const PowerReading power = powerOf(snapshot);
    if (!power.battery) {
        if (!(power.systemInputWatts > 0.05))
            return std::nullopt;
        return power.systemInputWatts;
    }
    const double source = power.isExternalPowerConnected ? power.systemInputWatts : batteryWatts(power);
    if (!(source > 0.05))
        return std::nullopt;
    if (!power.isExternalPowerConnected)
        return batteryWatts(power);
    if (!isCharging(power))
        return power.systemInputWatts;
    return std::max(power.systemInputWatts - batteryWatts(power), 0.0);
}

QString powerStatus(const SystemSnapshot& snapshot)
{
    if (!snapshot.power)
        return QStringLiteral("Not available");
    const PowerReading& power = *snapshot.power;
    if (!power.battery) {
        const std::optional<double> draw = systemDraw(snapshot);
        return draw ? QStringLiteral("No battery · ") + MetricFormat::power(draw) + QStringLiteral(" draw")
                    : QStringLiteral("No battery");
    }
    const QString draw = drawText(snapshot);
    const QString pct = percentText(power);
    if (!power.isExternalPowerConnected)
        return QStringLiteral("Battery · ") + draw + QStringLiteral(" draw · ") + pct;
    if (isBatteryFull(snapshot))
        return QStringLiteral("AC · ") + draw + QStringLiteral(" draw · Full");
    if (isCharging(power))
        return QStringLiteral("AC · ") + draw + QStringLiteral(" draw · Charging ") + pct;
    return QStringLiteral("AC · ") + draw + QStringLiteral(" draw · Battery ") + pct;
}

QString batteryFlowValue(const SystemSnapshot& snapshot)
{
    const PowerReading power = powerOf(snapshot);
    if (isBatteryFull(snapshot))
        return QStringLiteral("Full");
    if (!isCharging(power))
        return percentText(power);
    return QLatin1Char('+') + MetricFormat::power(batteryWatts(power));
}

QString batteryFlowLabel(const SystemSnapshot& snapshot)
{
    const PowerReading power = powerOf(snapshot);
    if (isCharging(power))
        return QStringLiteral("Battery charge");
    return QStringLiteral("Battery ") + percentText(power);
}

QString adapterValue(const SystemSnapshot& snapshot)
{
    // Another machine's exporter may not say whether anything is plugged in.
    if (!snapshot.power)
        return QStringLiteral("—");
    const std::optional<AdapterReading>& adapter = snapshot.power->adapter;
    if (adapter && adapter->ratedWatts && *adapter->ratedWatts >= 1)
        return QString::number(*adapter->ratedWatts) + QStringLiteral(" W max");
    return QStringLiteral("Connected");
}

PowerFlowDiagramContent diagram(const SystemSnapshot& snapshot)
{
    const PowerReading power = powerOf(snapshot);
    const QString battery = BatterySymbol::name(batteryPercent(power));
    const QString laptop = QStringLiteral("laptopcomputer");
    PowerFlowDiagramContent content;
    content.hasBattery = power.battery.has_value();
    content.isExternalPower = power.isExternalPowerConnected || !power.battery;
    if (!content.isExternalPower) {
        content.source = {battery, percentText(power), QStringLiteral("Battery"),
                          batteryColor(batteryPercent(power), IslandPalette::mint())};
        content.computer = {laptop, drawText(snapshot), QStringLiteral("System load"), IslandPalette::cyan()};
        return content;
    }
    content.source = {QStringLiteral("powerplug.fill"), adapterValue(snapshot), QStringLiteral("Power source"),
                      IslandPalette::primary()};
    // A computer without a battery is most likely a desktop.
    content.computer = {power.battery ? laptop : QStringLiteral("desktopcomputer"),
                        MetricFormat::power(power.systemInputWatts), QStringLiteral("Computer input now"),
                        IslandPalette::primary()};
    if (!content.hasDestinations())
        return content;
    content.destinations = {{
        {battery, batteryFlowValue(snapshot), batteryFlowLabel(snapshot),
         batteryColor(batteryPercent(power), isCharging(power) ? IslandPalette::mint() : IslandPalette::secondary())},
        {QStringLiteral("cpu"), drawText(snapshot), QStringLiteral("System draw"), IslandPalette::cyan()},
    }};
    return content;
}

namespace {

// "12 watts to the system", or "watts to the system not available".
QString flowTo(std::optional<double> watts, const char* where)
{
    const QString figure = MetricFormat::spokenWatts(watts);
    if (figure == QLatin1String(MetricFormat::notAvailableSpoken))
        return QStringLiteral("watts to ") + QLatin1String(where) + QLatin1Char(' ') + figure;
    return figure + QStringLiteral(" to ") + QLatin1String(where);
}

}  // namespace

QString spokenFlow(const SystemSnapshot& snapshot)
{
    if (!snapshot.power)
        return QLatin1String(MetricFormat::notAvailableSpoken);
    const PowerReading& power = *snapshot.power;
    const QString toSystem = flowTo(systemDraw(snapshot), "the system");
    if (power.battery && !power.isExternalPowerConnected) {
        const std::optional<int64_t> percent = batteryPercent(power);
        return (percent ? QStringLiteral("Battery ") + QString::number(*percent) + QStringLiteral(" percent: ")
                        : QStringLiteral("Battery level not available: "))
               + toSystem;
    }
    const std::optional<int64_t> rating = power.adapter ? power.adapter->ratedWatts : std::nullopt;
    const QString source = (power.battery ? QStringLiteral("Adapter ") : QStringLiteral("Power source "))
                           + (rating && *rating >= 1 ? MetricFormat::spokenWatts(static_cast<double>(*rating))
                                                     : QStringLiteral("rating not available"))
                           + QStringLiteral(": ");
    if (!power.battery)
        return source + flowTo(systemDraw(snapshot), "the computer");
    if (isBatteryFull(snapshot))
        return source + toSystem + QStringLiteral(", battery full");
    if (!isCharging(power))
        return source + toSystem + QStringLiteral(", battery not charging");
    return source + toSystem + QStringLiteral(", ") + flowTo(batteryWatts(power), "the battery");
}

}  // namespace moravel::PowerFlow
