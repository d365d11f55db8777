#include "testsupport/Snapshots.h"

#include "monitor/FleetRules.h"

#include <QUuid>

#include <cmath>

namespace moravel::fixtures {

SystemSnapshot computerAtRest()
{
    SystemSnapshot snapshot;
    snapshot.cpu.emplace();
    snapshot.memory.emplace();
    snapshot.swap.emplace();
    snapshot.network.emplace();
    snapshot.disk.emplace();
    snapshot.diskActivity.emplace();
    snapshot.power.emplace();
    snapshot.temperatures.emplace();
    snapshot.fans.emplace();
    snapshot.voltages.emplace();
    snapshot.gpus.emplace();
    snapshot.topProcesses.emplace();
    return snapshot;
}

SystemSnapshot loads(double cpu, double memory, double disk)
{
    SystemSnapshot snapshot = computerAtRest();
    snapshot.cpu->percent = cpu;
    snapshot.memory->percent = memory;
    snapshot.disk->percent = disk;
    return snapshot;
}

SystemSnapshot onBattery(std::optional<int64_t> percent, double watts)
{
    SystemSnapshot snapshot = computerAtRest();
    snapshot.power->battery = BatteryReading{.percent = percent, .watts = watts};
    snapshot.power->displayPowerWatts = watts;
    return snapshot;
}

SystemSnapshot onAdapter(std::optional<int64_t> percent, double input, double intoBattery, bool charging)
{
    SystemSnapshot snapshot = onBattery(percent, intoBattery);
    snapshot.power->isExternalPowerConnected = true;
    snapshot.power->battery->isCharging = charging;
    snapshot.power->systemInputWatts = input;
    snapshot.power->displayPowerWatts = input;
    return snapshot;
}

SystemSnapshot withoutBattery(double input)
{
    SystemSnapshot snapshot = computerAtRest();
    snapshot.power->isExternalPowerConnected = true;
    snapshot.power->systemInputWatts = input;
    return snapshot;
}

SystemSnapshot busySnapshot()
{
    SystemSnapshot snapshot = onAdapter(55, 30, 18, true);
    snapshot.power->adapter = AdapterReading{.ratedWatts = 96};
    snapshot.cpu->percent = 72;
    snapshot.memory->percent = 81;
    snapshot.disk->percent = 55;
    snapshot.network = NetworkReading{1.2e6, 4e4};
    snapshot.memory->total = 16'000'000'000ULL;
    for (int i = 0; i < 12; ++i) {
        snapshot.topProcesses->append(ProcessMetric{100 + i, QStringLiteral("process-%1").arg(i), 5.0 * (i % 7),
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

FleetReading fleetOf(int count)
{
    FleetReading fleet;
    const QDateTime since = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    for (int i = 1; i <= count; ++i) {
        MachineReading machine{QStringLiteral("web%1.lan:9100").arg(i), QStringLiteral("node"), i % 7 != 0,
                               since.addSecs(-60 * i), {}};
        if (machine.isUp) {
            machine.readings = loads(std::fmod(i * 37.0, 100), std::fmod(i * 53.0, 100), std::fmod(i * 29.0, 100));
            // What a server does not tell of its machines.
            machine.readings.diskActivity.reset();
            machine.readings.power.reset();
            machine.readings.gpus.reset();
            machine.readings.topProcesses.reset();
            machine.readings.network = NetworkReading{i * 1500.0, i * 700.0};
            machine.readings.temperatures = QList<SensorReading>{
                {QStringLiteral("coretemp"), QStringLiteral("Package id 0"), 40.0 + i % 55, 100.0, std::nullopt}};
        }
        fleet.machines.append(machine);
    }
    sortWorstFirst(fleet.machines);
    return fleet;
}

}  // namespace moravel::fixtures
