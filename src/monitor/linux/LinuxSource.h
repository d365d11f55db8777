#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/CpuReader.h"
#include "monitor/linux/DeviceSensors.h"
#include "monitor/linux/DiskIoReader.h"
#include "monitor/linux/LoadAverageReader.h"
#include "monitor/linux/MemoryReader.h"
#include "monitor/linux/NetworkCounters.h"
#include "monitor/linux/ProcessReader.h"
#include "monitor/linux/ReaderRoots.h"

#include <QObject>

#include <memory>
#include <string>

namespace moravel {

class BackgroundRunner;
class Scheduler;

// The readings of this Linux machine, from the kernel's files below the given
// roots, with udev for power-source changes. The per-second and power readings
// are taken at once on the main thread; the disk and the process table are
// read in the background and answer later. The temperature sensors and GPUs
// are read in the background too, each second's result joining the next
// second's reading.
class LinuxSource final : public QObject, public TelemetrySource {
    Q_OBJECT

public:
    LinuxSource(const ReaderRoots& roots, Scheduler& scheduler, BackgroundRunner& background,
                QObject* parent = nullptr);

    SystemSnapshot initialSnapshot() override;
    void readEverySecond(bool withPower, ReadingDelivery deliver) override;
    void readPower(ReadingDelivery deliver) override;
    void readDisk(ReadingDelivery deliver) override;
    void readProcesses(ReadingDelivery deliver) override;
    std::unique_ptr<PowerSourceWatcher> watchPowerSources(std::function<void()> changed) override;

private:
    SnapshotUpdate readPowerSupplies() const;
    void readDeviceSensorsInBackground();

    std::string procRoot_;
    std::string sysRoot_;
    Scheduler& scheduler_;
    BackgroundRunner& background_;
    CpuReader cpu_;
    MemoryReader memory_;
    NetworkReader network_;
    LoadAverageReader load_;
    DiskIoReader diskIo_;
    // Used by one background reading at a time; its latest result waits in
    // deviceReading_ for the next per-second reading.
    std::shared_ptr<DeviceSensors> devices_;
    bool devicesInFlight_ = false;
    SnapshotUpdate deviceReading_;
    // What the last process reading left for the next; travels with the one
    // reading in flight.
    ProcessHistory processHistory_;
};

}  // namespace moravel
