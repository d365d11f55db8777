#include "ViewTestSupport.h"

#include "island/IslandState.h"
#include "monitor/SystemMonitor.h"
#include "monitor/TelemetrySource.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "updates/UpdateCheckCoordinator.h"
#include "views/chart/ActivityChart.h"
#include "views/chart/ActivitySection.h"
#include "views/kit/DampedSpring.h"
#include "views/dashboard/ExpandedHeader.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/dashboard/HealthRail.h"
#include "views/kit/IslandIconButton.h"
#include "views/dashboard/MetricTabs.h"
#include "views/power/PowerFlowSection.h"
#include "views/dashboard/ProcessLeaderboard.h"
#include "views/settings/IslandSettingsView.h"
#include "views/settings/SettingsPopover.h"
#include "testsupport/StubLoginItem.h"
#include "testsupport/StubUpdater.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>

using namespace moravel;
using moravel::testing::countPixels;
using moravel::testing::ensureViewApplication;
using moravel::testing::renderWidget;

namespace {

QStringList legendLabels(const ExpandedIslandView& view)
{
    QStringList labels;
    for (const LegendEntry& entry : view.activitySection()->legend())
        labels.append(entry.label);
    return labels;
}

QStringList rowNames(const ProcessLeaderboard& card)
{
    QStringList names;
    for (const ProcessLeaderRow* row : card.findChildren<ProcessLeaderRow*>()) {
        if (!row->isHidden())
            names.append(row->process().name);
    }
    return names;
}

ProcessMetric process(int32_t id, const char* name, double cpu, uint64_t memory)
{
    return ProcessMetric{id, QString::fromLatin1(name), cpu, memory};
}

void click(QWidget& widget, QPointF at)
{
    QMouseEvent down(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &up);
}

}  // namespace

class ExpandedIslandViewTest : public ::testing::Test {
protected:
    ExpandedIslandViewTest() { ensureViewApplication(); }

    // `environment` as MORAVEL_ISLAND_EXPANDED: "1" starts the island open.
    void build(std::optional<QString> environment = std::nullopt)
    {
        view.reset();
        state.reset();
        monitor = std::make_unique<SystemMonitor>(scheduler, std::make_shared<TelemetrySource>());
        state = std::make_unique<IslandState>(defaults, scheduler, environment);
        view = std::make_unique<ExpandedIslandView>(
            ExpandedIslandView::Services{*monitor, *state, updater, coordinator, scheduler, loginItem});
    }

    // Opens the island and waits until the content is shown.
    void open()
    {
        state->requestExpansion();
        scheduler.advance(IslandState::contentDelay);
        ASSERT_TRUE(state->showsExpandedContent());
    }

    void publish(const SystemSnapshot& snapshot) { emit monitor->snapshotChanged(snapshot); }

    MemoryDefaultsStore defaults;
    VirtualScheduler scheduler;
    moravel::fixtures::StubLoginItem loginItem;
    moravel::fixtures::StubUpdater updater;
    UpdateCheckCoordinator coordinator{scheduler};
    std::unique_ptr<SystemMonitor> monitor;
    std::unique_ptr<IslandState> state;
    std::unique_ptr<ExpandedIslandView> view;
};

TEST_F(ExpandedIslandViewTest, RevealsInFourStepsOnceTheContentIsShown)
{
    build();
    state->requestExpansion();
    scheduler.advance(0.06);
    EXPECT_EQ(view->revealPhase(), 0);  // the panel is still growing

    scheduler.advance(IslandState::contentDelay - 0.06);
    EXPECT_EQ(view->revealPhase(), 1);
    const std::pair<double, int> expectations[] = {{0.03, 1}, {0.02, 2}, {0.04, 3}, {0.04, 4}};
    for (const auto& [seconds, phase] : expectations) {
        scheduler.advance(seconds);
        EXPECT_EQ(view->revealPhase(), phase);
    }
}

