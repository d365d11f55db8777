#include "monitor/TemperaturePolicy.h"
#include "monitor/linux/DeviceSensors.h"
#include "monitor/linux/GpuNames.h"
#include "testsupport/FixtureTree.h"

#include <gtest/gtest.h>

using namespace moravel;
using moravel::fixtures::FixtureTree;

namespace {

// A hwmon chip: its name and, per sensor number, the files beside tempK_input.
void writeChip(FixtureTree& tree, int hwmon, const std::string& name,
               const std::vector<std::pair<int, std::map<std::string, std::string>>>& sensors)
{
    const QString base = QStringLiteral("sys/class/hwmon/hwmon%1/").arg(hwmon);
    tree.write(base + "name", name + "\n");
    for (const auto& [number, files] : sensors) {
        for (const auto& [suffix, content] : files)
            tree.write(base + QStringLiteral("temp%1_").arg(number) + QString::fromStdString(suffix), content + "\n");
    }
}

SensorReading sensor(const char* chip, const char* label, double celsius,
                          std::optional<double> critical = std::nullopt, std::optional<double> maximum = std::nullopt)
{
    return {QString::fromLatin1(chip), QString::fromLatin1(label), celsius, critical, maximum};
}

}  // namespace

TEST(Hwmon, EverySensorChipByChipWithTheProcessorsPackage)
{
    FixtureTree tree;
    writeChip(tree, 10, "nvme", {{1, {{"input", "38850"}, {"label", "Composite"}, {"crit", "84850"}}}});
    writeChip(tree, 2, "coretemp",
              {{1, {{"input", "52000"}, {"label", "Package id 0"}, {"crit", "100000"}, {"max", "80000"}}},
               {2, {{"input", "61000"}, {"label", "Core 0"}}},
               {10, {{"input", "-5000"}}},         // no label: named after its file
               {3, {{"input", "N/A"}}},            // unreadable this time: left out
               {4, {{"label", "Core 2"}}}});       // no input at all
    writeChip(tree, 3, "amdgpu", {{1, {{"input", "45000"}, {"label", "edge"}}}});
    tree.write("sys/class/hwmon/hwmon3/device/power/runtime_status", "suspended\n");  // asleep: not woken
    tree.write("sys/class/hwmon/hwmon4/temp1_input", "40000\n");                      // no name file
    writeChip(tree, 6, "drivetemp", {{1, {{"input", "35000"}}}});

    HwmonReader reader(tree.sysRoot().toStdString(), {SensorKind::temperature});
    const QList<SensorReading> expected{
        sensor("coretemp", "Package id 0", 52, 100, 80), sensor("coretemp", "Core 0", 61),
        sensor("coretemp", "temp10", -5),           sensor("hwmon4", "temp1", 40),
        sensor("drivetemp", "temp1", 35),           sensor("nvme", "Composite", 38.85, 84.85)};
    const QList<SensorReading> read = reader.read(0)[SensorKind::temperature];
    EXPECT_EQ(read, expected);
    EXPECT_EQ(cpuTemperatureOf(read), (CpuTemperature{52, 100}));

    tree.write("sys/class/hwmon/hwmon3/device/power/runtime_status", "active\n");
    tree.write("sys/class/hwmon/hwmon6/temp1_input", "36000\n");
    const QList<SensorReading> awake = reader.read(1)[SensorKind::temperature];
    EXPECT_EQ(awake.size(), expected.size() + 1);
    EXPECT_TRUE(awake.contains(sensor("drivetemp", "temp1", 35)));  // a disk drive is asked once a minute
    EXPECT_TRUE(reader.read(60)[SensorKind::temperature].contains(sensor("drivetemp", "temp1", 36)));
}

