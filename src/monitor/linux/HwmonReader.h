#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/linux/SysfsDevices.h"
#include "monitor/linux/TextFile.h"

#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// A hwmon temperature file's figure: a signed whole number of millidegrees
// Celsius. Nothing for anything else (empty, "N/A", decimals, junk).
std::optional<double> parseMillidegrees(std::string_view text);

// Chip names told apart: where several chips share a name (two "nvme"
// drives), each gets its number among them ("nvme0", "nvme1"), in order.
QStringList distinctChipNames(const QStringList& names);

// Every temperature sensor of <sys>/class/hwmon. The chips and their sensors
// are found once (and again when the class directory changes); each reading
// then reads only the input files, kept open. A chip whose device sleeps is
// left out rather than woken, and a disk drive's (drivetemp) is asked once a
// minute: asking may restart the drive's spin-down timer.
class HwmonReader {
public:
    // Input files kept open at most; a many-core server's others are opened per reading.
    static constexpr size_t keptOpenInputs = 64;

    explicit HwmonReader(const std::string& sysRoot);

    // Whether a reading would read anything, or look for chips.
    bool isDue(double monotonicSeconds) const { return !chips_.empty() || directory_.isDue(monotonicSeconds); }
    // Chip by chip in the directory's order, sensors by number; a sensor
    // whose input cannot be read this time is left out.
    QList<TemperatureReading> read(double monotonicSeconds);

private:
    struct Sensor {
        QString label;
        KernelFile input;
        std::optional<double> criticalCelsius;
        std::optional<double> maximumCelsius;
    };
    struct Chip {
        QString name;
        RuntimePower power;
        std::vector<Sensor> sensors;
        bool isDiskDrive = false;
        std::optional<double> lastReadAt;
        QList<TemperatureReading> lastReadings;
    };

    void discover(const std::vector<DeviceEntry>& entries);
    void readChip(Chip& chip, double monotonicSeconds, QList<TemperatureReading>& readings);
    Chip chipAt(const std::string& folder, const std::string& entry, size_t& keptOpen) const;

    DeviceDirectory directory_;
    std::vector<Chip> chips_;
};

}  // namespace moravel
