#pragma once

#include "monitor/MetricTypes.h"

#include <QColor>
#include <QString>

#include <array>
#include <optional>

namespace moravel {

// What one node of the power diagram shows.
struct PowerNodeContent {
    QString icon;
    QString value;
    QString label;
    QColor color;

    friend bool operator==(const PowerNodeContent&, const PowerNodeContent&) = default;
};

// The power diagram: on battery, battery -> Mac; on external power,
// adapter -> Mac -> battery and system.
struct PowerFlowDiagramContent {
    bool isExternalPower = false;
    PowerNodeContent source;  // the battery, or the adapter
    PowerNodeContent mac;
    std::array<PowerNodeContent, 2> destinations;  // external power only: battery, system

    friend bool operator==(const PowerFlowDiagramContent&, const PowerFlowDiagramContent&) = default;
};

namespace PowerFlow {

bool isBatteryFull(const SystemSnapshot& snapshot);
// Watts the machine itself uses; nothing when the source reading is too weak.
std::optional<double> systemDraw(const SystemSnapshot& snapshot);
// The section header's one-line sentence.
QString powerStatus(const SystemSnapshot& snapshot);
QString batteryFlowValue(const SystemSnapshot& snapshot);
QString batteryFlowLabel(const SystemSnapshot& snapshot);
// "96 W max", or "Connected" for an adapter that reports no rating.
QString adapterValue(const SystemSnapshot& snapshot);
PowerFlowDiagramContent diagram(const SystemSnapshot& snapshot);

}  // namespace PowerFlow

}  // namespace moravel
