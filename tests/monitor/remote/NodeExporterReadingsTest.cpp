#include "monitor/remote/NodeExporterInterfaces.h"
#include "monitor/remote/NodeExporterReadings.h"
#include "monitor/remote/MetricFamilies.h"
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
    // A first page measures nothing yet: no load and no rates, not zeros.
    SystemSnapshot snapshot = snapshotOfNodePage(first, nullptr, 0);
    EXPECT_FALSE(snapshot.cpu || snapshot.network || snapshot.diskActivity);

    snapshot = snapshotOfNodePage(second, &first, 2);
    EXPECT_DOUBLE_EQ(snapshot.cpu->percent, 62.5);  // guest time is inside user already
    EXPECT_EQ(snapshot.cpu->corePercents, (QList<double>{25, 100}));
    EXPECT_DOUBLE_EQ(snapshot.network->downloadBytesPerSecond, 1000);  // eth0 only: lo is loopback, docker0 down
    EXPECT_DOUBLE_EQ(snapshot.network->uploadBytesPerSecond, 500);
    EXPECT_DOUBLE_EQ(snapshot.diskActivity->readBytesPerSecond, 2 * 512);  // sda and nvme0n1, not their parts again
    EXPECT_DOUBLE_EQ(snapshot.diskActivity->writeBytesPerSecond, 2 * 1024);

    // Counters the previous page lacked are a baseline as well.
    const NodePage withoutCounters = pageOf("node_load1 1\n");
    snapshot = snapshotOfNodePage(second, &withoutCounters, 2);
    EXPECT_FALSE(snapshot.cpu || snapshot.network || snapshot.diskActivity);

    // A machine restarted: counters back at their start give no burst.
    snapshot = snapshotOfNodePage(first, &second, 1);
    EXPECT_DOUBLE_EQ(snapshot.cpu->percent, 0);
    EXPECT_DOUBLE_EQ(snapshot.network->downloadBytesPerSecond, 0);
}

