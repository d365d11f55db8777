#include "monitor/DeviceRates.h"

#include <algorithm>

namespace moravel {

void orderByName(std::vector<DeviceCounters>& devices)
{
    const auto byName = [](const DeviceCounters& a, const DeviceCounters& b) { return a.name < b.name; };
    std::stable_sort(devices.begin(), devices.end(), byName);
    const auto sameName = [](const DeviceCounters& a, const DeviceCounters& b) { return a.name == b.name; };
    devices.erase(std::unique(devices.begin(), devices.end(), sameName), devices.end());
}

ByteRates ratesBetween(const std::vector<DeviceCounters>& previous, const std::vector<DeviceCounters>& current,
                       double seconds)
{
    double in = 0;
    double out = 0;
    auto before = previous.begin();
    for (const DeviceCounters& now : current) {
        before = std::find_if(before, previous.end(), [&](const DeviceCounters& d) { return d.name >= now.name; });
        if (before == previous.end())
            break;
        if (before->name != now.name)
            continue;
        if (now.in >= before->in)
            in += static_cast<double>(now.in - before->in);
        if (now.out >= before->out)
            out += static_cast<double>(now.out - before->out);
    }
    seconds = std::max(seconds, 0.001);
    return {in / seconds, out / seconds};
}

ByteRates RateMeter::next(std::vector<DeviceCounters>& current, double monotonicSeconds)
{
    isMeasured_ = previousTime_.has_value();
    const ByteRates rates = previousTime_ ? ratesBetween(previous_, current, monotonicSeconds - *previousTime_)
                                          : ByteRates{};
    std::swap(previous_, current);
    previousTime_ = monotonicSeconds;
    return rates;
}

}  // namespace moravel