// Each kind of channel in its own unit, with its label and limits; only the
// kinds asked for are read. A stopped fan reads 0 rpm.
TEST(Hwmon, EveryKindOfChannelInItsUnit)
{
    FixtureTree tree;
    const auto write = [&](const char* file, const char* content) {
        tree.write(QStringLiteral("sys/class/hwmon/hwmon0/") + QLatin1String(file), std::string(content) + '\n');
    };
    write("name", "nct6798");
    for (const auto& [file, content] :
         {std::pair{"temp1_input", "45000"}, {"fan1_input", "1250"}, {"fan1_label", "CPU Fan"}, {"fan1_min", "300"},
          {"fan2_input", "0"}, {"fan3_label", "no input"}, {"in0_input", "1020"}, {"in0_label", "Vcore"},
          {"in0_min", "500"}, {"in0_max", "1500"}, {"in0_crit", "1600"}, {"power1_input", "36000000"},
          {"power1_average", "35000000"}, {"power2_input", "1500000"}, {"curr1_input", "1500"},
          {"curr1_max", "20000"}, {"fan1_alarm", "0"}, {"temp1x_input", "1"}})
        write(file, content);

    HwmonReader reader(tree.sysRoot().toStdString(), {SensorKind::fan, SensorKind::voltage, SensorKind::power,
                                                      SensorKind::current});
    const SensorReadings read = reader.read(0);
    EXPECT_TRUE(read[SensorKind::temperature].isEmpty());  // not asked for
    EXPECT_EQ(read[SensorKind::fan], (QList<SensorReading>{{"nct6798", "CPU Fan", 1250, {}, {}, 300},
                                                           {"nct6798", "fan2", 0}}));
    EXPECT_EQ(read[SensorKind::voltage], (QList<SensorReading>{{"nct6798", "Vcore", 1.02, 1.6, 1.5, 0.5}}));
    // The average over the instant figure, where a driver gives both.
    EXPECT_EQ(read[SensorKind::power], (QList<SensorReading>{{"nct6798", "power1", 35}, {"nct6798", "power2", 1.5}}));
    EXPECT_EQ(read[SensorKind::current], (QList<SensorReading>{{"nct6798", "curr1", 1.5, {}, 20}}));
}

