#pragma once

#include "monitor/MetricTypes.h"

#include <QColor>
#include <QList>
#include <QString>

namespace moravel {

// The expanded dashboard's one-line verdict, memory first, then processor,
// then disk; about `machine` where another machine is watched.
QString headerMessage(const SystemSnapshot& snapshot, const QString& machine = {});
// What the header says: the verdict, or that the machine watched cannot be
// reached (its readings are then its last ones).
QString headerStatus(const SystemSnapshot& snapshot, const QString& machine, bool reachable);

// One entry of the chart legend: a short coloured bar and its label.
struct LegendEntry {
    QString label;
    QColor color;

    friend bool operator==(const LegendEntry&, const LegendEntry&) = default;
};

// Names the series the chart draws for a tab, in the chart's colours.
QList<LegendEntry> chartLegend(MetricKind metric, const SystemSnapshot& snapshot);

}  // namespace moravel
