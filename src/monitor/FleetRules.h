#pragma once

#include "monitor/Levels.h"
#include "monitor/MetricTypes.h"

#include <QList>
#include <QString>

namespace moravel {

// How Moravel judges a fleet of machines, for the readings, the Machines tab
// and the alerts alike.

// A machine's name for people: its host without port or domain ("web3" of
// "web3.lan:9100"); an address stays whole ("10.0.0.5").
QString shortMachineName(const QString& instance);

// The machine of `fleet` with this instance label; nothing when it has none.
const MachineReading* machineNamed(const FleetReading& fleet, const QString& instance);

// The highest level among a machine's readings that have thresholds.
Level worstLevel(const MachineReading& machine);

// Worst first: the machines that are down (the longest down first), then by
// the highest level of their readings, then by their highest share of
// processor, memory or disk, then by name.
void sortWorstFirst(QList<MachineReading>& machines);

// The machine whose reading of `kind` is the fleet's worst (the highest; for
// the network the most traffic); nothing when no machine has that reading.
const MachineReading* worstMachine(const FleetReading& fleet, MetricKind kind);

// The machines that are down.
qsizetype downCount(const FleetReading& fleet);

// The snapshot a fleet reads as: the chosen machine's readings, or on the
// whole fleet each reading from its worst machine; `fleet` itself with them.
SystemSnapshot fleetSnapshot(FleetReading fleet);

// "12 machines, 1 down"; "3 machines, all up".
QString fleetSummary(const FleetReading& fleet);

}  // namespace moravel
