#include "monitor/linux/ProcessTable.h"

#include "support/PrintableExcerpt.h"

#include <algorithm>
#include <charconv>
#include <numeric>

namespace moravel {

namespace {

constexpr size_t rowsPerOrder = 6;

// Fields after the name, counted from 0 (the state letter is field 3 of the
// kernel's numbering, so field N is position N - 3).
constexpr int utimePosition = 14 - 3;
constexpr int stimePosition = 15 - 3;
constexpr int startTimePosition = 22 - 3;
constexpr int rssPosition = 24 - 3;

std::optional<uint64_t> wholeUnsigned(std::string_view field)
{
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<ProcessStat> parseProcessStat(std::string_view text)
{
    const size_t open = text.find('(');
    const size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;

    ProcessStat stat;
    stat.comm.assign(text.substr(open + 1, close - open - 1));
    std::optional<uint64_t> utime, stime, startTime, rss;
    // A plain loop: this runs for every process, and the searches for either
    // of two characters cost a call per character.
    const std::string_view rest = text.substr(close + 1);
    const auto separator = [](char c) { return c == ' ' || c == '\n'; };
    size_t at = 0;
    int position = 0;
    while (position <= rssPosition) {
        while (at < rest.size() && separator(rest[at]))
            ++at;
        if (at == rest.size())
            break;
        const size_t start = at;
        while (at < rest.size() && !separator(rest[at]))
            ++at;
        const std::string_view field = rest.substr(start, at - start);
        switch (position++) {
        case utimePosition: utime = wholeUnsigned(field); break;
        case stimePosition: stime = wholeUnsigned(field); break;
        case startTimePosition: startTime = wholeUnsigned(field); break;
        case rssPosition: rss = wholeUnsigned(field); break;
        default: break;
        }
    }
    if (!utime || !stime || !startTime || !rss || __builtin_add_overflow(*utime, *stime, &stat.cpuTicks))
        return std::nullopt;
    stat.startTime = *startTime;
    stat.residentPages = *rss;
    return stat;
}

std::optional<double> parseUptimeSeconds(std::string_view text)
{
    const size_t end = std::min(text.find_first_of(" \n"), text.size());
    double seconds = 0;
    // from_chars, not strtod: the application's locale may want a decimal comma.
    const auto [stop, error] = std::from_chars(text.data(), text.data() + end, seconds);
    if (error != std::errc() || stop != text.data() + end || !(seconds >= 0))
        return std::nullopt;
    return seconds;
}

QString processName(std::string_view comm, std::string_view cmdline, int32_t pid)
{
    const std::string_view program = cmdline.substr(0, cmdline.find('\0'));
    const size_t slash = program.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? program : program.substr(slash + 1);
    const std::string_view chosen = !base.empty() && base.starts_with(comm) ? base : comm;
    if (chosen.empty())
        return QString::number(pid);
    return printableExcerpt(QString::fromUtf8(chosen.data(), static_cast<qsizetype>(chosen.size())), longestShownName);
}

std::vector<size_t> topProcessPositions(const QList<ProcessMetric>& rows)
{
    std::vector<size_t> byCpu(static_cast<size_t>(rows.size()));
    std::iota(byCpu.begin(), byCpu.end(), size_t{0});
    std::vector<size_t> byMemory = byCpu;
    const auto at = [&](size_t i) -> const ProcessMetric& { return rows[static_cast<qsizetype>(i)]; };
    std::stable_sort(byCpu.begin(), byCpu.end(),
                     [&](size_t a, size_t b) { return at(a).cpuPercent > at(b).cpuPercent; });
    std::stable_sort(byMemory.begin(), byMemory.end(),
                     [&](size_t a, size_t b) { return at(a).memoryBytes > at(b).memoryBytes; });

    std::vector<size_t> chosen;
    const auto take = [&](const std::vector<size_t>& order) {
        for (size_t i = 0; i < std::min(order.size(), rowsPerOrder); ++i) {
            const int32_t id = at(order[i]).id;
            const bool listed = std::any_of(chosen.begin(), chosen.end(), [&](size_t c) { return at(c).id == id; });
            if (!listed)
                chosen.push_back(order[i]);
        }
    };
    take(byCpu);
    take(byMemory);
    return chosen;
}

QList<ProcessMetric> selectTopProcesses(const QList<ProcessMetric>& rows)
{
    QList<ProcessMetric> top;
    for (const size_t position : topProcessPositions(rows))
        top.append(rows[static_cast<qsizetype>(position)]);
    return top;
}

}  // namespace moravel