TEST_F(ExpandedIslandViewTest, RowsAppearWithTheirStep)
{
    build();
    open();
    view->finishTransitions();
    EXPECT_TRUE(view->header()->isVisibleTo(view.get()));
    EXPECT_FALSE(view->tabs()->isVisibleTo(view.get()));
    EXPECT_FALSE(view->healthRail()->isVisibleTo(view.get()));

    scheduler.advance(0.12);
    view->finishTransitions();
    EXPECT_TRUE(view->healthRail()->isVisibleTo(view.get()));
    EXPECT_TRUE(view->powerSection()->isVisibleTo(view.get()));

    state->requestCollapse(true);
    EXPECT_EQ(view->revealPhase(), 0);
    EXPECT_FALSE(view->header()->isVisibleTo(view.get()));
}

TEST_F(ExpandedIslandViewTest, ClosingAndReopeningQuicklyStillEndsFullyRevealed)
{
    build();
    open();
    scheduler.advance(0.05);
    ASSERT_EQ(view->revealPhase(), 2);

    state->requestCollapse(true);
    EXPECT_EQ(view->revealPhase(), 0);
    state->requestExpansion();  // the panel has not shrunk yet
    scheduler.advance(IslandState::contentDelay);
    ASSERT_TRUE(state->showsExpandedContent());
    scheduler.advance(0.01);
    EXPECT_EQ(view->revealPhase(), 4);  // a step left over from the first opening ran ahead

    scheduler.advance(0.2);
    EXPECT_EQ(view->revealPhase(), 4);
}

TEST_F(ExpandedIslandViewTest, AnIslandThatStartsOpenRevealsAtOnce)
{
    build(QStringLiteral("1"));
    EXPECT_EQ(view->revealPhase(), 0);
    scheduler.advance(0);
    EXPECT_EQ(view->revealPhase(), 1);
    scheduler.advance(0.12);
    EXPECT_EQ(view->revealPhase(), 4);
}

TEST_F(ExpandedIslandViewTest, ChartHistoryIsHeldWhileThePanelMorphs)
{
    build();
    monitor->refresh();
    EXPECT_TRUE(view->renderedHistory().isEmpty());  // collapsed: nothing to draw yet

    state->requestExpansion();
    EXPECT_EQ(view->renderedHistory().size(), 1);
    scheduler.advance(0.1);
    monitor->refresh();
    EXPECT_EQ(view->activitySection()->chart()->history().size(), 1);

    scheduler.advance(IslandState::morphDuration);
    ASSERT_FALSE(state->isMorphing());
    EXPECT_EQ(view->renderedHistory().size(), 2);
    monitor->refresh();
    EXPECT_EQ(view->activitySection()->chart()->history().size(), 3);
}

TEST_F(ExpandedIslandViewTest, HeaderAndLegendFollowTheSnapshotAndTab)
{
    build();
    SystemSnapshot snapshot;
    snapshot.hasBattery = true;
    snapshot.diskPercent = 92;
    publish(snapshot);
    EXPECT_EQ(view->header()->status(), QStringLiteral("Disk space is running low"));

    state->setSelectedMetric(MetricKind::power);
    EXPECT_EQ(view->activitySection()->chart()->metric(), MetricKind::power);
    EXPECT_EQ(legendLabels(*view), QStringList{"Draw"});
    snapshot.isExternalPowerConnected = true;
    snapshot.isCharging = true;
    publish(snapshot);
    EXPECT_EQ(legendLabels(*view), (QStringList{"System", "Charging"}));
}

