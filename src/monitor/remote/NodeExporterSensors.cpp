#include "monitor/remote/NodeExporterSensors.h"

#include "monitor/linux/PowerSupplyReader.h"
#include "support/PrintableExcerpt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace moravel {

namespace {

// A label of the page as it may be shown: the page is another machine's words.
QString printableName(std::string_view label)
{
    // Nearly every name is short plain ASCII, shown as it is: a fleet has thousands.
    const bool plain = std::ranges::all_of(label, [](char c) { return c >= 0x20 && c < 0x7F; });
    if (plain && label.size() <= static_cast<size_t>(longestShownName))
        return QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size()));
    return printableExcerpt(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())), longestShownName);
}

// The exporter's power-supply figures in base units, back to the sysfs
// attributes (micro-units) they were read from, so that the battery is read
// exactly as this computer's.
struct SupplyFigure {
    std::string_view metric;
    const char* attribute;
    double scale;
};
constexpr SupplyFigure supplyFigures[] = {
    {"online", "online", 1},
    {"capacity", "capacity", 1},
    {"current_ampere", "current_now", 1e6},
    {"current_max", "current_max", 1e6},
    {"voltage_volt", "voltage_now", 1e6},
    {"voltage_max", "voltage_max", 1e6},
    {"power_watt", "power_now", 1e6},
    {"energy_watthour", "energy_now", 1e6},
    {"energy_full", "energy_full", 1e6},
    {"charge_ampere", "charge_now", 1e6},
    {"charge_full", "charge_full", 1e6},
    {"time_to_empty_seconds", "time_to_empty_now", 1},
    {"time_to_full_seconds", "time_to_full_now", 1},
};

}  // namespace

std::optional<QList<SensorReading>> nodeSensors(const MetricFamilies& families, SensorKind kind)
{
    // The exporter names its families after the hwmon files it read.
    const SensorChannel& channel = sensorChannel(kind);
    const std::string family = "node_hwmon_" + std::string(channel.prefix) + '_';
    const std::string unit(channel.exporterUnit);
    Family readings;
    for (std::string_view input : channel.inputs) {
        const Family found = families[family + (input == "input" ? "" : std::string(input) + '_') + unit];
        if (!input.empty() && readings.empty())
            readings = found;
    }
    if (readings.empty())
        return families.collectorRan("hwmon") ? std::optional(QList<SensorReading>()) : std::nullopt;
    using Key = std::pair<std::string_view, std::string_view>;  // chip, sensor
    std::map<std::string_view, std::string_view> chipNames;
    for (const NodeSample* sample : families["node_hwmon_chip_names"])
        chipNames[sample->label("chip")] = sample->label("chip_name");
    std::map<Key, std::string_view> labels;
    for (const NodeSample* sample : families["node_hwmon_sensor_label"])
        labels[{sample->label("chip"), sample->label("sensor")}] = sample->label("label");

    QList<SensorReading> sensors;
    std::map<Key, qsizetype> indexOf;
    for (const NodeSample* sample : readings) {
        const Key key{sample->label("chip"), sample->label("sensor")};
        if (!std::isfinite(sample->value))
            continue;
        const auto chipName = chipNames.find(key.first);
        const auto label = labels.find(key);
        const std::string_view chip = chipName != chipNames.end() ? chipName->second : key.first;
        const std::string_view shown = label != labels.end() && !label->second.empty() ? label->second : key.second;
        indexOf[key] = sensors.size();
        sensors.append({printableName(chip), printableName(shown), sample->value});
    }
    for (const auto& [limit, field] : sensorLimits) {
        for (const NodeSample* sample : families[family + std::string(limit) + '_' + unit]) {
            const auto found = indexOf.find({sample->label("chip"), sample->label("sensor")});
            if (found != indexOf.end() && std::isfinite(sample->value))
                sensors[found->second].*field = sample->value;
        }
    }
    return sensors;
}

std::optional<BatteryRegistry> nodePowerSupplies(const MetricFamilies& families)
{
    std::map<std::string, PowerSupply, std::less<>> supplies;
    const auto supply = [&](const NodeSample& sample) -> PowerSupply& {
        const std::string name(sample.label("power_supply"));
        PowerSupply& found = supplies[name];
        found.name = name;
        return found;
    };
    for (const NodeSample* sample : families["node_power_supply_info"]) {
        PowerSupply& target = supply(*sample);
        for (const auto& [key, value] : sample->labels) {
            if (key != "power_supply")
                target.attributes.insert_or_assign(std::string(key), std::string(value));
        }
    }
    families.forEachWithPrefix("node_power_supply_", [&](std::string_view metric, Family family) {
        const auto figure = std::find_if(std::begin(supplyFigures), std::end(supplyFigures),
                                         [&](const SupplyFigure& f) { return f.metric == metric; });
        for (const NodeSample* sample : family) {
            const double value = sample->value * (figure == std::end(supplyFigures) ? 1 : figure->scale);
            if (figure == std::end(supplyFigures) || !std::isfinite(value) || std::fabs(value) > 9e18)
                continue;
            supply(*sample).attributes.insert_or_assign(figure->attribute, std::to_string(std::llround(value)));
        }
    });
    if (supplies.empty() && !families.collectorRan("powersupplyclass"))
        return std::nullopt;
    std::vector<PowerSupply> list;
    for (auto& [name, found] : supplies)
        list.push_back(std::move(found));
    return batteryRegistryFromSupplies(std::move(list));
}

}  // namespace moravel
