#include "monitor/remote/NodeExporterSensors.h"

#include "monitor/linux/HwmonReader.h"
#include "monitor/linux/PowerSupplyReader.h"
#include "support/PrintableExcerpt.h"

#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <span>

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

// The families of one kind of channel, named after the hwmon files the
// exporter read (an input that is none has no name).
struct ChannelFamilies {
    std::array<std::string, 2> inputs;
    std::array<std::string, sensorLimits.size()> limits;
};

const ChannelFamilies& channelFamilies(SensorKind kind)
{
    static const std::array<ChannelFamilies, sensorKindCount> all = [] {
        std::array<ChannelFamilies, sensorKindCount> named;
        for (const SensorChannel& channel : sensorChannels) {
            const std::string family = "node_hwmon_" + std::string(channel.prefix) + '_';
            const std::string unit(channel.exporterUnit);
            ChannelFamilies& names = named[static_cast<size_t>(channel.kind)];
            for (size_t i = 0; i < channel.inputs.size(); ++i) {
                const std::string_view input = channel.inputs[i];
                if (!input.empty())
                    names.inputs[i] = family + (input == "input" ? "" : std::string(input) + '_') + unit;
            }
            for (size_t i = 0; i < sensorLimits.size(); ++i)
                names.limits[i] = family + std::string(sensorLimits[i].first) + '_' + unit;
        }
        return named;
    }();
    return all[static_cast<size_t>(kind)];
}

// An order that tells names apart quickly, not an alphabetical one: by length
// first, and a sensor by its own name ("temp1") before its chip's, as chips'
// long names mostly match.
bool before(std::string_view a, std::string_view b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}
bool before(const std::pair<std::string_view, std::string_view>& a,
            const std::pair<std::string_view, std::string_view>& b)
{
    return a.second != b.second ? before(a.second, b.second) : before(a.first, b.first);
}

// Values by key, the last given for a key holding: a sorted list rather than
// a tree of nodes, as a fleet reads thousands of them.
template <typename Key, typename Value>
class LastByKey {
public:
    explicit LastByKey(size_t count) { entries_.reserve(count); }
    void add(const Key& key, const Value& value) { entries_.push_back({key, entries_.size(), value}); }
    // Before any find.
    void sort()
    {
        std::ranges::sort(entries_, [](const Entry& a, const Entry& b) {
            return a.key != b.key ? before(a.key, b.key) : a.order < b.order;
        });
    }
    const Value* find(const Key& key) const
    {
        const auto after = std::ranges::upper_bound(entries_, key, [](const Key& a, const Key& b) { return before(a, b); },
                                                    &Entry::key);
        return after != entries_.begin() && std::prev(after)->key == key ? &std::prev(after)->value : nullptr;
    }

private:
    struct Entry {
        Key key;
        size_t order;
        Value value;
    };
    std::vector<Entry> entries_;
};

// Chips that share a name (two "nvme" drives) told apart as this computer's
// are, in the order of the exporter's names for them ("nvme_nvme0",
// "nvme_nvme1"), which follow their devices.
void numberChips(QList<SensorReading>& sensors, std::span<const std::string_view> chipOf)
{
    QVarLengthArray<std::string_view, 16> chips(chipOf.begin(), chipOf.end());
    std::ranges::sort(chips, [](std::string_view a, std::string_view b) { return before(a, b); });
    chips.erase(std::unique(chips.begin(), chips.end()), chips.end());
    if (chips.size() < 2)
        return;
    const auto placeOf = [&](std::string_view chip) {
        return std::ranges::lower_bound(chips, chip, [](std::string_view a, std::string_view b) { return before(a, b); })
               - chips.begin();
    };
    QStringList names(chips.size());
    for (qsizetype i = 0; i < sensors.size(); ++i)
        names[placeOf(chipOf[static_cast<size_t>(i)])] = sensors[i].chip;
    const QList<int> numbers = chipNumbers(names);
    for (qsizetype i = 0; i < sensors.size(); ++i)
        sensors[i].chipNumber = numbers[placeOf(chipOf[static_cast<size_t>(i)])];
}

}  // namespace

std::optional<QList<SensorReading>> nodeSensors(const MetricFamilies& families, SensorKind kind)
{
    const ChannelFamilies& named = channelFamilies(kind);
    Family readings;
    for (const std::string& input : named.inputs) {
        if (!input.empty() && readings.empty())
            readings = families[input];
    }
    if (readings.empty())
        return families.collectorRan("hwmon") ? std::optional(QList<SensorReading>()) : std::nullopt;
    using Key = std::pair<std::string_view, std::string_view>;  // chip, sensor
    const Family chipNameSamples = families["node_hwmon_chip_names"];
    LastByKey<std::string_view, std::string_view> chipNames(chipNameSamples.size());
    for (const NodeSample* sample : chipNameSamples)
        chipNames.add(sample->label("chip"), sample->label("chip_name"));
    chipNames.sort();
    const Family labelSamples = families["node_hwmon_sensor_label"];
    LastByKey<Key, std::string_view> labels(labelSamples.size());
    for (const NodeSample* sample : labelSamples)
        labels.add({sample->label("chip"), sample->label("sensor")}, sample->label("label"));
    labels.sort();

    QList<SensorReading> sensors;
    sensors.reserve(std::ssize(readings));
    LastByKey<Key, qsizetype> indexOf(readings.size());
    std::string_view shownChip;
    QString chipText;
    QVarLengthArray<std::string_view, 16> chipOfSensor;  // the exporter's name for each one's chip
    for (const NodeSample* sample : readings) {
        const Key key{sample->label("chip"), sample->label("sensor")};
        if (!std::isfinite(sample->value))
            continue;
        const std::string_view* chipName = chipNames.find(key.first);
        const std::string_view* label = labels.find(key);
        const std::string_view chip = chipName ? *chipName : key.first;
        const std::string_view shown = label && !label->empty() ? *label : key.second;
        // A chip's sensors come together: they share one copy of its name.
        if (sensors.isEmpty() || chip != shownChip) {
            shownChip = chip;
            chipText = printableName(chip);
        }
        chipOfSensor.append(key.first);
        indexOf.add(key, sensors.size());
        sensors.append({chipText, printableName(shown), sample->value});
    }
    numberChips(sensors, chipOfSensor);
    indexOf.sort();
    for (size_t limit = 0; limit < sensorLimits.size(); ++limit) {
        for (const NodeSample* sample : families[named.limits[limit]]) {
            const qsizetype* found = indexOf.find({sample->label("chip"), sample->label("sensor")});
            if (found && std::isfinite(sample->value))
                sensors[*found].*sensorLimits[limit].second = sample->value;
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
