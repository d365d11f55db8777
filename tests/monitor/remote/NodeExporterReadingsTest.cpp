#include "monitor/remote/NodeExporterReadings.h"
#include "monitor/remote/NodeExporterSensors.h"
#include "support/PrintableExcerpt.h"
#include "testsupport/Files.h"

#include <gtest/gtest.h>

using namespace moravel;

namespace {

NodePage pageOf(std::string_view text)
{
    auto parsed = parseExposition(text);
    EXPECT_TRUE(std::holds_alternative<ExpositionPage>(parsed)) << text;
    return std::holds_alternative<ExpositionPage>(parsed) ? readNodePage(std::get<ExpositionPage>(parsed)) : NodePage{};
}

NodePage recordedPage(const char* name)
{
    const QByteArray text = fixtures::readFile(QStringLiteral(MORAVEL_REMOTE_PAGES "/") + name);
    return pageOf(std::string_view(text.constData(), static_cast<size_t>(text.size())));
}

// Counters of a small machine: two cores, three network devices, five disks.
std::string counters(int step)
{
    const auto cpu = [&](int core, double user, double idle) {
        const std::string prefix = "node_cpu_seconds_total{cpu=\"" + std::to_string(core) + "\",mode=\"";
        return prefix + "user\"} " + std::to_string(user * step) + "\n" + prefix + "idle\"} "
               + std::to_string(idle * step) + "\n" + prefix + "guest\"} " + std::to_string(99 * step) + "\n";
    };
    std::string page = cpu(0, 0.25, 0.75) + cpu(1, 1.0, 0.0);
    for (const char* device : {"lo", "eth0", "docker0"}) {
        const int bytes = std::string(device) == "lo" ? 1 << 20 : 1000;
        page += std::string("node_network_receive_bytes_total{device=\"") + device + "\"} "
                + std::to_string(bytes * step) + "\nnode_network_transmit_bytes_total{device=\"" + device + "\"} "
                + std::to_string(bytes * step / 2) + "\n";
    }
    page += "node_network_flags{device=\"lo\"} 9\nnode_network_flags{device=\"eth0\"} 4099\n"
            "node_network_flags{device=\"docker0\"} 4098\n";  // docker0 is down
    for (const char* disk : {"sda", "sda1", "nvme0n1", "nvme0n1p2", "dm-0"}) {
        page += std::string("node_disk_read_bytes_total{device=\"") + disk + "\"} " + std::to_string(512 * step)
                + "\nnode_disk_written_bytes_total{device=\"" + disk + "\"} " + std::to_string(1024 * step) + "\n";
    }
    return page;
}

}  // namespace

TEST(NodeExporterReadings, RatesFromTheCountersOfTwoPages)
{
    const NodePage first = pageOf(counters(1));
    const NodePage second = pageOf(counters(3));
    SystemSnapshot snapshot;
    snapshot.cpuPercent = 12;  // a first page measures nothing: the rates stay as they were
    applyNodePage(first, nullptr, 0, snapshot);
    EXPECT_DOUBLE_EQ(snapshot.cpuPercent, 12);
    EXPECT_EQ(snapshot.cpuCorePercents, (QList<double>{0, 0}));

    applyNodePage(second, &first, 2, snapshot);
    EXPECT_DOUBLE_EQ(snapshot.cpuPercent, 62.5);  // guest time is inside user already
    EXPECT_EQ(snapshot.cpuCorePercents, (QList<double>{25, 100}));
    EXPECT_DOUBLE_EQ(snapshot.downloadBytesPerSecond, 1000);  // eth0 only: lo is loopback, docker0 down
    EXPECT_DOUBLE_EQ(snapshot.uploadBytesPerSecond, 500);
    EXPECT_DOUBLE_EQ(snapshot.diskReadBytesPerSecond, 2 * 512);  // sda and nvme0n1, not their parts again
    EXPECT_DOUBLE_EQ(snapshot.diskWriteBytesPerSecond, 2 * 1024);

    // A machine restarted: counters back at their start give no burst.
    applyNodePage(first, &second, 1, snapshot);
    EXPECT_DOUBLE_EQ(snapshot.cpuPercent, 0);
    EXPECT_DOUBLE_EQ(snapshot.downloadBytesPerSecond, 0);
}

