#include "monitor/linux/HwmonReader.h"

#include <algorithm>
#include <charconv>

namespace moravel {

namespace {

// The K of a "tempK_input" file name.
std::optional<unsigned> temperatureInputNumber(std::string_view file)
{
    constexpr std::string_view prefix = "temp";
    constexpr std::string_view suffix = "_input";
    if (!file.starts_with(prefix) || !file.ends_with(suffix) || file.size() <= prefix.size() + suffix.size())
        return std::nullopt;
    unsigned number = 0;
    const char* end = file.data() + file.size() - suffix.size();
    const auto [stop, error] = std::from_chars(file.data() + prefix.size(), end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

std::optional<double> readCelsius(const std::string& path)
{
    const auto text = readTextFile(path, 64);
    return text ? parseMillidegrees(*text) : std::nullopt;
}

QString readLabel(const std::string& path, const std::string& fallback)
{
    const auto text = readTextFile(path, 256);
    const std::string_view label = text ? trimmed(*text) : std::string_view();
    return QString::fromUtf8(label.empty() ? std::string_view(fallback) : label);
}

}  // namespace

std::optional<double> parseMillidegrees(std::string_view text)
{
    text = trimmed(text);
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return static_cast<double>(value) / 1000.0;
}

HwmonReader::HwmonReader(const std::string& sysRoot) : directory_(sysRoot + "/class/hwmon", "hwmon") {}

HwmonReader::Chip HwmonReader::chipAt(const std::string& folder, const std::string& entry, size_t& keptOpen) const
{
    Chip chip{readLabel(folder + "name", entry), RuntimePower(folder + "device"), {}, false, {}, {}};
    chip.isDiskDrive = chip.name == QLatin1String("drivetemp");
    std::vector<std::pair<unsigned, std::string>> inputs;
    for (std::string& file : directoryEntries(folder)) {
        if (const auto number = temperatureInputNumber(file))
            inputs.emplace_back(*number, std::move(file));
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& [number, file] : inputs) {
        const std::string base = folder + "temp" + std::to_string(number);
        const bool keepOpen = keptOpen < keptOpenInputs;
        keptOpen += keepOpen ? 1 : 0;
        chip.sensors.push_back(Sensor{readLabel(base + "_label", "temp" + std::to_string(number)),
                                      KernelFile(folder + file, KernelFile::Kind::attribute, keepOpen),
                                      readCelsius(base + "_crit"), readCelsius(base + "_max")});
    }
    return chip;
}

QStringList distinctChipNames(const QStringList& names)
{
    QStringList distinct;
    distinct.reserve(names.size());
    for (const QString& name : names) {
        if (names.count(name) == 1) {
            distinct.append(name);
            continue;
        }
        const auto before = std::count(names.cbegin(), names.cbegin() + distinct.size(), name);
        distinct.append(name + QString::number(before));
    }
    return distinct;
}

void HwmonReader::discover(const std::vector<DeviceEntry>& entries)
{
    chips_.clear();
    size_t keptOpen = 0;
    for (const DeviceEntry& entry : entries) {
        Chip chip = chipAt(directory_.path() + '/' + entry.name + '/', entry.name, keptOpen);
        if (!chip.sensors.empty())
            chips_.push_back(std::move(chip));
    }
    QStringList names;
    for (const Chip& chip : chips_)
        names.append(chip.name);
    names = distinctChipNames(names);
    for (size_t i = 0; i < chips_.size(); ++i)
        chips_[i].name = names[static_cast<qsizetype>(i)];
}

void HwmonReader::readChip(Chip& chip, double monotonicSeconds, QList<TemperatureReading>& readings)
{
    if (chip.isDiskDrive && chip.lastReadAt && monotonicSeconds >= *chip.lastReadAt
        && monotonicSeconds - *chip.lastReadAt < DeviceDirectory::lookAgainSeconds) {
        readings.append(chip.lastReadings);
        return;
    }
    if (chip.power.isSuspended())
        return;
    const qsizetype first = readings.size();
    for (Sensor& sensor : chip.sensors) {
        const auto text = sensor.input.read();
        if (const auto celsius = text ? parseMillidegrees(*text) : std::nullopt)
            readings.append({chip.name, sensor.label, *celsius, sensor.criticalCelsius, sensor.maximumCelsius});
    }
    if (chip.isDiskDrive) {
        chip.lastReadAt = monotonicSeconds;
        chip.lastReadings = readings.mid(first);
    }
}

QList<TemperatureReading> HwmonReader::read(double monotonicSeconds)
{
    if (auto entries = directory_.changedEntries(monotonicSeconds))
        discover(*entries);
    QList<TemperatureReading> readings;
    for (Chip& chip : chips_)
        readChip(chip, monotonicSeconds, readings);
    return readings;
}

}  // namespace moravel
