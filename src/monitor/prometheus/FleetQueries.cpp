#include "monitor/prometheus/FleetQueries.h"

#include "monitor/SensorChannels.h"
#include "monitor/TemperaturePolicy.h"
#include "monitor/remote/NodeExporterReadings.h"

#include <cmath>
#include <span>

namespace moravel {

namespace {

// Whole seconds, as PromQL durations are written: "240s".
std::string seconds(double value)
{
    return std::to_string(std::max<long long>(1, std::llround(value))) + "s";
}

std::string alternatives(std::span<const std::string_view> modes)
{
    std::string joined;
    for (std::string_view mode : modes)
        joined += (joined.empty() ? "" : "|") + std::string(mode);
    return joined;
}

// `matchers` with the machine's own, where one is asked about.
std::string selector(const FleetQueryOptions& options, const std::string& matchers)
{
    std::string all = matchers;
    if (!options.instance.isEmpty())
        all += (all.empty() ? "" : ",") + std::string("instance=") + promqlString(options.instance);
    return "{" + all + "}";
}

std::string cpuShare(const FleetQueryOptions& options, const std::string& modes)
{
    return "sum by (job, instance) (rate(node_cpu_seconds_total" + selector(options, "mode=~\"" + modes + "\"") + "["
           + seconds(options.rateWindowSeconds) + "]))";
}

// The series of `expression` under their own names in the family label: a
// series of another family with the same labels would otherwise stand for
// them in an `or`, which compares labels without the name.
std::string asFamily(const std::string& expression)
{
    return "label_replace(" + expression + ", \"" + familyLabel + "\", \"$1\", \"__name__\", \"(.+)\")";
}

std::string cpuChips()
{
    std::string names;
    for (const char* name : cpuChipNames)
        names += std::string(name) + "|";
    return names + cpuZonePrefix + ".*";
}

std::string rateOf(const FleetQueryOptions& options, const char* counter)
{
    return std::string("label_replace(rate(") + counter + selector(options, {}) + "["
           + seconds(options.rateWindowSeconds) + "]), \"" + familyLabel + "\", \"" + counter + "\", \"\", \"\")";
}

// Every channel of `kind` with its limits, and the chip and sensor names of
// the chips that have one. One selector: an `or` would drop a limit, whose
// labels are its reading's but for the name.
std::string sensorsOf(const FleetQueryOptions& options, SensorKind kind)
{
    const SensorChannel& channel = sensorChannel(kind);
    const std::string family = "node_hwmon_" + std::string(channel.prefix) + "_";
    std::string inputs;
    for (std::string_view input : channel.inputs) {
        if (!input.empty())
            inputs += (inputs.empty() ? "" : "|") + (input == "input" ? std::string() : std::string(input) + "_");
    }
    std::string limits;
    for (const auto& [limit, field] : sensorLimits)
        limits += "|" + std::string(limit) + "_";
    const std::string unit(channel.exporterUnit);
    const std::string readings = family + "(" + inputs + ")" + unit;
    return selector(options, "__name__=~\"" + family + "(" + inputs + limits + ")" + unit
                                 + "|node_hwmon_(chip_names|sensor_label)\"")
           + " and on(job, instance, chip) " + selector(options, "__name__=~\"" + readings + "\"");
}

}  // namespace

std::string promqlString(const QString& value)
{
    std::string quoted = "\"";
    for (const char c : value.toStdString()) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        if (c == '\n')
            quoted += "\\n";
        else
            quoted += c;
    }
    return quoted + "\"";
}

std::string fleetQueryText(FleetQuery query, const FleetQueryOptions& options)
{
    switch (query) {
    case FleetQuery::lastSeen:
        // The time of the last sample of one series every Linux machine's
        // exporter publishes, checked at each scrape of the last hour.
        return "max by (job, instance) (max_over_time(timestamp(node_cpu_seconds_total"
               + selector(options, "cpu=\"0\",mode=\"idle\"") + ")[" + seconds(forgottenAfterSeconds) + ":"
               + seconds(options.scrapeIntervalSeconds) + "]))";
    case FleetQuery::up:
        return "up" + selector(options, {});
    case FleetQuery::cpu: {
        const std::string busy = alternatives(busyCpuModes);
        return cpuShare(options, busy) + " / " + cpuShare(options, busy + "|" + alternatives(idleCpuModes))
               + " * 100";
    }
    case FleetQuery::gauges: {
        // Only what the readings use: the figures an old kernel's memory is
        // worked out from where it has no MemAvailable, the processor's
        // sensors, and their maximum only where they give no critical figure.
        const std::string cpuSensors = " and on(job, instance, chip) node_hwmon_chip_names"
                                       + selector(options, "chip_name=~\"" + cpuChips() + "\"");
        return selector(options, "__name__=~\"node_memory_(MemTotal|MemAvailable|SwapTotal|SwapFree)_bytes"
                                 "|node_load(1|5|15)|node_network_flags\"")
               + " or " + selector(options, "__name__=~\"node_filesystem_(size|free|avail)_bytes\",mountpoint=\"/\"")
               + " or " + asFamily(selector(options, "__name__=~\"node_memory_(MemFree|Buffers|Cached|SReclaimable"
                                                     "|Shmem)_bytes\"")
                                   + " unless on(job, instance) node_memory_MemAvailable_bytes")
               + " or (" + selector(options, "__name__=~\"node_hwmon_(temp_celsius|temp_crit_celsius|chip_names"
                                             "|sensor_label)\"")
               + cpuSensors + ") or "
               + asFamily("(node_hwmon_temp_max_celsius" + selector(options, {}) + cpuSensors
                          + ") unless on(job, instance, chip, sensor) node_hwmon_temp_crit_celsius");
    }
    case FleetQuery::network:
        return rateOf(options, "node_network_receive_bytes_total") + " or "
               + rateOf(options, "node_network_transmit_bytes_total");
    case FleetQuery::fans:
        return sensorsOf(options, SensorKind::fan);
    case FleetQuery::voltages:
        return sensorsOf(options, SensorKind::voltage);
    }
    return {};
}

}  // namespace moravel
