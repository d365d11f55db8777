#include "ViewTestSupport.h"

#include "island/IslandState.h"
#include "monitor/ReadingTable.h"
#include "views/collapsed/CollapsedIslandPainter.h"
#include "views/collapsed/CollapsedIslandView.h"
#include "views/collapsed/CollapsedReadings.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QAccessible>
#include <QApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace moravel;
using moravel::fixtures::onAdapter;
using moravel::fixtures::onBattery;
using moravel::testing::countPixels;
using Kind = MetricKind;
using Texts = CollapsedReadings::PowerReadingTexts;

namespace {

const QString batteryTip =
    QStringLiteral("BAT is live battery discharge, the available estimate of computer load while unplugged.");

SystemSnapshot with(SystemSnapshot snapshot, bool charging, bool reportedFull)
{
    snapshot.power->battery->isCharging = charging;
    snapshot.power->battery->isFullyCharged = reportedFull;
    return snapshot;
}

}  // namespace

// "Full" only on the adapter: resting at 100 % or reported full while not
// charging.
TEST(CollapsedReadingsTest, PowerReadingOnBatteryAndOnTheAdapter)
{
    using CollapsedReadings::powerReadingTexts;
    EXPECT_EQ(powerReadingTexts(onBattery(40)), (Texts{false, "BAT", "7.5W", "battery.50percent", "40%"}));
    EXPECT_EQ(CollapsedReadings::powerToolTip(onBattery(40)), batteryTip);
    EXPECT_EQ(powerReadingTexts(onAdapter(40)), (Texts{true, "SYS", "7.5W", "powerplug.fill", "40%"}));
    // A level no battery figure tells: a dash, never 0 %.
    EXPECT_EQ(powerReadingTexts(onBattery(std::nullopt)), (Texts{false, "BAT", "7.5W", "battery.unknown", "—"}));

    const std::pair<SystemSnapshot, const char*> rows[] = {
        {onAdapter(100), "Full"},
        {onBattery(100), "100%"},
        {with(onAdapter(100), true, false), "100%"},
        {with(onAdapter(100), true, true), "Full"},
        {with(onBattery(100), false, true), "100%"},
    };
    for (const auto& [snapshot, expected] : rows)
        EXPECT_EQ(powerReadingTexts(snapshot).battery, QString::fromLatin1(expected)) << expected;
}

// Whatever the readings' widths: the gap over the camera, the runs hugging it
// from both sides, the wider run filling its side up to the padding, and no
// two frames overlapping.
TEST(CollapsedIslandLayoutTest, NotchLayoutHugsTheCameraFromBothSides)
{
    const auto layout = CollapsedIslandLayout::make({200, 32}, {Kind::network, Kind::cpu, Kind::memory, Kind::power},
                                                    {}, QRectF(0, 0, 700, 60), 12);
    EXPECT_DOUBLE_EQ(layout.frame.center().x(), 350);
    EXPECT_EQ(layout.frame.height(), 32);
    ASSERT_TRUE(layout.notchGap);
    EXPECT_DOUBLE_EQ(layout.notchGap->width(), 218);
    EXPECT_DOUBLE_EQ(layout.notchGap->center().x(), 350);
    const QRectF network = *layout.readingRect(Kind::network);
    const QRectF memory = *layout.readingRect(Kind::memory);
    const QRectF power = *layout.readingRect(Kind::power);
    EXPECT_DOUBLE_EQ(layout.readingRect(Kind::cpu)->right(), layout.notchGap->left());
    EXPECT_DOUBLE_EQ(memory.left(), layout.notchGap->right());
    EXPECT_DOUBLE_EQ(power.left() - memory.right(), 17);
    EXPECT_DOUBLE_EQ(std::min(network.left() - layout.frame.left(), layout.frame.right() - power.right()), 14);
    EXPECT_EQ(layout.separators.size(), 2);
    for (qsizetype i = 0; i < layout.readings.size(); ++i) {
        const QRectF frame = layout.readings[i].rect;
        EXPECT_TRUE(layout.frame.contains(frame)) << i;
        EXPECT_FALSE(frame.intersects(*layout.notchGap)) << i;
        if (i > 0) {
            EXPECT_LE(layout.readings[i - 1].rect.right(), frame.left()) << i;
        }
    }

    // A single reading sits left of the camera.
    const auto single = CollapsedIslandLayout::make({180, 30}, {Kind::power}, {}, QRectF(0, 0, 500, 30), 12);
    EXPECT_DOUBLE_EQ(single.readings.value(0).rect.right(), single.notchGap->left());
}

