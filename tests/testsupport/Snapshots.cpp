#include "testsupport/Snapshots.h"

#include <QUuid>

#include <cmath>

namespace moravel::fixtures {

SystemSnapshot loads(double cpu, double memory, double disk)
{
    SystemSnapshot snapshot;
    snapshot.cpuPercent = cpu;
    snapshot.memoryPercent = memory;
    snapshot.diskPercent = disk;
    return snapshot;
}

SystemSnapshot onBattery(int64_t percent, double watts)
{
    SystemSnapshot snapshot;
    snapshot.hasBattery = true;
    snapshot.batteryPercent = percent;
    snapshot.batteryPowerWatts = watts;
    snapshot.displayPowerWatts = watts;
    return snapshot;
}

SystemSnapshot onAdapter(int64_t percent, double input, double intoBattery, bool charging)
{
    SystemSnapshot snapshot = onBattery(percent, intoBattery);
    snapshot.isExternalPowerConnected = true;
    snapshot.isCharging = charging;
    snapshot.systemInputWatts = input;
    snapshot.displayPowerWatts = input;
    return snapshot;
}

SystemSnapshot withoutBattery(double input)
{
    SystemSnapshot snapshot;
    snapshot.isExternalPowerConnected = true;
    snapshot.systemInputWatts = input;
    return snapshot;
}

SystemSnapshot busySnapshot()
{
    SystemSnapshot snapshot = onAdapter(55, 30, 18, true);
    snapshot.adapterWatts = 96;
    snapshot.cpuPercent = 72;
    snapshot.memoryPercent = 81;
    snapshot.diskPercent = 55;
    snapshot.downloadBytesPerSecond = 1.2e6;
    snapshot.uploadBytesPerSecond = 4e4;
    snapshot.memoryTotal = 16'000'000'000ULL;
    for (int i = 0; i < 12; ++i) {
        snapshot.topProcesses.append(ProcessMetric{100 + i, QStringLiteral("process-%1").arg(i), 5.0 * (i % 7),
                                                   (static_cast<uint64_t>(i % 5) + 1) * 400'000'000ULL});
    }
    return snapshot;
}

MetricSample sampleAt(const QDateTime& time, double cpu, double memory)
{
    MetricSample sample;
    sample.id = QUuid::createUuid();
    sample.time = time;
    sample[Series::cpu] = cpu;
    sample[Series::memory] = memory;
    return sample;
}

MetricHistory busyHistory(const QDateTime& newest, int count)
{
    MetricHistory history;
    for (int i = 0; i < count; ++i) {
        MetricSample sample = sampleAt(newest.addSecs(i - count + 1), 30 + 20 * std::sin(i / 20.0),
                                       60 + 5 * std::cos(i / 30.0));
        sample[Series::download] = 1e5 * (1 + std::sin(i / 7.0));
        sample[Series::upload] = 3e4;
        sample[Series::systemPower] = 8 + 3 * std::sin(i / 9.0);
        sample[Series::batteryPower] = 12;
        sample.isCharging = true;
        history.append(sample);
    }
    return history;
}

}  // namespace moravel::fixtures
