#include "monitor/linux/ProcessReader.h"

#include "monitor/linux/ProcessTable.h"
#include "monitor/linux/TextFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace moravel {

namespace {

// Room for the longest stat line (a 64-byte kernel thread name and 52 numbers).
constexpr size_t statCapacity = 2048;
// Only the first argument matters; programs can have megabytes of arguments.
constexpr size_t cmdlineCapacity = 4096;

std::optional<int32_t> pidOfEntry(const char* name)
{
    const std::string_view text(name);
    int32_t pid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

enum class FileEnd { atEndOfFile, atLineEnd };

// Reads <pid>/<file> below the open <proc> directory into `buffer`. Nothing
// when the process is gone, which it may be by now. A one-line file may stop
// at its newline: that spares the read that would only report the end.
//
// This runs for every process, so it makes only the three calls it needs. It
// does not first check for a regular file as the other readers do: opened
// without waiting, a FIFO or device in a copied tree reads as empty or as
// garbage, and a directory fails to read.
std::optional<std::string_view> readProcessFile(int procFd, int32_t pid, const char* file, char* buffer,
                                                size_t capacity, FileEnd fileEnd)
{
    char path[32];  // callers pass short file names
    char* end = std::to_chars(path, path + 11, pid).ptr;
    *end++ = '/';
    const std::string_view name(file);
    end = std::copy(name.begin(), name.end(), end);
    *end = '\0';

    const int fd = ::openat(procFd, path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    size_t length = 0;
    bool failed = false;
    while (length < capacity) {
        const ssize_t count = ::read(fd, buffer + length, capacity - length);
        failed = count < 0;
        if (count <= 0)
            break;
        length += static_cast<size_t>(count);
        if (fileEnd == FileEnd::atLineEnd && buffer[length - 1] == '\n')
            break;
    }
    ::close(fd);
    if (failed)
        return std::nullopt;
    return std::string_view(buffer, length);
}

// Share of one core-second per second, in percent, since the previous reading
// of this very process; over its whole life when there is none.
double unboundedCpuPercentOf(int32_t pid, const ProcessStat& stat, const ProcessHistory& previous, double uptime,
                             const ProcessClock& clock)
{
    const double elapsed = uptime - previous.takenAtSeconds;
    if (previous.isValid && elapsed > 0) {
        const ProcessHistory::Entry* before = previous.find(pid);
        if (before && before->startTime == stat.startTime) {
            if (stat.cpuTicks < before->cpuTicks)
                return 0;  // a counter that went back: this reading becomes the baseline
            const double ticks = static_cast<double>(stat.cpuTicks - before->cpuTicks);
            return ticks / clock.ticksPerSecond / elapsed * 100.0;
        }
    }
    const double life = uptime - static_cast<double>(stat.startTime) / clock.ticksPerSecond;
    if (!(life > 0))
        return 0;
    return static_cast<double>(stat.cpuTicks) / clock.ticksPerSecond / life * 100.0;
}

double cpuPercentOf(int32_t pid, const ProcessStat& stat, const ProcessHistory& previous, double uptime,
                    const ProcessClock& clock)
{
    // A counter that jumped cannot make one process busier than every core.
    const double percent = unboundedCpuPercentOf(pid, stat, previous, uptime, clock);
    return std::isfinite(percent) ? std::clamp(percent, 0.0, clock.processors * 100.0) : 0.0;
}

// Every process but our own, nameless for now; shortNames[i] is rows[i]'s comm.
struct TableScan {
    QList<ProcessMetric> rows;
    std::vector<std::string> shortNames;
};

// One pass over the open <proc>: a row per process and its entry in `history`
// (whose takenAtSeconds is the uptime of this reading).
TableScan scanTable(DIR* dir, const ProcessHistory& previous, int32_t ownPid, const ProcessClock& clock,
                    ProcessHistory& history)
{
    const size_t expected = previous.entries.size() + 64;
    history.entries.reserve(expected);
    TableScan scan;
    scan.rows.reserve(static_cast<qsizetype>(expected));
    scan.shortNames.reserve(expected);

    char buffer[statCapacity];
    while (const dirent* entry = ::readdir(dir)) {
        const auto pid = pidOfEntry(entry->d_name);
        if (!pid)
            continue;
        const auto text = readProcessFile(::dirfd(dir), *pid, "stat", buffer, sizeof buffer, FileEnd::atLineEnd);
        auto stat = text ? parseProcessStat(*text) : std::nullopt;
        if (!stat)
            continue;  // gone since the directory was listed
        history.entries.push_back({*pid, stat->startTime, stat->cpuTicks});
        if (*pid == ownPid)
            continue;
        // No process holds 2^64 bytes: a resident size that wraps is a garbled line, left out.
        uint64_t memoryBytes = 0;
        if (__builtin_mul_overflow(stat->residentPages, clock.pageSize, &memoryBytes))
            continue;
        const double cpu = cpuPercentOf(*pid, *stat, previous, history.takenAtSeconds, clock);
        scan.rows.append(ProcessMetric{*pid, QString(), cpu, memoryBytes});
        scan.shortNames.push_back(std::move(stat->comm));
    }
    // The kernel lists processes by pid; a copied tree may not.
    const auto byPid = [](const ProcessHistory::Entry& a, const ProcessHistory::Entry& b) { return a.pid < b.pid; };
    if (!std::is_sorted(history.entries.begin(), history.entries.end(), byPid))
        std::sort(history.entries.begin(), history.entries.end(), byPid);
    return scan;
}

}  // namespace

const ProcessHistory::Entry* ProcessHistory::find(int32_t pid) const
{
    const auto found = std::lower_bound(entries.begin(), entries.end(), pid,
                                        [](const Entry& entry, int32_t wanted) { return entry.pid < wanted; });
    return found != entries.end() && found->pid == pid ? &*found : nullptr;
}

ProcessClock ProcessClock::ofThisMachine()
{
    ProcessClock clock;
    if (const long ticks = ::sysconf(_SC_CLK_TCK); ticks > 0)
        clock.ticksPerSecond = static_cast<double>(ticks);
    if (const long page = ::sysconf(_SC_PAGESIZE); page > 0)
        clock.pageSize = static_cast<uint64_t>(page);
    if (const long processors = ::sysconf(_SC_NPROCESSORS_ONLN); processors > 0)
        clock.processors = static_cast<double>(processors);
    return clock;
}

ProcessReading readProcessTable(const std::string& procRoot, ProcessHistory previous, int32_t ownPid,
                                const ProcessClock& clock)
{
    const auto uptimeText = readTextFile(procRoot + "/uptime", 256);
    const auto uptime = uptimeText ? parseUptimeSeconds(*uptimeText) : std::nullopt;
    DIR* dir = uptime ? ::opendir(procRoot.c_str()) : nullptr;
    if (!dir)
        return ProcessReading{{}, std::move(previous)};

    ProcessReading reading;
    reading.history.isValid = true;
    reading.history.takenAtSeconds = *uptime;
    const TableScan scan = scanTable(dir, previous, ownPid, clock, reading.history);

    // Names are read only for the rows shown: one file per process fewer.
    char cmdline[cmdlineCapacity];
    for (const size_t position : topProcessPositions(scan.rows)) {
        ProcessMetric row = scan.rows[static_cast<qsizetype>(position)];
        const auto arguments =
            readProcessFile(::dirfd(dir), row.id, "cmdline", cmdline, sizeof cmdline, FileEnd::atEndOfFile);
        row.name = processName(scan.shortNames[position], arguments.value_or(std::string_view()), row.id);
        reading.top.append(std::move(row));
    }
    ::closedir(dir);
    return reading;
}

}  // namespace moravel
