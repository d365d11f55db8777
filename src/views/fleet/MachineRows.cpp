#include "views/fleet/MachineRows.h"

#include "monitor/FleetRules.h"
#include "monitor/ReadingTable.h"
#include "views/collapsed/CollapsedReadings.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/ReadingColors.h"

#include <QLocale>
#include <QStringList>

namespace moravel {

namespace {

// The columns that show one reading of the table.
constexpr std::array<std::pair<MachineColumn, MetricKind>, 4> readingColumns{{
    {MachineColumn::cpu, MetricKind::cpu},
    {MachineColumn::memory, MetricKind::memory},
    {MachineColumn::disk, MetricKind::disk},
    {MachineColumn::temperature, MetricKind::temperature},
}};

MachineCell& cellOf(MachineRow& row, MachineColumn column)
{
    return row.cells[static_cast<size_t>(column)];
}

MachineCell networkCell(const SystemSnapshot& readings)
{
    if (!readings.network)
        return {QStringLiteral("—"), IslandPalette::secondary()};
    return {CollapsedReadings::downloadText(readings.network->downloadBytesPerSecond) + QLatin1Char(' ')
                + CollapsedReadings::uploadText(readings.network->uploadBytesPerSecond),
            readingColor(MetricKind::network, readings)};
}

}  // namespace

QString machineColumnTitle(MachineColumn column)
{
    switch (column) {
    case MachineColumn::state: return QStringLiteral("STATE");
    case MachineColumn::cpu: return QStringLiteral("CPU");
    case MachineColumn::memory: return QStringLiteral("MEM");
    case MachineColumn::disk: return QStringLiteral("DISK");
    case MachineColumn::network: return QStringLiteral("NET");
    case MachineColumn::temperature: return QStringLiteral("TEMP");
    }
    return {};
}

QString machineStateText(const MachineReading& machine)
{
    const QString state = machine.isUp ? QStringLiteral("up") : QStringLiteral("down");
    if (!machine.since)
        return state;
    return state + QStringLiteral(" since ")
           + QLocale::c().toString(machine.since->toLocalTime(), QStringLiteral("HH:mm"));
}

MachineRow machineRow(const MachineReading& machine, bool isChosen)
{
    MachineRow row;
    row.instance = machine.instance;
    row.name = shortMachineName(machine.instance);
    row.isChosen = isChosen;
    cellOf(row, MachineColumn::state) = {machineStateText(machine),
                                         machine.isUp ? IslandPalette::mint() : IslandPalette::red()};
    QStringList spoken{row.name, machineStateText(machine)};
    // A row is read as one line, so each figure is said after its reading's title.
    const auto said = [&](MetricKind kind) {
        return QLatin1String(ReadingTable::of(kind).title) + u' ' + ReadingTable::spoken(kind, machine.readings);
    };
    for (const auto& [column, kind] : readingColumns) {
        cellOf(row, column) = {ReadingTable::valueText(kind, machine.readings),
                               readingColor(kind, machine.readings)};
        if (machine.isUp)
            spoken.append(said(kind));
    }
    cellOf(row, MachineColumn::network) = networkCell(machine.readings);
    if (machine.isUp)
        spoken.append(said(MetricKind::network));
    if (isChosen)
        spoken.append(QStringLiteral("shown"));
    row.spoken = spoken.join(QStringLiteral(", "));
    return row;
}

QList<MachineRow> machineRows(const FleetReading& fleet)
{
    QList<MachineRow> rows;
    rows.reserve(fleet.machines.size());
    for (const MachineReading& machine : fleet.machines)
        rows.append(machineRow(machine, fleet.chosen == machine.instance));
    return rows;
}

}  // namespace moravel
