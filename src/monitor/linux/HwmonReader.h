#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/SensorChannels.h"
#include "monitor/linux/SysfsDevices.h"
#include "monitor/linux/TextFile.h"

#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// A hwmon file's figure, a signed whole number of `fileUnits` to the unit
// (1000 millidegrees a degree). Nothing for anything else (empty, "N/A",
// decimals, junk).
std::optional<double> parseHwmonValue(std::string_view text, double fileUnits);

// Chips told apart: where several chips share a name (two "nvme" drives),
// each one's number among them (0, 1, ...), in order; -1 for a name alone.
QList<int> chipNumbers(const QStringList& names);

// Every sensor channel of the asked kinds under <sys>/class/hwmon, with its
// label and limits. The chips and their channels are found once (and again
// when the class directory changes); each reading then reads only the input
// files, kept open. A chip whose device sleeps is left out rather than woken,
// and a disk drive's (drivetemp) is asked once a minute: asking may restart
// the drive's spin-down timer.
class HwmonReader {
public:
    // Input files kept open at most; a many-core server's others are opened per reading.
    static constexpr size_t keptOpenInputs = 64;

    HwmonReader(const std::string& sysRoot, std::vector<SensorKind> kinds);

    // Whether a reading would read anything, or look for chips.
    bool isDue(double monotonicSeconds) const { return !chips_.empty() || directory_.isDue(monotonicSeconds); }
    // Kind by kind: chip by chip in the directory's order, channels by
    // number. A channel whose input cannot be read this time is left out.
    SensorReadings read(double monotonicSeconds);

private:
    struct Channel {
        SensorKind kind;
        SensorReading reading;  // its chip, label and limits; the value is read each time
        KernelFile input;
    };
    struct Chip {
        QString name;
        RuntimePower power;
        std::vector<Channel> channels;
        bool isDiskDrive = false;
        std::optional<double> lastReadAt;
        SensorReadings lastReadings;
    };

    void discover(const std::vector<DeviceEntry>& entries);
    void readChip(Chip& chip, double monotonicSeconds, SensorReadings& readings);
    Chip chipAt(const std::string& folder, const std::string& entry, size_t& keptOpen) const;

    std::vector<SensorKind> kinds_;
    DeviceDirectory directory_;
    std::vector<Chip> chips_;
};

}  // namespace moravel
