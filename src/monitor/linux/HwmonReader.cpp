#include "monitor/linux/HwmonReader.h"

#include "support/PrintableExcerpt.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace moravel {

namespace {

// The N of a "<prefix>N_<suffix>" file name.
std::optional<unsigned> channelNumber(std::string_view file, std::string_view prefix, std::string_view suffix)
{
    if (!file.starts_with(prefix) || !file.ends_with(suffix) || file.size() <= prefix.size() + suffix.size() + 1)
        return std::nullopt;
    const char* end = file.data() + file.size() - suffix.size() - 1;
    if (*end != '_')
        return std::nullopt;
    unsigned number = 0;
    const auto [stop, error] = std::from_chars(file.data() + prefix.size(), end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

QString readLabel(const std::string& path, const std::string& fallback)
{
    const auto text = readTextFile(path, 256);
    const std::string_view label = text ? trimmed(*text) : std::string_view();
    return printableExcerpt(QString::fromUtf8(label.empty() ? std::string_view(fallback) : label), longestShownName);
}

// The file a channel's value is read from, and how much its name is preferred (0 most).
struct Input {
    std::string file;
    size_t preference = 0;
};

}  // namespace

std::optional<double> parseHwmonValue(std::string_view text, double fileUnits)
{
    text = trimmed(text);
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return static_cast<double>(value) / fileUnits;
}

HwmonReader::HwmonReader(const std::string& sysRoot, std::vector<SensorKind> kinds)
    : kinds_(std::move(kinds)), directory_(sysRoot + "/class/hwmon", "hwmon")
{
}

HwmonReader::Chip HwmonReader::chipAt(const std::string& folder, const std::string& entry, size_t& keptOpen) const
{
    Chip chip{readLabel(folder + "name", entry), RuntimePower(folder + "device"), {}, false, {}, {}};
    chip.isDiskDrive = chip.name == QLatin1String("drivetemp");
    const std::vector<std::string> files = directoryEntries(folder);
    for (SensorKind kind : kinds_) {
        const SensorChannel& channel = sensorChannel(kind);
        std::map<unsigned, Input> inputs;  // by channel number
        for (const std::string& file : files) {
            for (size_t preference = 0; preference < channel.inputs.size(); ++preference) {
                if (channel.inputs[preference].empty())
                    continue;
                const auto number = channelNumber(file, channel.prefix, channel.inputs[preference]);
                const auto known = number ? inputs.find(*number) : inputs.end();
                if (number && (known == inputs.end() || known->second.preference > preference))
                    inputs.insert_or_assign(*number, Input{file, preference});
            }
        }
        for (const auto& [number, input] : inputs) {
            const std::string name = std::string(channel.prefix) + std::to_string(number);
            const std::string base = folder + name + '_';
            SensorReading reading{chip.name, readLabel(base + "label", name)};
            for (const auto& [limit, field] : sensorLimits) {
                const auto text = readTextFile(base + std::string(limit), 64);
                reading.*field = text ? parseHwmonValue(*text, channel.fileUnits) : std::nullopt;
            }
            const bool keepOpen = keptOpen < keptOpenInputs;
            keptOpen += keepOpen ? 1 : 0;
            chip.channels.push_back(
                Channel{kind, std::move(reading), KernelFile(folder + input.file, KernelFile::Kind::attribute, keepOpen)});
        }
    }
    return chip;
}

QList<int> chipNumbers(const QStringList& names)
{
    QList<int> numbers;
    numbers.reserve(names.size());
    for (const QString& name : names) {
        const auto before = std::count(names.cbegin(), names.cbegin() + numbers.size(), name);
        numbers.append(names.count(name) == 1 ? -1 : static_cast<int>(before));
    }
    return numbers;
}

void HwmonReader::discover(const std::vector<DeviceEntry>& entries)
{
    chips_.clear();
    size_t keptOpen = 0;
    for (const DeviceEntry& entry : entries) {
        Chip chip = chipAt(directory_.path() + '/' + entry.name + '/', entry.name, keptOpen);
        if (!chip.channels.empty())
            chips_.push_back(std::move(chip));
    }
    QStringList names;
    for (const Chip& chip : chips_)
        names.append(chip.name);
    const QList<int> numbers = chipNumbers(names);
    for (size_t i = 0; i < chips_.size(); ++i) {
        for (Channel& channel : chips_[i].channels)
            channel.reading.chipNumber = numbers[static_cast<qsizetype>(i)];
    }
}

void HwmonReader::readChip(Chip& chip, double monotonicSeconds, SensorReadings& readings)
{
    if (chip.isDiskDrive && chip.lastReadAt && monotonicSeconds >= *chip.lastReadAt
        && monotonicSeconds - *chip.lastReadAt < DeviceDirectory::lookAgainSeconds) {
        readings.append(chip.lastReadings);
        return;
    }
    if (chip.power.isSuspended())
        return;
    SensorReadings chipReadings;
    for (Channel& channel : chip.channels) {
        const auto text = channel.input.read();
        const auto value = text ? parseHwmonValue(*text, sensorChannel(channel.kind).fileUnits) : std::nullopt;
        if (!value)
            continue;
        SensorReading reading = channel.reading;
        reading.value = *value;
        chipReadings[channel.kind].append(std::move(reading));
    }
    readings.append(chipReadings);
    if (chip.isDiskDrive) {
        chip.lastReadAt = monotonicSeconds;
        chip.lastReadings = std::move(chipReadings);
    }
}

SensorReadings HwmonReader::read(double monotonicSeconds)
{
    if (auto entries = directory_.changedEntries(monotonicSeconds))
        discover(*entries);
    SensorReadings readings;
    for (Chip& chip : chips_)
        readChip(chip, monotonicSeconds, readings);
    return readings;
}

}  // namespace moravel
