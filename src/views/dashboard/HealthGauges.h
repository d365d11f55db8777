#pragma once

#include "monitor/MetricTypes.h"

#include <QColor>
#include <QString>

#include <array>

namespace moravel {

// One gauge of the health rail.
struct HealthMetric {
    QString icon;
    QString label;
    QString value;
    QColor accent;
    QString detail;  // a second, smaller line under the value
    QString name;    // the reading's title, as a screen reader names the gauge
    QString spoken;  // its value and detail, as a screen reader says them

    friend bool operator==(const HealthMetric&, const HealthMetric&) = default;
};

// The rail's four gauges, left to right, as the reading table lists them:
// processor, memory, network, disk.
std::array<HealthMetric, 4> healthMetrics(const SystemSnapshot& snapshot);

}  // namespace moravel
