#include "testsupport/Printers.h"

#include "monitor/ReadingTable.h"
#include "monitor/SnapshotJson.h"

#include <limits>
#include <optional>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"' << bytes.toStdString() << '"';
}

namespace moravel {

namespace {

void printOptional(const std::optional<double>& value, std::ostream* out)
{
    if (value)
        *out << *value;
    else
        *out << "none";
}

}  // namespace

void PrintTo(MetricKind kind, std::ostream* out)
{
    *out << ReadingTable::of(kind).key;
}

void PrintTo(const CollapsedMetricPreference& preference, std::ostream* out)
{
    PrintTo(preference.kind, out);
    *out << (preference.isVisible ? " shown" : " hidden");
}

void PrintTo(const IslandPreferences& preferences, std::ostream* out)
{
    *out << "{collapsed:";
    for (const CollapsedMetricPreference& preference : preferences.collapsedMetrics) {
        *out << ' ';
        PrintTo(preference, out);
    }
    *out << "; expandOnHover " << preferences.expandOnHover << ", selected ";
    PrintTo(preferences.selectedMetric, out);
    *out << ", showPowerFlow " << preferences.showPowerFlow << '}';
}

void PrintTo(const SystemSnapshot& snapshot, std::ostream* out)
{
    *out << snapshotJsonLine(snapshot, {}).toStdString();
}

void PrintTo(const CpuReading& cpu, std::ostream* out)
{
    *out << "{cpu " << cpu.percent << "%, cores";
    for (double core : cpu.corePercents)
        *out << ' ' << core;
    *out << '}';
}

void PrintTo(const NetworkReading& network, std::ostream* out)
{
    *out << "{down " << network.downloadBytesPerSecond << " B/s, up " << network.uploadBytesPerSecond << " B/s}";
}

void PrintTo(const SensorReading& sensor, std::ostream* out)
{
    out->precision(std::numeric_limits<double>::max_digits10);
    *out << '{' << chipTitle(sensor).toStdString() << ' ' << sensor.label.toStdString() << ' ' << sensor.value;
    *out << ", critical ";
    printOptional(sensor.critical, out);
    *out << ", maximum ";
    printOptional(sensor.maximum, out);
    *out << ", minimum ";
    printOptional(sensor.minimum, out);
    *out << '}';
}

void PrintTo(const ProcessMetric& process, std::ostream* out)
{
    *out << '{' << process.id << ' ' << process.name.toStdString() << ' ' << process.cpuPercent << "% "
         << process.memoryBytes << " B}";
}

}  // namespace moravel
