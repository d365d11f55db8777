#include "testsupport/FakeSource.h"

#include "monitor/PowerRules.h"

namespace moravel::fixtures {

void FakeSource::runPending()
{
    while (!pending_.empty()) {
        const std::function<void()> answer = std::move(pending_.front());
        pending_.erase(pending_.begin());
        answer();
    }
}

SnapshotUpdate FakeSource::powerUpdate()
{
    ++powerReads;
    if (!battery)
        return {};
    return [power = powerReadingOf(*battery)](SystemSnapshot& next) { next.power = power; };
}

void FakeSource::readEverySecond(bool withPower, ReadingDelivery deliver)
{
    ++secondReads;
    if (failure) {
        deliver(SourceReading::failed(*failure));
        return;
    }
    const SnapshotUpdate power = withPower ? powerUpdate() : SnapshotUpdate{};
    SourceReading reading{[second = everySecond, power](SystemSnapshot& next) {
        if (second)
            second(next);
        if (power)
            power(next);
    }};
    // Like the real sources: the first reading answered is a baseline for the rates.
    reading.isMeasured = answeredSecondReads_++ > 0;
    reading.pastHour = std::exchange(pastHour, std::nullopt);
    if (deferEverySecond)
        pending_.push_back([deliver, reading] { deliver(reading); });
    else
        deliver(reading);
}

void FakeSource::readPower(ReadingDelivery deliver)
{
    deliver({powerUpdate()});
}

void FakeSource::readDisk(ReadingDelivery deliver)
{
    pending_.push_back([this, deliver] {
        if (!disk) {
            deliver({});
            return;
        }
        deliver({[reading = *disk](SystemSnapshot& next) { next.disk = reading; }});
    });
}

void FakeSource::readProcesses(ReadingDelivery deliver)
{
    // Like the process table: shares are measured from the second reading on.
    const bool measured = processReads > 0;
    ++processReads;
    pending_.push_back([this, deliver, measured] {
        deliver({[rows = processes](SystemSnapshot& next) { next.topProcesses = rows; }, measured});
    });
}

std::unique_ptr<PowerSourceWatcher> FakeSource::watchPowerSources(std::function<void()> changed)
{
    notifyPowerChange = std::move(changed);
    return std::make_unique<PowerSourceWatcher>();
}

}  // namespace moravel::fixtures
