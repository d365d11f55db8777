#include "monitor/prometheus/FleetQueries.h"

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

std::string rateOf(const FleetQueryOptions& options, const char* counter)
{
    return std::string("label_replace(rate(") + counter + selector(options, {}) + "["
           + seconds(options.rateWindowSeconds) + "]), \"" + familyLabel + "\", \"" + counter + "\", \"\", \"\")";
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
    case FleetQuery::gauges:
        // One selector per set of labels: `or` would drop a series whose
        // labels but for the name match one already taken.
        return selector(options, "__name__=~\"node_memory_(MemTotal|MemAvailable|MemFree|Buffers|Cached|SReclaimable"
                                 "|Shmem|SwapTotal|SwapFree)_bytes|node_load(1|5|15)|node_network_flags"
                                 "|node_hwmon_(temp_celsius|temp_crit_celsius|temp_max_celsius|chip_names"
                                 "|sensor_label)\"")
               + " or " + selector(options, "__name__=~\"node_filesystem_(size|avail)_bytes\",mountpoint=\"/\"");
    case FleetQuery::network:
        return rateOf(options, "node_network_receive_bytes_total") + " or "
               + rateOf(options, "node_network_transmit_bytes_total");
    }
    return {};
}

}  // namespace moravel
