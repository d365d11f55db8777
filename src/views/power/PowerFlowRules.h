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

// The power diagram: on battery, battery -> computer; on external power,
// adapter -> computer -> battery and system; without a battery, only
// power source -> computer.
struct PowerFlowDiagramContent {
    bool isExternalPower = false;
    bool hasBattery = true;
    PowerNodeContent source;  // the battery, or the adapter
    PowerNodeContent computer;
    std::array<PowerNodeContent, 2> destinations;  // external power with a battery only: battery, system

    // Whether the fork to the battery and the system is drawn.
    bool hasDestinations() const { return isExternalPower && hasBattery; }

    friend bool operator==(const PowerFlowDiagramContent&, const PowerFlowDiagramContent&) = default;
};

namespace PowerFlow {

bool isBatteryFull(const SystemSnapshot& snapshot);
// Watts the machine itself uses; nothing when the source reading is too weak.
// Without a battery that is the measured input, where there is one.
std::optional<double> systemDraw(const SystemSnapshot& snapshot);
// The section header's one-line sentence; "No battery", with the draw where
// known, on a computer without one.
QString powerStatus(const SystemSnapshot& snapshot);
QString batteryFlowValue(const SystemSnapshot& snapshot);
QString batteryFlowLabel(const SystemSnapshot& snapshot);
// "96 W max", or "Connected" for an adapter that reports no rating.
QString adapterValue(const SystemSnapshot& snapshot);
PowerFlowDiagramContent diagram(const SystemSnapshot& snapshot);
// The diagram as one sentence for a screen reader, with its figures:
// "Adapter 65 watts: 12 watts to the system, 53 watts to the battery".
QString spokenFlow(const SystemSnapshot& snapshot);

}  // namespace PowerFlow

}  // namespace moravel
