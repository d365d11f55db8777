#pragma once

#include "monitor/MetricTypes.h"

#include <QColor>
#include <QString>

#include <optional>

namespace moravel {

// What the collapsed island says about one snapshot: colours, texts and the
// power reading's help text. Pure functions, so the thresholds and wording
// can be checked without drawing anything.
namespace CollapsedReadings {

// "↓" and "↑" written directly before the compact speed.
QString downloadText(double bytesPerSecond);
QString uploadText(double bytesPerSecond);

// Below 1 % the machine has no battery reading: the power reading is a dash.
bool hasBatteryReading(const SystemSnapshot& snapshot);

// The compact power reading: "SYS" (on the adapter) or "BAT", the watts, and
// the battery group with its icon.
struct PowerReadingTexts {
    bool isOnAdapter = false;
    QString label;
    QString watts;
    QString batteryIcon;
    QString battery;

    friend bool operator==(const PowerReadingTexts&, const PowerReadingTexts&) = default;
};
PowerReadingTexts powerReadingTexts(const SystemSnapshot& snapshot);

// Hover help of the power reading; nothing while there is no battery reading.
std::optional<QString> powerToolTip(const SystemSnapshot& snapshot);

// On a whole fleet, the short name of the machine a reading is shown from
// (its worst); nothing for one machine, or a machine chosen from a fleet.
std::optional<QString> fleetMachineOf(MetricKind kind, const SystemSnapshot& snapshot);
// On a whole fleet with machines down, what the first reading says in their
// place: "web2 down", "3 down".
std::optional<QString> fleetDownText(const SystemSnapshot& snapshot);

// What a screen reader hears for a reading among the visible `kinds`: on a
// whole fleet its machine first, and in the first reading's place which
// machines are down, where any are, as drawn.
QString spokenReading(MetricKind kind, const QList<MetricKind>& kinds, const SystemSnapshot& snapshot);

}  // namespace CollapsedReadings

}  // namespace moravel
