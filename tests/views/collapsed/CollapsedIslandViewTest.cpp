#include "ViewTestSupport.h"

#include "island/IslandState.h"
#include "monitor/SystemMonitor.h"
#include "testsupport/FakeSource.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "views/collapsed/CollapsedIslandPainter.h"
#include "views/collapsed/CollapsedIslandView.h"
#include "views/collapsed/CollapsedReadings.h"
#include "views/kit/IslandPalette.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <gtest/gtest.h>

#include <cmath>

using namespace moravel;
using moravel::fixtures::onAdapter;
using moravel::fixtures::onBattery;
using moravel::testing::countPixels;

namespace {

using Kind = MetricKind;

const QString adapterTip =
    QStringLiteral("SYS is estimated computer load from AC power; battery charging is shown in the expanded view.");
const QString batteryTip =
    QStringLiteral("BAT is live battery discharge, the available estimate of computer load while unplugged.");

}  // namespace

TEST(CollapsedReadingsTest, PowerReadingOnBatteryAndOnTheAdapter)
{
    EXPECT_EQ(CollapsedReadings::powerReadingTexts(onBattery(40)),
              (CollapsedReadings::PowerReadingTexts{false, "BAT", "7.5W", "battery.50percent", "40%"}));
    EXPECT_EQ(CollapsedReadings::powerToolTip(onBattery(40)), batteryTip);
    EXPECT_EQ(CollapsedReadings::powerReadingTexts(onAdapter(40)),
              (CollapsedReadings::PowerReadingTexts{true, "SYS", "7.5W", "powerplug.fill", "40%"}));
    EXPECT_EQ(CollapsedReadings::powerToolTip(onAdapter(40)), adapterTip);
    EXPECT_EQ(CollapsedReadings::powerToolTip(onAdapter(0)), std::nullopt);  // no battery reading
}

// "Full" only on the adapter: resting at 100 % or reported full while not charging.
TEST(CollapsedReadingsTest, BatteryTexts)
{
    const auto with = [](SystemSnapshot snapshot, bool charging, bool reportedFull) {
        snapshot.isCharging = charging;
        snapshot.isFullyCharged = reportedFull;
        return snapshot;
    };
    const std::pair<SystemSnapshot, const char*> rows[] = {
        {onAdapter(100), "Full"},
        {onBattery(100), "100%"},
        {with(onAdapter(100), true, false), "100%"},
        {with(onAdapter(100), true, true), "Full"},
        {with(onBattery(100), false, true), "100%"},
    };
    for (const auto& [snapshot, expected] : rows) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(CollapsedReadings::powerReadingTexts(snapshot).battery, QString::fromLatin1(expected));
    }
}

TEST(CollapsedReadingsTest, AccessibilitySummary)
{
    SystemSnapshot snapshot = onBattery(80);
    snapshot.downloadBytesPerSecond = 1'500'000;
    snapshot.uploadBytesPerSecond = 2000;
    snapshot.cpuPercent = 37.8;
    snapshot.memoryPercent = 62.99;

    EXPECT_EQ(CollapsedReadings::accessibilitySummary({Kind::network, Kind::power}, snapshot),
              QStringLiteral("Download 1.5M, upload 2K, Battery 80 percent"));
    // Truncated, unlike the rounded 38% on screen.
    EXPECT_EQ(CollapsedReadings::accessibilitySummary({Kind::cpu}, snapshot), QStringLiteral("CPU 37 percent"));
    EXPECT_EQ(CollapsedReadings::accessibilitySummary({}, snapshot), QString());

    snapshot.cpuPercent = std::nan("");
    EXPECT_EQ(CollapsedReadings::accessibilitySummary({Kind::cpu}, snapshot), QStringLiteral("CPU 0 percent"));
}

