#pragma once

#include "monitor/MetricTypes.h"

#include <QList>
#include <QStringView>

#include <optional>

namespace moravel {

// Whether a temperature chip, by its name, measures the processor itself.
bool isCpuChip(QStringView chip);

struct CpuTemperature {
    double celsius = 0;
    std::optional<double> criticalCelsius;  // the sensor's critical figure, else its maximum

    friend bool operator==(const CpuTemperature&, const CpuTemperature&) = default;
};

// The processor's temperature among `sensors`, whoever read them (this
// computer's hwmon files or another machine's exporter): its package sensor
// (coretemp "Package id N"; k10temp and zenpower "Tdie", else "Tctl", which
// some models offset upwards), the hottest where there are several sockets;
// without one, the hottest sensor of a processor chip; else nothing.
std::optional<CpuTemperature> cpuTemperatureOf(const QList<TemperatureReading>& sensors);

}  // namespace moravel