TEST(Hwmon, ProcessorTemperatureChoice)
{
    const struct {
        const char* name;
        QList<SensorReading> sensors;
        std::optional<CpuTemperature> expected;
    } rows[] = {
        {"Tdie over the offset Tctl", {sensor("k10temp", "Tctl", 70, std::nullopt, 95), sensor("k10temp", "Tdie", 60)},
         CpuTemperature{60, std::nullopt}},
        {"Tctl alone, its maximum as the limit",
         {sensor("zenpower", "Tccd1", 75), sensor("zenpower", "Tctl", 70, {}, 95)},
         CpuTemperature{70, 95}},
        {"hottest package of two sockets",
         {sensor("coretemp", "Package id 0", 50, 100), sensor("coretemp", "Package id 1", 58, 101)},
         CpuTemperature{58, 101}},
        {"no package: hottest sensor of a processor chip",
         {sensor("nvme", "Composite", 90), sensor("cpu_thermal", "temp1", 47), sensor("cpu_thermal", "temp2", 49)},
         CpuTemperature{49, std::nullopt}},
        {"no processor chip", {sensor("acpitz", "temp1", 40), sensor("nvme", "Composite", 39)}, std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(cpuTemperatureOf(row.sensors), row.expected) << row.name;
    EXPECT_FALSE(parseHwmonValue("45.5", 1000));
}

// Nothing found costs one directory listing a minute, on the scheduler's clock.
TEST(DeviceSensors, LookAgainForDevicesOnlyOnceAMinute)
{
    FixtureTree tree;
    DeviceSensors sensors(tree.sysRoot().toStdString(), {}, [] { return nullptr; });
    SystemSnapshot snapshot;
    ASSERT_TRUE(sensors.isDue(100));
    sensors.read(100)(snapshot);
    EXPECT_EQ(snapshot.temperatures, QList<SensorReading>());
    EXPECT_EQ(snapshot.fans, QList<SensorReading>());
    EXPECT_FALSE(sensors.isDue(159.9));

    writeChip(tree, 0, "k10temp", {{1, {{"input", "48125"}, {"label", "Tctl"}}}});
    tree.write("sys/class/hwmon/hwmon1/name", "thinkpad\n");
    tree.write("sys/class/hwmon/hwmon1/fan1_input", "2900\n");
    tree.write("sys/class/hwmon/hwmon1/in0_input", "12096\n");
    ASSERT_TRUE(sensors.isDue(160));
    sensors.read(160)(snapshot);
    EXPECT_EQ(snapshot.temperatures, QList<SensorReading>{sensor("k10temp", "Tctl", 48.125)});
    EXPECT_EQ(snapshot.fans, QList<SensorReading>{sensor("thinkpad", "fan1", 2900)});
    EXPECT_EQ(snapshot.voltages, QList<SensorReading>{sensor("thinkpad", "in0", 12.096)});
    EXPECT_EQ(cpuTemperatureOf(snapshot), (CpuTemperature{48.125, std::nullopt}));

    tree.remove("sys/class/hwmon/hwmon0");
    sensors.read(220)(snapshot);
    EXPECT_EQ(snapshot.temperatures, QList<SensorReading>());
}

namespace {

class FakeNvidia final : public NvidiaDevices {
public:
    std::optional<QString> name(const std::string& slot) override
    {
        return slot == "0000:01:00.0" ? std::optional(QStringLiteral("NVIDIA GeForce RTX 3060")) : std::nullopt;
    }
    NvidiaFigures figures(const std::string&) override { return {37, 1u << 30, 12u << 30, 51}; }
};

void writeCard(FixtureTree& tree, const QString& card, const std::string& uevent,
               const std::map<std::string, std::string>& files = {})
{
    tree.write("sys/class/drm/" + card + "/device/uevent", uevent);
    for (const auto& [file, content] : files)
        tree.write("sys/class/drm/" + card + "/" + QString::fromStdString(file), content + "\n");
}

}  // namespace

TEST(Gpus, EachCardByItsDriversFigures)
{
    FixtureTree tree;
    tree.write("pci.ids", "# comment\n1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
                          "\t73bf  Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]\n\t\t1002 0e3a  Radeon RX 6900 XT\n"
                          "10de  NVIDIA Corporation\n\t73be  not the AMD device\n\t2504  GA106 [GeForce RTX 3060]\n");
    writeCard(tree, "card0", "DRIVER=amdgpu\nPCI_ID=1002:73BF\nPCI_SLOT_NAME=0000:03:00.0\n",
              {{"device/gpu_busy_percent", "42"},
               {"device/mem_info_vram_used", "1073741824"},
               {"device/mem_info_vram_total", "17163091968"},
               {"device/hwmon/hwmon7/temp1_input", "55000"},
               {"device/power/runtime_status", "active"}});
    tree.makeDirectory("sys/class/drm/card0-DP-1");
    tree.makeDirectory("sys/class/drm/renderD128/device");
    writeCard(tree, "card1", "DRIVER=i915\nPCI_ID=8086:46A6\n", {{"gt/gt0/rc6_residency_ms", "1000"}});
    writeCard(tree, "card2", "DRIVER=nvidia\nPCI_ID=10DE:2504\nPCI_SLOT_NAME=0000:01:00.0\n");
    writeCard(tree, "card3", "DRIVER=simpledrm\n");
    // Asleep, and its load file garbage: it is not asked.
    writeCard(tree, "card4", "DRIVER=amdgpu\nPCI_ID=1002:73BE\n",
              {{"device/gpu_busy_percent", "x"}, {"device/power/runtime_status", "suspended"}});

    GpuReader reader(tree.sysRoot().toStdString(), {(tree.root() + "/none").toStdString(),
                                                    (tree.root() + "/pci.ids").toStdString()},
                     [] { return std::make_unique<FakeNvidia>(); });
    const QList<GpuReading> first = reader.read(10);
    const QList<GpuReading> expected{
        {"AMD Radeon RX 6800/6800 XT / 6900 XT", 42, 1u << 30, 17163091968u, 55},
        {"Intel GPU", std::nullopt, std::nullopt, std::nullopt, std::nullopt},  // no load before a second reading
        {"NVIDIA GeForce RTX 3060", 37, 1u << 30, 12u << 30, 51},
        {"AMD GPU", 0, std::nullopt, std::nullopt, std::nullopt}};
    EXPECT_EQ(first, expected);

    tree.write("sys/class/drm/card1/gt/gt0/rc6_residency_ms", "1500\n");  // idle half of 1 s
    EXPECT_EQ(reader.read(11)[1].busyPercent, 50);
    tree.write("sys/class/drm/card1/gt/gt0/rc6_residency_ms", "1400\n");
    EXPECT_EQ(reader.read(12)[1].busyPercent, 0);
}

// Starting NVML would wake a sleeping GPU.
TEST(Gpus, NvidiaLibraryWaitsForAnAwakeGpu)
{
    FixtureTree tree;
    writeCard(tree, "card1", "DRIVER=nvidia\nPCI_ID=10DE:2504\nPCI_SLOT_NAME=0000:01:00.0\n",
              {{"device/power/runtime_status", "suspended"}});
    int loads = 0;
    GpuReader reader(tree.sysRoot().toStdString(), {}, [&] {
        ++loads;
        return std::make_unique<FakeNvidia>();
    });
    EXPECT_EQ(reader.read(0), (QList<GpuReading>{{"NVIDIA GPU", 0, {}, {}, {}}}));
    EXPECT_EQ(loads, 0);
    tree.write("sys/class/drm/card1/device/power/runtime_status", "active\n");
    EXPECT_EQ(reader.read(1), (QList<GpuReading>{{"NVIDIA GPU", 37, 1u << 30, 12u << 30, 51}}));
    EXPECT_EQ(loads, 1);
}

TEST(Gpus, NamesFromThePciListElseTheVendorElseTheDriver)
{
    const struct {
        const char* uevent;
        std::optional<std::string_view> listed;
        QString name;
    } rows[] = {
        {"PCI_ID=8086:46A6\nDRIVER=i915\n", "Alder Lake-P GT2 [Iris Xe Graphics]", "Intel Iris Xe Graphics"},
        {"PCI_ID=10DE:1C82\n", std::nullopt, "NVIDIA GPU"},
        {"DRIVER=vc4-drm\nOF_NAME=gpu\n", std::nullopt, "vc4-drm"},
        {"PCI_ID=zz\n", std::nullopt, "card7"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(gpuName(parseDeviceUevent(row.uevent), row.listed, "card7"), row.name) << row.uevent;
    EXPECT_FALSE(loadNvidiaLibrary("libmoravel-no-such-library.so.1"));
    EXPECT_FALSE(loadNvidiaLibrary("libc.so.6"));  // present, but not NVML
}

// Two chips of one name are told apart by their order, in what people see;
// a single one keeps its name. The rules still know each chip by its name:
// the processor's temperature comes from the hotter of two sockets.
TEST(Hwmon, SameNamedChipsAreNumbered)
{
    EXPECT_EQ(chipNumbers({"nvme", "coretemp", "nvme", "nvme"}), (QList<int>{0, -1, 1, 2}));

    FixtureTree tree;
    writeChip(tree, 0, "k10temp", {{1, {{"input", "61000"}, {"label", "Tctl"}}}});
    writeChip(tree, 1, "k10temp", {{1, {{"input", "64000"}, {"label", "Tctl"}}}});
    writeChip(tree, 2, "nvme", {{1, {{"input", "40000"}, {"label", "Composite"}}}});
    HwmonReader reader(tree.sysRoot().toStdString(), {SensorKind::temperature});
    const QList<SensorReading> read = reader.read(0)[SensorKind::temperature];
    QStringList titles;
    for (const SensorReading& each : read)
        titles.append(chipTitle(each));
    EXPECT_EQ(titles, (QStringList{"k10temp0", "k10temp1", "nvme"}));
    EXPECT_EQ(cpuTemperatureOf(read), (CpuTemperature{64, std::nullopt}));
}