class CollapsedRenderTest : public ::testing::Test {
protected:
    QImage render(const CollapsedContent& content) { return moravel::testing::renderCollapsed(content, bounds); }

    QRect area(const CollapsedContent& content, Kind kind)
    {
        return CollapsedIslandPainter::layout(content, bounds).readingRect(kind)->toAlignedRect();
    }

    QRectF bounds{0, 0, 400, 40};
};

// Loads in their level's colour; the power reading mint on the adapter, a
// grey bolt and dash without a battery reading.
TEST_F(CollapsedRenderTest, ReadingsAreDrawnInTheirColours)
{
    CollapsedContent loads{fixtures::loads(94.9, 75), {Kind::cpu, Kind::memory}, {}};
    const QImage image = render(loads);
    EXPECT_GT(countPixels(image, IslandPalette::amber(), area(loads, Kind::cpu), 8), 10);
    EXPECT_EQ(countPixels(image, IslandPalette::red(), area(loads, Kind::cpu), 8), 0);
    EXPECT_GT(countPixels(image, IslandPalette::yellow(), area(loads, Kind::memory), 8), 10);

    CollapsedContent power{onAdapter(80), {Kind::power}, {}};
    EXPECT_GT(countPixels(render(power), IslandPalette::mint(), area(power, Kind::power), 8), 10);
    power.snapshot = onAdapter(0);
    const QImage dash = render(power);
    EXPECT_EQ(countPixels(dash, IslandPalette::mint(), area(power, Kind::power), 8), 0);
    EXPECT_GT(countPixels(dash, QColor(148, 148, 148), area(power, Kind::power), 8), 5);

    // Hot without a limit of its own: red from 95 °C. No GPU: a grey dash, not 0 %.
    CollapsedContent newer{fixtures::computerAtRest(), {Kind::temperature, Kind::gpu}, {}};
    newer.snapshot.temperatures = QList<SensorReading>{{"coretemp", "Package id 0", 96, {}, {}}};
    const QImage hot = render(newer);
    EXPECT_GT(countPixels(hot, IslandPalette::red(), area(newer, Kind::temperature), 8), 10);
    EXPECT_GT(countPixels(hot, QColor(148, 148, 148), area(newer, Kind::gpu), 8), 5);
    EXPECT_EQ(ReadingTable::valueText(Kind::gpu, newer.snapshot), QStringLiteral("—"));
}

