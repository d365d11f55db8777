#include "monitor/linux/NetworkCounters.h"

#include "monitor/linux/TextFields.h"

#include <algorithm>
#include <charconv>

namespace moravel {

std::vector<InterfaceCounters> parseNetDev(std::string_view text)
{
    std::vector<InterfaceCounters> interfaces;
    forEachLine(text, [&](std::string_view line) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return true;  // the two header lines
        const std::string_view name = trimmed(line.substr(0, colon));
        const auto values = splitFields(line.substr(colon + 1));
        // bytes packets errs drop fifo frame compressed multicast | bytes ...
        if (name.empty() || values.size() < 9)
            return true;
        const auto received = parseUnsigned(values[0]);
        const auto sent = parseUnsigned(values[8]);
        if (received && sent)
            interfaces.push_back(InterfaceCounters{std::string(name), *received, *sent});
        return true;
    });
    return interfaces;
}

NetworkRates networkRatesBetween(const std::vector<InterfaceCounters>& previous,
                                 const std::vector<InterfaceCounters>& current, double seconds)
{
    double received = 0;
    double sent = 0;
    auto before = previous.begin();
    for (const InterfaceCounters& now : current) {
        while (before != previous.end() && before->name < now.name)
            ++before;
        if (before == previous.end())
            break;
        if (before->name != now.name)
            continue;
        if (now.received >= before->received)
            received += static_cast<double>(now.received - before->received);
        if (now.sent >= before->sent)
            sent += static_cast<double>(now.sent - before->sent);
    }
    return {received / seconds, sent / seconds};
}

std::optional<unsigned> parseInterfaceFlags(std::string_view text)
{
    text = trimmed(text);
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

NetworkCounters::NetworkCounters(const std::string& procRoot, const std::string& sysRoot)
    : classNet_(sysRoot + "/class/net/"), netDev_(procRoot + "/net/dev")
{
}

std::optional<InterfaceState> NetworkCounters::stateOf(const std::string& name)
{
    const std::string base = classNet_ + name;
    const auto text = readTextFile(base + "/flags", 64);
    const auto flags = text ? parseInterfaceFlags(*text) : std::nullopt;
    if (!flags)
        return std::nullopt;  // not marked seen: looked up afresh next time
    auto found = known_.find(name);
    if (found == known_.end())
        found = known_.emplace(name, Known{pathExists(base + "/device"), 0}).first;
    found->second.seenInReading = reading_;
    return InterfaceState{*flags, found->second.hasDevice};
}

std::optional<std::vector<InterfaceCounters>> NetworkCounters::read()
{
    const auto text = netDev_.read();
    auto listed = text ? parseNetDev(*text) : std::vector<InterfaceCounters>{};
    if (listed.empty())
        return std::nullopt;
    ++reading_;
    auto counted = countedInterfaces(std::move(listed), [this](const std::string& name) { return stateOf(name); });
    // Forget interfaces that went away.
    std::erase_if(known_, [this](const auto& entry) { return entry.second.seenInReading != reading_; });
    std::sort(counted.begin(), counted.end(),
              [](const InterfaceCounters& a, const InterfaceCounters& b) { return a.name < b.name; });
    return counted;
}

NetworkReader::NetworkReader(const std::string& procRoot, const std::string& sysRoot) : counters_(procRoot, sysRoot) {}

SnapshotUpdate NetworkReader::read(double monotonicSeconds)
{
    auto counted = counters_.read();
    if (!counted)
        return {};
    NetworkRates rates;
    isMeasured_ = previousTime_.has_value();
    if (previousTime_)
        rates = networkRatesBetween(previous_, *counted, std::max(monotonicSeconds - *previousTime_, 0.001));
    previous_ = std::move(*counted);
    previousTime_ = monotonicSeconds;
    // The first reading is only a baseline: no rate to show yet.
    if (!isMeasured_)
        return {};
    return [rates](SystemSnapshot& next) { next.network = NetworkReading{rates.download, rates.upload}; };
}

}  // namespace moravel
