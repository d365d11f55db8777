#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/prometheus/FleetQueries.h"
#include "monitor/prometheus/QueryResponse.h"

#include <QDateTime>

#include <array>

namespace moravel {

// The server's answers of one refresh, one per query.
using FleetAnswers = std::array<QueryResult, fleetQueryCount>;

// The machines the answers describe, worst first: every node exporter
// machine the server still scrapes and has read within the last hour. Each
// machine's samples are read as its own exporter's page would be (the same
// memory, volume, interface and sensor rules as for one other machine); the
// rates are the server's. A machine that is down has no readings. How long
// one has been up is carried over from `previous` (the fleet a refresh
// earlier, if any), or starts at `now` when it came back.
QList<MachineReading> machinesOfAnswers(const FleetAnswers& answers, const FleetReading* previous,
                                        const QDateTime& now);

// One machine's last hour from the range answers to pastHourQueries, in
// their order: one sample per step at which the server has its processor
// share, read as an instant answer at that step would be.
MetricHistory pastHourOfAnswers(const std::array<QueryResult, pastHourQueries.size()>& answers);

}  // namespace moravel