TEST_F(CollapsedRenderTest, NothingIsDrawnOutsideTheReadingFrames)
{
    // A huge transfer rate and wattage must be elided, not spill over neighbours.
    CollapsedContent content{onAdapter(100, 123456.0), {Kind::network, Kind::power, Kind::disk}, {}};
    content.snapshot.network = NetworkReading{999'999, 1e15};
    content.snapshot.diskActivity = DiskActivityReading{0, 1e15};
    QImage image = render(content);
    const auto layout = CollapsedIslandPainter::layout(content, bounds);
    QPainter eraser(&image);
    for (const auto& reading : layout.readings)
        eraser.fillRect(reading.rect.adjusted(-0.5, -20, 0.5, 20), Qt::black);
    for (const QRectF& separator : layout.separators)
        eraser.fillRect(separator.adjusted(-1, -1, 1, 1), Qt::black);
    eraser.end();
    EXPECT_EQ(countPixels(image, Qt::black, 0), image.width() * image.height());
}

// The widest figures each reading can show fit the frame the reading table
// reserves, at every size factor: nothing is cut.
TEST(CollapsedFitTest, TheWidestFiguresFitTheirFrames)
{
    SystemSnapshot widest = onBattery(100, 99);
    widest.network = NetworkReading{999'900'000, 999'900'000};
    widest.disk->percent = 100;
    widest.diskActivity = DiskActivityReading{999'900'000, 999'900'000};
    widest.cpu->percent = 100;
    widest.memory->percent = 100;
    widest.swap = SwapReading{.used = 8'000'000'000, .total = 8'000'000'000};
    widest.temperatures = QList<SensorReading>{{"coretemp", "Package id 0", 105, {}, {}}};
    widest.gpus = QList<GpuReading>{{.name = "card0", .busyPercent = 100}};
    widest.fans = QList<SensorReading>{{"thinkpad", "fan1", 9999, {}, {}}};
    SystemSnapshot gigabytes = widest;
    gigabytes.network = NetworkReading{999.9e9, 999.9e9};
    gigabytes.diskActivity = DiskActivityReading{999.9e9, 999.9e9};
    const SystemSnapshot adapter = onAdapter(99, 240);

    const double factor = IslandScale::factor();
    for (const double size : {1.0, 1.25, 1.5}) {
        IslandScale::setFactor(size);
        for (const SystemSnapshot& snapshot : {widest, gigabytes, adapter}) {
            for (const Kind kind : ReadingTable::collapsedKinds()) {
                SCOPED_TRACE(::testing::Message() << ReadingTable::of(kind).key << " at " << size);
                ASSERT_FALSE(CollapsedMetricLayout::showsDash(kind, snapshot) && kind != Kind::power);
                EXPECT_TRUE(CollapsedIslandPainter::showsWhole(kind, snapshot,
                                                               CollapsedMetricLayout::shownWidth(kind, snapshot)));
            }
        }
    }
    IslandScale::setFactor(factor);
}

class CollapsedIslandViewTest : public ::testing::Test, protected moravel::testing::ViewServices {
protected:
    CollapsedIslandViewTest() { view.resize(600, 40); }

    IslandState state{defaults, scheduler, std::nullopt};
    CollapsedIslandView view{monitor, state, scheduler};
};

TEST_F(CollapsedIslandViewTest, ClickTogglesPinning)
{
    moravel::testing::click(view, {5, 5}, {6, 6});  // transparent corners count too
    EXPECT_TRUE(state.isLockedOpen());
    EXPECT_TRUE(state.isExpanded());
    moravel::testing::click(view, {300, 20});
    EXPECT_FALSE(state.isLockedOpen());
    moravel::testing::click(view, {300, 20}, {900, 20});  // released outside: no click
    EXPECT_FALSE(state.isLockedOpen());
}

// Each visible reading is an element named by its title with its value as
// text, over its own place; the snapshot is drawn at the top centre.
TEST_F(CollapsedIslandViewTest, EachReadingIsAnAccessibleElementAndTheSnapshotIsPaintedAtTheTopCentre)
{
    putOnBattery(55, false);
    state.setCollapsedMetricPreferences(
        {{Kind::power, true}, {Kind::cpu, true}, {Kind::memory, false}, {Kind::network, false}});
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(accessible, nullptr);
    ASSERT_EQ(accessible->childCount(), 2);
    const QStringList names{accessible->child(0)->text(QAccessible::Name), accessible->child(1)->text(QAccessible::Name)};
    const int power = names.indexOf(QStringLiteral("Power"));
    ASSERT_GE(power, 0) << names.join(',').toStdString();
    QAccessibleInterface* battery = accessible->child(power);
    EXPECT_EQ(battery->role(), QAccessible::StaticText);
    EXPECT_EQ(battery->textInterface()->text(0, battery->textInterface()->characterCount()),
              QStringLiteral("battery 55 percent, on battery"));
    EXPECT_EQ(accessible->indexOfChild(battery), power);
    EXPECT_TRUE(battery->rect().contains(
        view.mapToGlobal(view.readingLayout().readingRect(Kind::power)->center().toPoint())));
    // The same element for as long as the reading shows.
    EXPECT_EQ(QAccessible::uniqueId(accessible->child(power)), QAccessible::uniqueId(battery));

    state.setCollapsedMetricPreferences(CollapsedMetricConfiguration::defaultPreferences());
    state.setDisplayGeometry({200, 32});
    telemetry->everySecond = [](SystemSnapshot& next) { next.network = NetworkReading{}; };
    monitor.refresh();
    EXPECT_DOUBLE_EQ(view.readingLayout().frame.center().x(), 300);
    const QImage image = moravel::testing::renderWidget(view, Qt::black);
    const QRect network = view.readingLayout().readingRect(Kind::network)->toAlignedRect();
    EXPECT_GT(countPixels(image, IslandPalette::cyan(), network, 8), 10);
}
