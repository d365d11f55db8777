#include "monitor/ReadingJson.h"

#include "monitor/JsonWriter.h"
#include "monitor/ReadingTable.h"

namespace moravel::ReadingJson {

void swap(JsonWriter& w, const SystemSnapshot& s)
{
    w.group(ReadingGroup::swap);
    w.unsignedInteger("swapUsed", s.swapUsed);
    w.unsignedInteger("swapTotal", s.swapTotal);
    w.number("swapPercent", ReadingTable::value(MetricKind::swap, s));
}

void cpu(JsonWriter& w, const SystemSnapshot& s)
{
    w.group(ReadingGroup::cpu);
    w.number("cpuPercent", s.cpuPercent);
    w.numbers("cpuCorePercents", s.cpuCorePercents);
    w.group(ReadingGroup::load);
    if (s.loadAverage)
        w.numbers("loadAverage", {(*s.loadAverage)[0], (*s.loadAverage)[1], (*s.loadAverage)[2]});
    else
        w.null("loadAverage");
}

void memory(JsonWriter& w, const SystemSnapshot& s)
{
    w.group(ReadingGroup::memory);
    w.number("memoryPercent", s.memoryPercent);
    w.unsignedInteger("memoryUsed", s.memoryUsed);
    w.unsignedInteger("memoryTotal", s.memoryTotal);
}

void network(JsonWriter& w, const SystemSnapshot& s)
{
    w.group(ReadingGroup::network);
    w.number("downloadBytesPerSecond", s.downloadBytesPerSecond);
    w.number("uploadBytesPerSecond", s.uploadBytesPerSecond);
}

void disk(JsonWriter& w, const SystemSnapshot& s)
{
    w.group(ReadingGroup::disk);
    w.number("diskPercent", s.diskPercent);
    w.unsignedInteger("diskUsed", s.diskUsed);
    w.unsignedInteger("diskTotal", s.diskTotal);
    w.group(ReadingGroup::diskActivity);
    w.number("diskReadBytesPerSecond", s.diskReadBytesPerSecond);
    w.number("diskWriteBytesPerSecond", s.diskWriteBytesPerSecond);
}

void temperatures(JsonWriter& w, const SystemSnapshot& s)
{
    w.group(ReadingGroup::temperatures);
    w.number("cpuTemperatureCelsius", s.cpuTemperatureCelsius);
    w.objects("temperatures", s.temperatures, [](JsonWriter& row, const TemperatureReading& t) {
        row.string("chip", t.chip);
        row.string("label", t.label);
        row.number("celsius", t.celsius);
    });
}

void gpus(JsonWriter& w, const SystemSnapshot& s)
{
    w.group(ReadingGroup::gpus);
    w.objects("gpus", s.gpus, [](JsonWriter& row, const GpuReading& gpu) {
        row.string("name", gpu.name);
        row.number("busyPercent", gpu.busyPercent);
        row.unsignedInteger("memoryUsed", gpu.memoryUsed ? std::optional<unsigned long long>(*gpu.memoryUsed)
                                                         : std::nullopt);
        row.unsignedInteger("memoryTotal", gpu.memoryTotal ? std::optional<unsigned long long>(*gpu.memoryTotal)
                                                           : std::nullopt);
        row.number("temperatureCelsius", gpu.temperatureCelsius);
    });
}

void power(JsonWriter& w, const SystemSnapshot& s)
{
    w.group(ReadingGroup::power);
    w.boolean("hasBattery", s.hasBattery);
    w.integer("batteryPercent", s.batteryPercent);
    w.boolean("isCharging", s.isCharging);
    w.boolean("isExternalPowerConnected", s.isExternalPowerConnected);
    w.boolean("isFullyCharged", s.isFullyCharged);
    w.integer("minutesRemaining", s.minutesRemaining ? std::optional<long long>(*s.minutesRemaining) : std::nullopt);
    w.number("batteryPowerWatts", s.batteryPowerWatts);
    w.number("systemInputWatts", s.systemInputWatts);
    w.number("displayPowerWatts", s.displayPowerWatts);
    w.group(ReadingGroup::adapter);
    w.integer("adapterWatts", s.adapterWatts);
    w.number("adapterVoltage", s.adapterVoltage);
    w.number("adapterCurrent", s.adapterCurrent);
}

}  // namespace moravel::ReadingJson