// What a page lacks is absent, never zero; a collector that ran and found
// nothing (no sensors, no battery) is an answer.
TEST(NodeExporterReadings, WhatThePageLacksIsAbsent)
{
    const ReadingSet everythingButLoad{ReadingGroup::cpu, ReadingGroup::memory, ReadingGroup::swap,
                                       ReadingGroup::network, ReadingGroup::disk, ReadingGroup::diskActivity,
                                       ReadingGroup::temperatures, ReadingGroup::gpus, ReadingGroup::power,
                                       ReadingGroup::adapter, ReadingGroup::processes};
    const struct {
        const char* name;
        NodePage page;
        ReadingSet absent;
    } rows[] = {
        {"laptop", recordedPage("laptop.prom"), {ReadingGroup::gpus, ReadingGroup::adapter, ReadingGroup::processes}},
        // No sensors could be read there (the hwmon collector failed); no battery was found.
        {"desktop", recordedPage("desktop.prom"),
         {ReadingGroup::temperatures, ReadingGroup::gpus, ReadingGroup::adapter, ReadingGroup::processes}},
        {"load only", pageOf("node_load1 1\nnode_load5 2\nnode_load15 3\n"), everythingButLoad},
        {"bad cpu counter", pageOf("node_cpu_seconds_total{cpu=\"0\",mode=\"idle\"} NaN\nnode_load1 1\n"),
         [&] {
             ReadingSet all = everythingButLoad;
             all.insert(ReadingGroup::load);
             return all;
         }()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SystemSnapshot snapshot;
        snapshot.topProcesses = {{1, QStringLiteral("stale"), 1, 1}};
        snapshot.memoryTotal = 77;
        applyNodePage(row.page, nullptr, 1, snapshot);
        EXPECT_EQ(snapshot.absentReadings, row.absent);
        EXPECT_TRUE(snapshot.topProcesses.isEmpty());
        if (row.absent.contains(ReadingGroup::memory)) {
            EXPECT_EQ(snapshot.memoryTotal, 0u);
        }
    }
    EXPECT_FALSE(pageOf("up 1\ngo_goroutines 7\n").hasReadings());
}

// The page's labels are another machine's words: shown with their control
// characters replaced, and cut short.
TEST(NodeExporterSensors, SensorNamesAreShownPrintableAndShort)
{
    const std::string text = "node_hwmon_temp_celsius{chip=\"c\",sensor=\"temp1\"} 40\n"
                             "node_hwmon_chip_names{chip=\"c\",chip_name=\"\x1b[2Jchip\"} 1\n"
                             "node_hwmon_sensor_label{chip=\"c\",sensor=\"temp1\",label=\""
                             + std::string(500, 'x') + "\"} 1\n";
    const auto page = parseExposition(text);
    ASSERT_TRUE(std::holds_alternative<ExpositionPage>(page));
    const auto sensors = nodeTemperatures(MetricFamilies(std::get<ExpositionPage>(page)));
    ASSERT_TRUE(sensors && sensors->size() == 1);
    EXPECT_EQ(sensors->at(0).chip, "?[2Jchip");
    EXPECT_EQ(sensors->at(0).label, QString(longestShownName, u'x') + "...");
}

// The startup volume "/" wherever the exporter lists it (a machine's /boot/efi
// may come first), and the computer's own battery, not a wireless mouse's.
TEST(NodeExporterReadings, TheRootVolumeAndTheComputersOwnBattery)
{
    const NodePage page = pageOf(
        "node_filesystem_size_bytes{device=\"/dev/sda1\",fstype=\"vfat\",mountpoint=\"/boot/efi\"} 5.36e+08\n"
        "node_filesystem_size_bytes{device=\"/dev/sda2\",fstype=\"ext4\",mountpoint=\"/\"} 1e+11\n"
        "node_filesystem_avail_bytes{device=\"/dev/sda1\",fstype=\"vfat\",mountpoint=\"/boot/efi\"} 5.3e+08\n"
        "node_filesystem_avail_bytes{device=\"/dev/sda2\",fstype=\"ext4\",mountpoint=\"/\"} 4e+10\n"
        "node_power_supply_info{power_supply=\"BAT0\",scope=\"System\",status=\"Discharging\",type=\"Battery\"} 1\n"
        "node_power_supply_info{power_supply=\"hidpp_battery_0\",scope=\"Device\",status=\"Discharging\","
        "type=\"Battery\"} 1\n"
        "node_power_supply_capacity{power_supply=\"BAT0\"} 80\n"
        "node_power_supply_capacity{power_supply=\"hidpp_battery_0\"} 5\n");
    ASSERT_TRUE(page.disk && page.power);
    EXPECT_EQ(page.disk->total, 100'000'000'000u);
    EXPECT_TRUE(page.power->hasBattery);
    EXPECT_EQ(page.power->currentCapacity, 80);
}