TEST_F(ExpandedIslandViewTest, ProcessCardsRankTheirOwnTopThreeStably)
{
    build();
    SystemSnapshot snapshot;
    snapshot.memoryTotal = 1000;
    snapshot.topProcesses = {process(1, "a", 10, 50), process(2, "b", 30, 50), process(3, "c", 10, 400),
                             process(4, "d", 5, 300), process(5, "e", 10, 10)};
    publish(snapshot);
    EXPECT_EQ(rowNames(*view->leaderboard(ProcessLoadKind::cpu)), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(rowNames(*view->leaderboard(ProcessLoadKind::memory)), (QStringList{"c", "d", "a"}));
}

TEST_F(ExpandedIslandViewTest, ATabClickSavesOnlyAChange)
{
    build();
    open();
    scheduler.advance(0.12);
    MetricTabs& tabs = *view->tabs();
    int writes = defaults.writeCount();
    state->persistPreferences();
    const int writesPerSave = defaults.writeCount() - writes;
    writes = defaults.writeCount();
    click(tabs, tabs.tabRect(MetricKind::overview).center());
    EXPECT_EQ(defaults.writeCount(), writes);

    click(tabs, tabs.tabRect(MetricKind::memory).center());
    EXPECT_EQ(state->selectedMetric(), MetricKind::memory);
    EXPECT_EQ(defaults.writeCount(), writes + writesPerSave);
    view->finishTransitions();
    EXPECT_EQ(tabs.highlightRect(), tabs.tabRect(MetricKind::memory));
}

TEST(DampedSpringTest, GlidesToItsTargetWithLittleOvershootAndSettles)
{
    const DampedSpring spring = MetricTabs::highlightSpring;
    EXPECT_GT(spring.position(0.1), 0.5);
    double peak = 0;
    for (double t = 0; t < 1; t += 0.005)
        peak = std::max(peak, spring.position(t));
    EXPECT_GT(peak, 1.0);
    EXPECT_LT(peak, 1.01);
    const double settle = spring.settleDuration();
    EXPECT_LT(settle, 0.5);
    EXPECT_NEAR(spring.position(settle), 1.0, 0.001);
}

TEST_F(ExpandedIslandViewTest, SettingsButtonMarksTheInteractionAndToggles)
{
    build();
    open();
    view->header()->settingsButton()->click();
    EXPECT_TRUE(state->isInteractionPresented());
    EXPECT_TRUE(view->showsSettings());
    ASSERT_NE(view->settingsPopover(), nullptr);
    EXPECT_TRUE(view->settingsPopover()->isVisible());

    view->header()->settingsButton()->click();
    EXPECT_FALSE(view->showsSettings());
    EXPECT_EQ(view->settingsPopover(), nullptr);

    // A press inside the settings or on their button leaves them open (the
    // button toggles them itself); one anywhere else closes them, as does Escape.
    view->header()->settingsButton()->click();
    SettingsPopover* popover = view->settingsPopover();
    ASSERT_TRUE(popover);
    const QWidget* button = view->header()->settingsButton();
    popover->pointerPressed(popover->geometry().center());
    popover->pointerPressed(button->mapToGlobal(button->rect().center()));
    EXPECT_TRUE(view->showsSettings());
    popover->pointerPressed(popover->geometry().bottomRight() + QPoint(40, 40));
    EXPECT_FALSE(view->showsSettings());

    view->header()->settingsButton()->click();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(view.get(), &escape);
    EXPECT_FALSE(view->showsSettings());
    EXPECT_FALSE(state->isInteractionPresented());
}

// With 200 px left below the dashboard, the settings rise to just under its
// header, centred under it with their scroll bar, which is drawn in the
// island's dark colours.
TEST_F(ExpandedIslandViewTest, SettingsOnAShortScreenRiseToTheHeaderThenScrollInTheDark)
{
    build();
    open();
    view->resize(view->sizeHint());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    view->move(screen.left() + 10, screen.bottom() + 1 - 200 - view->height());
    view->finishTransitions();
    view->header()->settingsButton()->click();
    const QPoint origin = view->mapToGlobal(QPoint(0, 0));
    SettingsPopover& popover = *view->settingsPopover();
    EXPECT_EQ(popover.geometry().top(), origin.y() + 22 + ExpandedHeader::rowHeight);
    EXPECT_EQ(popover.geometry().bottom(), screen.bottom() - SettingsPopover::gap);
    EXPECT_GT(popover.width(), IslandSettingsView::fixedWidth);  // room for the bar
    EXPECT_EQ(popover.geometry().x() + popover.width() / 2, origin.x() + view->width() / 2);

    const QImage image = renderWidget(popover, Qt::black);
    const int barWidth = popover.width() - IslandSettingsView::fixedWidth;
    const QRect bar(IslandSettingsView::fixedWidth, 0, barWidth, image.height());
    int light = 0;
    for (int y = bar.top(); y <= bar.bottom(); ++y) {
        for (int x = bar.left(); x <= bar.right(); ++x)
            light += qGray(image.pixel(x, y)) > 160;
    }
    EXPECT_EQ(light, 0);
    EXPECT_GT(bar.width() * bar.height() - countPixels(image, Qt::black, bar, 8), 100);  // the handle shows
}

TEST_F(ExpandedIslandViewTest, PinAndPowerButtonsChangeTheState)
{
    build();
    open();
    IslandIconButton& pin = *view->header()->pinButton();
    pin.click();
    EXPECT_TRUE(state->isLockedOpen());
    EXPECT_EQ(pin.toolTip(), QStringLiteral("Unpin island"));

    const bool shown = state->showPowerFlow();
    view->powerSection()->header()->click();
    EXPECT_EQ(state->showPowerFlow(), !shown);
    EXPECT_EQ(view->powerSection()->showPowerFlow(), !shown);
}

TEST_F(ExpandedIslandViewTest, ProcessTelemetryRunsOnlyWhileTheViewExists)
{
    build();
    EXPECT_TRUE(monitor->isProcessTelemetryActive());
    view.reset();
    EXPECT_FALSE(monitor->isProcessTelemetryActive());
}

class ExpandedIslandViewRenderTest : public ExpandedIslandViewTest {
protected:
    QImage revealedImage()
    {
        scheduler.advance(0.12);
        view->finishTransitions();
        view->resize(view->sizeHint());
        return renderWidget(*view, Qt::black);
    }

    // The first row with anything but the black backdrop.
    static int firstDrawnRow(const QImage& image)
    {
        for (int y = 0; y < image.height(); ++y) {
            const QRect row(0, y, image.width(), 1);
            if (countPixels(image, Qt::black, row, 0) < image.width())
                return y;
        }
        return -1;
    }
};

// Content starts below the cut-out on a notched screen (200x32) and at 22
// without one; a shallow notch (10) still leaves the header at 18.
TEST_F(ExpandedIslandViewRenderTest, ContentStartsBelowTheNotchOrAt22)
{
    struct Row {
        std::optional<IslandDisplayGeometry> geometry;
        QSize size;
        int top;
    };
    const Row rows[] = {{std::nullopt, {580, 440}, 22}, {IslandDisplayGeometry{200, 32}, {580, 458}, 40},
                        {IslandDisplayGeometry{200, 10}, {580, 440}, 18}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.top);
        build(QStringLiteral("1"));
        if (row.geometry)
            state->setDisplayGeometry(*row.geometry);
        const QImage image = revealedImage();
        EXPECT_EQ(image.size(), row.size);
        EXPECT_EQ(view->header()->geometry().top(), row.top);
        EXPECT_GE(firstDrawnRow(image), row.top);
        EXPECT_LT(firstDrawnRow(image), row.top + ExpandedHeader::rowHeight);
    }
    // The first divider spans the column under the header, inside the side paddings.
    build(QStringLiteral("1"));
    const QImage image = revealedImage();
    const int dividerY = 22 + ExpandedHeader::rowHeight;
    EXPECT_EQ(countPixels(image, QColor(26, 26, 26), QRect(16, dividerY, 548, 1), 2), 548);
    EXPECT_EQ(countPixels(image, Qt::black, QRect(0, 0, 16, image.height()), 0), 16 * image.height());
}
