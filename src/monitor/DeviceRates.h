#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace moravel {

// One device's cumulative byte counters: a network interface's received and
// sent bytes, a disk's read and written ones.
struct DeviceCounters {
    std::string name;
    uint64_t in = 0;
    uint64_t out = 0;

    friend bool operator==(const DeviceCounters&, const DeviceCounters&) = default;
};

// Bytes per second each way.
struct ByteRates {
    double in = 0;
    double out = 0;

    friend bool operator==(const ByteRates&, const ByteRates&) = default;
};

// Sorts `devices` by name for ratesBetween, keeping the first of any name
// listed twice (a garbled listing).
void orderByName(std::vector<DeviceCounters>& devices);

// Throughput between two readings of the same devices, both sorted by name,
// taken `seconds` apart (a millisecond at least). Only devices present in both
// add to it, so a device that joins or leaves (a radio switched off, a cable
// pulled, a disk plugged in, a link back up with counters that grew meanwhile)
// is no burst; a counter that went backwards gives 0 for that device alone.
ByteRates ratesBetween(const std::vector<DeviceCounters>& previous, const std::vector<DeviceCounters>& current,
                       double seconds);

// The rates of successive readings of a set of devices, each against the one before.
class RateMeter {
public:
    // The rates since the previous reading; 0 for a first reading, which is a
    // baseline. `current` is kept for the next reading, and hands back the
    // previous one's storage to be filled again without allocating.
    ByteRates next(std::vector<DeviceCounters>& current, double monotonicSeconds);
    // False only for a first reading, which is a baseline.
    bool isMeasured() const { return isMeasured_; }

private:
    std::vector<DeviceCounters> previous_;
    std::optional<double> previousTime_;
    bool isMeasured_ = true;
};

}  // namespace moravel