TEST(CollapsedIslandLayoutTest, NotchLayoutHugsTheCameraFromBothSides)
{
    const IslandDisplayGeometry notch{200, 32};
    const QRectF bounds(0, 0, 700, 60);
    const auto layout =
        CollapsedIslandLayout::make(notch, {Kind::network, Kind::cpu, Kind::memory, Kind::power}, bounds, 12);

    EXPECT_EQ(layout.frame, QRectF(350 - 564 / 2.0, 0, 564, 32));
    ASSERT_TRUE(layout.notchGap);
    EXPECT_DOUBLE_EQ(layout.notchGap->width(), 218);
    const QRectF network = *layout.readingRect(Kind::network);
    const QRectF cpu = *layout.readingRect(Kind::cpu);
    const QRectF memory = *layout.readingRect(Kind::memory);
    const QRectF power = *layout.readingRect(Kind::power);
    EXPECT_DOUBLE_EQ(cpu.right(), layout.notchGap->left());
    EXPECT_DOUBLE_EQ(memory.left(), layout.notchGap->right());
    EXPECT_DOUBLE_EQ(power.left() - memory.right(), 17);
    // The wider right run fills its side exactly up to the padding.
    EXPECT_DOUBLE_EQ(layout.frame.right() - power.right(), 14);
    ASSERT_EQ(layout.separators.size(), 2);
    EXPECT_EQ(layout.separators[0], QRectF(network.right() + 8, 10, 1, 12));

    // A single reading sits left of the camera.
    const auto single = CollapsedIslandLayout::make({180, 30}, {Kind::power}, QRectF(0, 0, 500, 30), 12);
    EXPECT_DOUBLE_EQ(single.readings.value(0).rect.right(), single.notchGap->left());
}

class CollapsedRenderTest : public ::testing::Test {
protected:
    // Draws the content over the island's black body.
    QImage render(const CollapsedContent& content)
    {
        QImage image(bounds.size().toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        CollapsedIslandPainter::paint(painter, bounds, content);
        return image;
    }

    QRect readingArea(const CollapsedContent& content, Kind kind)
    {
        return CollapsedIslandPainter::layout(content, bounds).readingRect(kind)->toAlignedRect();
    }

    QRectF bounds{0, 0, 400, 40};
};

TEST_F(CollapsedRenderTest, LoadReadingsAreDrawnInTheirThresholdColour)
{
    CollapsedContent content{{}, {Kind::cpu, Kind::memory}, {}};
    content.snapshot.cpuPercent = 94.9;
    content.snapshot.memoryPercent = 75;
    const QImage image = render(content);
    const QRect cpu = readingArea(content, Kind::cpu);
    const QRect memory = readingArea(content, Kind::memory);
    EXPECT_GT(countPixels(image, IslandPalette::amber(), cpu, 8), 10);
    EXPECT_EQ(countPixels(image, IslandPalette::red(), cpu, 8), 0);
    EXPECT_GT(countPixels(image, IslandPalette::yellow(), memory, 8), 10);
}

TEST_F(CollapsedRenderTest, PowerReadingTurnsMintOnTheAdapterOnly)
{
    CollapsedContent content{onAdapter(80), {Kind::power}, {}};
    const QRect power = readingArea(content, Kind::power);
    EXPECT_GT(countPixels(render(content), IslandPalette::mint(), power, 8), 10);

    content.snapshot = onAdapter(0);  // no battery reading: a grey bolt and dash
    const QImage dash = render(content);
    EXPECT_EQ(countPixels(dash, IslandPalette::mint(), power, 8), 0);
    EXPECT_GT(countPixels(dash, QColor(148, 148, 148), power, 8), 5);
}

TEST_F(CollapsedRenderTest, NothingIsDrawnOutsideTheReadingFrames)
{
    // A huge transfer rate and wattage must be elided, not spill over neighbours.
    CollapsedContent content{onAdapter(100), {Kind::network, Kind::power}, {}};
    content.snapshot.downloadBytesPerSecond = 999'999;
    content.snapshot.uploadBytesPerSecond = 1e15;
    content.snapshot.displayPowerWatts = 123456.0;
    const QImage image = render(content);
    const auto layout = CollapsedIslandPainter::layout(content, bounds);

    QImage outside = image.copy();
    QPainter eraser(&outside);
    for (const auto& reading : layout.readings)
        eraser.fillRect(reading.rect.adjusted(-0.5, -20, 0.5, 20), Qt::black);
    for (const QRectF& separator : layout.separators)
        eraser.fillRect(separator.adjusted(-1, -1, 1, 1), Qt::black);
    eraser.end();
    EXPECT_EQ(countPixels(outside, Qt::black, 0), outside.width() * outside.height());
}

class CollapsedIslandViewTest : public ::testing::Test {
protected:
    CollapsedIslandViewTest()
    {
        monitor = std::make_unique<SystemMonitor>(scheduler, telemetry);
        state = std::make_unique<IslandState>(defaults, scheduler, std::nullopt);
        view = std::make_unique<CollapsedIslandView>(*monitor, *state);
        view->resize(600, 40);
    }