// What the netclass collector tells of an interface marks it virtual or not,
// as the device link of /sys/class/net does on this computer.
TEST(NodeExporterInterfaces, VirtualByTheMarksSoftwareLeaves)
{
    // Flags, its number, the one it rides on, name and address assignment, link-layer kind.
    const NetclassFigures wired{4099, 2, 2, 4, 0, 1};  // named by the kernel, renamed by udev
    const auto with = [&](std::optional<double> NetclassFigures::*figure, double value) {
        NetclassFigures changed = wired;
        changed.*figure = value;
        return changed;
    };
    const struct {
        const char* name;
        NetclassFigures figures;
        bool backedByDevice;
    } rows[] = {
        {"wired", wired, true},
        {"Wi-Fi whose address the network manager set", with(&NetclassFigures::addressAssignType, 3), true},
        {"named by the kernel and left so", with(&NetclassFigures::nameAssignType, 1), true},
        {"only its flags published", {4099, {}, {}, {}, {}, {}}, true},
        {"veth, paired with another", with(&NetclassFigures::link, 7), false},
        {"a bridge named by whoever created it", with(&NetclassFigures::nameAssignType, 3), false},
        {"an address its driver made up", with(&NetclassFigures::addressAssignType, 1), false},
        {"an address taken from another interface", with(&NetclassFigures::addressAssignType, 2), false},
        {"no link-layer header (tun)", with(&NetclassFigures::protocolType, 65534), false},
        {"the loopback", with(&NetclassFigures::protocolType, 772), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(isBackedByDevice(row.figures), row.backedByDevice) << row.name;
}

// Another machine's traffic is counted as this computer counts its own: over
// the interfaces backed by a device, else over every up one; a veth pair and
// a bridge carry the same bytes again.
TEST(NodeExporterReadings, InterfacesFollowThisComputersRule)
{
    const auto page = [](int step, bool withWired) {
        std::string text;
        const auto interface = [&](const std::string& name, std::vector<int> netclass) {
            text += "node_network_receive_bytes_total{device=\"" + name + "\"} " + std::to_string(1000 * step)
                    + "\nnode_network_transmit_bytes_total{device=\"" + name + "\"} " + std::to_string(100 * step)
                    + "\n";
            const char* metrics[] = {"flags", "iface_id", "iface_link", "name_assign_type", "address_assign_type",
                                     "protocol_type"};
            for (size_t i = 0; i < netclass.size(); ++i)
                text += std::string("node_network_") + metrics[i] + "{device=\"" + name + "\"} "
                        + std::to_string(netclass[i]) + "\n";
        };
        interface("lo", {9, 1, 1, 2, 0, 772});
        if (withWired)
            interface("eth0", {4099, 2, 2, 4, 0, 1});
        interface("veth1a2b", {4099, 5, 4, 3, 1, 1});
        interface("docker0", {4099, 3, 3, 3, 3, 1});
        interface("ghost0", {});  // nothing published of it: up, without a device
        return pageOf(text);
    };
    for (const auto& [withWired, download] : {std::pair{true, 1000.0}, {false, 3 * 1000.0}}) {
        SCOPED_TRACE(withWired ? "eth0 counts alone" : "no device: every up interface but loopback counts");
        const NodePage first = page(1, withWired);
        const SystemSnapshot snapshot = snapshotOfNodePage(page(2, withWired), &first, 1);
        EXPECT_DOUBLE_EQ(snapshot.network->downloadBytesPerSecond, download);
        EXPECT_DOUBLE_EQ(snapshot.network->uploadBytesPerSecond, download / 10);
    }
}

// What a page lacks is absent, never zero; a collector that ran and found
// nothing (no sensors, no battery) is an answer. The exporter lists no
// processes and no GPU load.
TEST(NodeExporterReadings, WhatThePageLacksIsAbsent)
{
    for (const char* name : {"laptop.prom", "desktop.prom"}) {
        SCOPED_TRACE(name);
        const NodePage page = recordedPage(name);
        const SystemSnapshot snapshot = snapshotOfNodePage(page, &page, 1);
        EXPECT_TRUE(snapshot.cpu && snapshot.memory && snapshot.swap && snapshot.network && snapshot.disk
                    && snapshot.diskActivity && snapshot.loadAverage && snapshot.power);
        EXPECT_FALSE(snapshot.gpus || snapshot.topProcesses || snapshot.power->adapter);
        // No sensors could be read on the desktop (the hwmon collector failed); no battery was found.
        EXPECT_EQ(snapshot.temperatures.has_value(), name == std::string_view("laptop.prom"));
        EXPECT_EQ(snapshot.power->battery.has_value(), name == std::string_view("laptop.prom"));
    }
    SystemSnapshot loadOnly;
    loadOnly.loadAverage = std::array<double, 3>{1, 2, 3};
    EXPECT_EQ(snapshotOfNodePage(pageOf("node_load1 1\nnode_load5 2\nnode_load15 3\n"), nullptr, 1), loadOnly);
    for (const char* nothing : {"node_cpu_seconds_total{cpu=\"0\",mode=\"idle\"} NaN\nnode_load1 1\n",
                                "up 1\ngo_goroutines 7\n"})
        EXPECT_EQ(snapshotOfNodePage(pageOf(nothing), nullptr, 1), SystemSnapshot{}) << nothing;
}

// A kernel without MemAvailable: what is available is estimated from the
// free memory and caches by this computer's rule, each field to its own.
TEST(NodeExporterReadings, MemoryWithoutAvailableIsEstimatedFromTheCaches)
{
    const NodePage page = pageOf("node_memory_MemTotal_bytes 1e+06\nnode_memory_MemFree_bytes 100000\n"
                                 "node_memory_Buffers_bytes 20000\nnode_memory_Cached_bytes 300000\n"
                                 "node_memory_SReclaimable_bytes 40000\nnode_memory_Shmem_bytes 70000\n");
    ASSERT_TRUE(page.gauges.memory);
    EXPECT_EQ(page.gauges.memory->total, 1'000'000u);
    EXPECT_EQ(page.gauges.memory->used, 1'000'000u - (100'000 + 20'000 + 300'000 + 40'000 - 70'000));
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
    const auto sensors = nodeSensors(MetricFamilies(std::get<ExpositionPage>(page)), SensorKind::temperature);
    ASSERT_TRUE(sensors && sensors->size() == 1);
    EXPECT_EQ(sensors->at(0).chip, "?[2Jchip");
    EXPECT_EQ(sensors->at(0).label, QString(longestShownName, u'x') + "...");
}

// The startup volume "/" wherever the exporter lists it, read as df reads it (a machine's /boot/efi
// may come first), and the computer's own battery, not a wireless mouse's.
TEST(NodeExporterReadings, TheRootVolumeAndTheComputersOwnBattery)
{
    const NodePage page = pageOf(
        "node_filesystem_size_bytes{device=\"/dev/sda1\",fstype=\"vfat\",mountpoint=\"/boot/efi\"} 5.36e+08\n"
        "node_filesystem_size_bytes{device=\"/dev/sda2\",fstype=\"ext4\",mountpoint=\"/\"} 1e+11\n"
        "node_filesystem_avail_bytes{device=\"/dev/sda1\",fstype=\"vfat\",mountpoint=\"/boot/efi\"} 5.3e+08\n"
        "node_filesystem_avail_bytes{device=\"/dev/sda2\",fstype=\"ext4\",mountpoint=\"/\"} 4e+10\n"
        "node_filesystem_free_bytes{device=\"/dev/sda1\",fstype=\"vfat\",mountpoint=\"/boot/efi\"} 5.3e+08\n"
        "node_filesystem_free_bytes{device=\"/dev/sda2\",fstype=\"ext4\",mountpoint=\"/\"} 4.5e+10\n"
        "node_power_supply_info{power_supply=\"BAT0\",scope=\"System\",status=\"Discharging\",type=\"Battery\"} 1\n"
        "node_power_supply_info{power_supply=\"hidpp_battery_0\",scope=\"Device\",status=\"Discharging\","
        "type=\"Battery\"} 1\n"
        "node_power_supply_capacity{power_supply=\"BAT0\"} 80\n"
        "node_power_supply_capacity{power_supply=\"hidpp_battery_0\"} 5\n");
    const SystemSnapshot& gauges = page.gauges;
    ASSERT_TRUE(gauges.disk && batteryOf(gauges));
    // As df tells it: 5 GB of the free space is kept for root.
    EXPECT_EQ(gauges.disk, (DiskReading{55.0 / 95 * 100, 55'000'000'000, 100'000'000'000, 40'000'000'000}));
    EXPECT_EQ(batteryOf(gauges)->percent, 80);

    // A battery whose level no figure tells (no capacity, nothing full): no
    // level at all, as on this computer, never 0 %.
    const NodePage unknown = pageOf(
        "node_power_supply_info{power_supply=\"BAT0\",scope=\"System\",status=\"Discharging\",type=\"Battery\"} 1\n"
        "node_power_supply_energy_watthour{power_supply=\"BAT0\"} 0\n"
        "node_power_supply_energy_full{power_supply=\"BAT0\"} 0\n");
    ASSERT_TRUE(batteryOf(unknown.gauges));
    EXPECT_EQ(batteryOf(unknown.gauges)->percent, std::nullopt);
}

// Each kind of channel from its own families, named as the exporter names
// them, with the chip's name, the sensor's label and its limits.
TEST(NodeExporterSensors, EveryKindOfChannelFromItsFamilies)
{
    const auto parsed = parseExposition(
        "node_hwmon_chip_names{chip=\"platform_nct6775_656\",chip_name=\"nct6798\"} 1\n"
        "node_hwmon_sensor_label{chip=\"platform_nct6775_656\",label=\"CPU Fan\",sensor=\"fan1\"} 1\n"
        "node_hwmon_fan_rpm{chip=\"platform_nct6775_656\",sensor=\"fan1\"} 1250\n"
        "node_hwmon_fan_min_rpm{chip=\"platform_nct6775_656\",sensor=\"fan1\"} 300\n"
        "node_hwmon_fan_rpm{chip=\"platform_nct6775_656\",sensor=\"fan2\"} 0\n"
        "node_hwmon_in_volts{chip=\"platform_nct6775_656\",sensor=\"in0\"} 1.02\n"
        "node_hwmon_in_max_volts{chip=\"platform_nct6775_656\",sensor=\"in0\"} 1.5\n"
        "node_hwmon_power_average_watt{chip=\"amdgpu\",sensor=\"power1\"} 25\n"
        "node_hwmon_power_watt{chip=\"amdgpu\",sensor=\"power1\"} 40\n"
        "node_hwmon_curr_amps{chip=\"amdgpu\",sensor=\"curr1\"} NaN\n"
        "node_scrape_collector_success{collector=\"hwmon\"} 1\n");
    const MetricFamilies families(std::get<ExpositionPage>(parsed));
    EXPECT_EQ(nodeSensors(families, SensorKind::fan),
              (QList<SensorReading>{{"nct6798", "CPU Fan", 1250, {}, {}, 300}, {"nct6798", "fan2", 0}}));
    EXPECT_EQ(nodeSensors(families, SensorKind::voltage),
              (QList<SensorReading>{{"nct6798", "in0", 1.02, {}, 1.5}}));
    EXPECT_EQ(nodeSensors(families, SensorKind::power), (QList<SensorReading>{{"amdgpu", "power1", 25}}));
    // The collector ran: no temperature, and no sound current, is an answer.
    EXPECT_EQ(nodeSensors(families, SensorKind::temperature), QList<SensorReading>());
    EXPECT_EQ(nodeSensors(families, SensorKind::current), QList<SensorReading>());
    const ExpositionPage loadOnly = std::get<ExpositionPage>(parseExposition("node_load1 1\n"));
    const MetricFamilies without(loadOnly);
    EXPECT_EQ(nodeSensors(without, SensorKind::fan), std::nullopt);
}

// Chips with sensors of the same names, listed in no order: each sensor
// keeps its own chip's name, label and limits, and chips of one name are
// numbered as this computer's are.
TEST(NodeExporterSensors, SensorsOfSeveralChipsKeepTheirOwnNamesLabelsAndLimits)
{
    const auto parsed = parseExposition(
        "node_hwmon_chip_names{chip=\"pci0000:00_0000:00:18_3\",chip_name=\"k10temp\"} 1\n"
        "node_hwmon_chip_names{chip=\"nvme_nvme0\",chip_name=\"nvme\"} 1\n"
        "node_hwmon_chip_names{chip=\"nvme_nvme10\",chip_name=\"nvme\"} 1\n"
        "node_hwmon_chip_names{chip=\"nvme_nvme2\",chip_name=\"nvme\"} 1\n"
        "node_hwmon_temp_celsius{chip=\"nvme_nvme10\",sensor=\"temp1\"} 42\n"
        "node_hwmon_temp_celsius{chip=\"nvme_nvme2\",sensor=\"temp1\"} 41\n"
        "node_hwmon_sensor_label{chip=\"nvme_nvme0\",label=\"Composite\",sensor=\"temp1\"} 1\n"
        "node_hwmon_sensor_label{chip=\"pci0000:00_0000:00:18_3\",label=\"Tctl\",sensor=\"temp1\"} 1\n"
        "node_hwmon_temp_celsius{chip=\"pci0000:00_0000:00:18_3\",sensor=\"temp1\"} 60\n"
        "node_hwmon_temp_celsius{chip=\"nvme_nvme0\",sensor=\"temp1\"} 40\n"
        "node_hwmon_temp_celsius{chip=\"pci0000:00_0000:00:18_3\",sensor=\"temp2\"} 55\n"
        "node_hwmon_temp_crit_celsius{chip=\"nvme_nvme0\",sensor=\"temp1\"} 85\n"
        "node_hwmon_temp_max_celsius{chip=\"pci0000:00_0000:00:18_3\",sensor=\"temp1\"} 95\n");
    const MetricFamilies families(std::get<ExpositionPage>(parsed));
    EXPECT_EQ(nodeSensors(families, SensorKind::temperature),
              (QList<SensorReading>{{"nvme", "temp1", 42, {}, {}, {}, 2},
                                    {"nvme", "temp1", 41, {}, {}, {}, 1},
                                    {"k10temp", "Tctl", 60, {}, 95, {}, -1},
                                    {"nvme", "Composite", 40, 85, {}, {}, 0},
                                    {"k10temp", "temp2", 55, {}, {}, {}, -1}}));
}
