#pragma once

#include "monitor/MetricTypes.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>

namespace moravel {

// One figure of a machine's row: its text in its level's colour.
struct MachineCell {
    QString text;
    QColor color;

    friend bool operator==(const MachineCell&, const MachineCell&) = default;
};

// The columns of the Machines tab, left to right after the name.
enum class MachineColumn : uint8_t { state, cpu, memory, disk, network, temperature };
inline constexpr size_t machineColumnCount = static_cast<size_t>(MachineColumn::temperature) + 1;

// What one row of the Machines tab shows and says.
struct MachineRow {
    QString instance;
    QString name;  // short
    std::array<MachineCell, machineColumnCount> cells;
    bool isChosen = false;
    QString spoken;  // the whole row, for a screen reader

    friend bool operator==(const MachineRow&, const MachineRow&) = default;
};

// The columns' titles, as the tab's header shows them.
QString machineColumnTitle(MachineColumn column);

// "up since 10:42", "down since 09:15", or "up" / "down" when not known.
QString machineStateText(const MachineReading& machine);

// The rows of a fleet, in its order (worst first).
QList<MachineRow> machineRows(const FleetReading& fleet);
MachineRow machineRow(const MachineReading& machine, bool isChosen);

}  // namespace moravel