    void putOnBattery(int64_t percent, bool onAdapter)
    {
        BatteryRegistry registry;
        registry.currentCapacity = percent;
        registry.externalConnected = onAdapter;
        telemetry->battery = registry;
        monitor->powerSourceDidChange();
    }

    // Sends a tool-tip request at `point`; true when the view answered it.
    bool requestToolTip(QPointF point)
    {
        QHelpEvent help(QEvent::ToolTip, point.toPoint(), view->mapToGlobal(point.toPoint()));
        QCoreApplication::sendEvent(view.get(), &help);
        return help.isAccepted();
    }

    QRectF powerRect() const { return *view->readingLayout().readingRect(Kind::power); }

    MemoryDefaultsStore defaults;
    VirtualScheduler scheduler;
    std::shared_ptr<fixtures::FakeSource> telemetry = std::make_shared<fixtures::FakeSource>();
    std::unique_ptr<SystemMonitor> monitor;
    std::unique_ptr<IslandState> state;
    std::unique_ptr<CollapsedIslandView> view;
};

TEST_F(CollapsedIslandViewTest, ClickTogglesPinning)
{
    moravel::testing::click(*view, {5, 5}, {6, 6});  // transparent corners count too
    EXPECT_TRUE(state->isLockedOpen());
    EXPECT_TRUE(state->isExpanded());
    moravel::testing::click(*view, {300, 20});
    EXPECT_FALSE(state->isLockedOpen());

    moravel::testing::click(*view, {300, 20}, {900, 20});  // released outside: no click
    EXPECT_FALSE(state->isLockedOpen());
}

TEST_F(CollapsedIslandViewTest, PowerReadingShowsItsHelpTextOnlyOverItself)
{
    EXPECT_FALSE(requestToolTip(powerRect().center()));  // no battery reading yet

    putOnBattery(80, true);
    view->show();
    EXPECT_TRUE(requestToolTip(powerRect().center()));
    EXPECT_EQ(QToolTip::text(), adapterTip);

    EXPECT_FALSE(requestToolTip(view->readingLayout().readingRect(Kind::cpu)->center()));
    QToolTip::hideText();
    view->hide();
}

TEST_F(CollapsedIslandViewTest, IsOneAccessibleElementWithTheSummaryAsValue)
{
    putOnBattery(55, false);
    state->setCollapsedMetricPreferences(
        {{Kind::power, true}, {Kind::cpu, false}, {Kind::memory, false}, {Kind::network, false}});

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("Battery 55 percent"));
    EXPECT_EQ(accessible->childCount(), 0);
}

TEST_F(CollapsedIslandViewTest, PaintsTheCurrentSnapshotAtTheTopCentre)
{
    state->setDisplayGeometry({200, 32});
    EXPECT_DOUBLE_EQ(view->readingLayout().frame.center().x(), 300);

    const QImage image = moravel::testing::renderWidget(*view, Qt::black);
    const QRect network = view->readingLayout().readingRect(Kind::network)->toAlignedRect();
    EXPECT_GT(countPixels(image, IslandPalette::cyan(), network, 8), 10);
}
