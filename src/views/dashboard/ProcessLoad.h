#pragma once

#include "monitor/MetricTypes.h"

#include <QColor>
#include <QList>
#include <QString>

#include <cstdint>

namespace moravel {

// How a process card ranks its rows, and with it the card's wording, tint
// and warning colours.
enum class ProcessLoadKind { cpu, memory };

// The row's warning colour; the calm colour is the card's tint.
QColor processColor(ProcessLoadKind kind, const ProcessMetric& process, uint64_t memoryTotal);
// How full the row's bar is, 0 to 1.
double loadFraction(ProcessLoadKind kind, const ProcessMetric& process, uint64_t memoryTotal);
// The row's reading: "12.3%" for the processor, a byte count for memory.
QString processReading(ProcessLoadKind kind, const ProcessMetric& process);
// The same as a screen reader says it: "48 percent CPU", "1.2 gigabytes".
QString spokenProcessReading(ProcessLoadKind kind, const ProcessMetric& process);

QString processCardIcon(ProcessLoadKind kind);
QString processCardTitle(ProcessLoadKind kind);
QColor processCardTint(ProcessLoadKind kind);

// The three heaviest processes by the card's ranking, highest first; equal
// loads keep their order in the snapshot.
QList<ProcessMetric> topProcesses(const QList<ProcessMetric>& processes, ProcessLoadKind kind);

}  // namespace moravel
