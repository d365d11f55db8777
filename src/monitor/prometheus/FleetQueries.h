#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <string>

namespace moravel {

// What Moravel asks a Prometheus server on each refresh, every machine at
// once: a handful of queries, never one per machine.
enum class FleetQuery : uint8_t {
    // When each node exporter machine was last read, over the last hour.
    lastSeen,
    // Whether each target's last scrape worked.
    up,
    // Each machine's busy share, split as this computer's reader splits it.
    cpu,
    // Memory, swap, load, the volume at "/", network interface flags and
    // the processor's sensors, as the exporter publishes them.
    gauges,
    // Bytes per second each network interface receives and sends.
    network,
    // Fans and voltages with their limits, and the names of their chips and
    // sensors, as the exporter publishes them.
    fans,
    voltages,
};
inline constexpr size_t fleetQueryCount = static_cast<size_t>(FleetQuery::voltages) + 1;

// The queries a machine's last hour is read back with, step by step.
inline constexpr std::array<FleetQuery, 3> pastHourQueries{FleetQuery::cpu, FleetQuery::gauges, FleetQuery::network};

// Series whose own name an expression loses or hides (the network rates,
// and the figures asked only where others are missing) come under their
// family's name in this label.
inline constexpr char familyLabel[] = "moravel_family";

// How far back a machine that stopped answering still counts as one of the fleet.
inline constexpr int forgottenAfterSeconds = 3600;

struct FleetQueryOptions {
    // The rates' window: a few scrape intervals.
    double rateWindowSeconds = 240;
    // The step at which a machine's last reading is looked for.
    double scrapeIntervalSeconds = 60;
    // Only this machine (its instance label); every machine when empty.
    QString instance = {};
};

// The PromQL text of `query`.
std::string fleetQueryText(FleetQuery query, const FleetQueryOptions& options);

// A label value inside a PromQL string literal.
std::string promqlString(const QString& value);

}  // namespace moravel
