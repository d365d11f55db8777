#include "ViewTestSupport.h"

#include "island/IslandState.h"
#include "views/chart/ActivityChart.h"
#include "views/collapsed/CollapsedIslandView.h"
#include "views/chart/ActivitySection.h"
#include "views/dashboard/CpuCoreStrip.h"
#include "views/dashboard/ExpandedHeader.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/dashboard/GpuList.h"
#include "views/dashboard/HealthRail.h"
#include "views/dashboard/MetricTabs.h"
#include "views/dashboard/ProcessLeaderboard.h"
#include "views/dashboard/SensorList.h"
#include "views/kit/IslandIconButton.h"
#include "views/kit/IslandPalette.h"
#include "views/power/PowerFlowSection.h"
#include "views/settings/IslandSettingsView.h"
#include "views/settings/SettingsPopover.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QScreen>

#include <gtest/gtest.h>

using namespace moravel;
using moravel::testing::click;
using moravel::testing::countPixels;
using moravel::testing::renderWidget;

class ExpandedIslandViewTest : public ::testing::Test, protected moravel::testing::ViewServices {
protected:
    ExpandedIslandViewTest() { build(); }

    // `environment` as MORAVEL_ISLAND_EXPANDED: "1" starts the island open.
    void build(std::optional<QString> environment = std::nullopt)
    {
        view.reset();
        state = std::make_unique<IslandState>(defaults, scheduler, environment);
        view = std::make_unique<ExpandedIslandView>(services());
    }

    ExpandedIslandView::Services services()
    {
        return {monitor, *state, updater, coordinator, scheduler, loginItem};
    }

    // Opens the island and waits until the content is shown.
    void open()
    {
        state->requestExpansion();
        scheduler.advance(IslandState::contentDelay);
        ASSERT_TRUE(state->showsExpandedContent());
    }

    bool shows(QWidget* row) { return row->isVisibleTo(view.get()); }

    std::unique_ptr<IslandState> state;
    std::unique_ptr<ExpandedIslandView> view;
};

// Four steps once the content is shown, not while the panel still grows,
// each bringing its rows; a forced close hides them all at once.
TEST_F(ExpandedIslandViewTest, RevealsInFourStepsOnceTheContentIsShown)
{
    state->requestExpansion();
    scheduler.advance(0.06);
    EXPECT_EQ(view->revealPhase(), 0);
    scheduler.advance(IslandState::contentDelay - 0.06);
    EXPECT_EQ(view->revealPhase(), 1);
    view->finishTransitions();
    EXPECT_TRUE(shows(view->header()));
    EXPECT_FALSE(shows(view->tabs()));
    EXPECT_FALSE(shows(view->healthRail()));

    scheduler.advance(0.09);
    EXPECT_EQ(view->revealPhase(), 3);
    scheduler.advance(0.04);
    EXPECT_EQ(view->revealPhase(), 4);
    view->finishTransitions();
    EXPECT_TRUE(shows(view->healthRail()));
    EXPECT_TRUE(shows(view->powerSection()));

    state->requestCollapse(true);
    EXPECT_EQ(view->revealPhase(), 0);
    EXPECT_FALSE(shows(view->header()));

    build(QStringLiteral("1"));  // started open: revealed at once
    scheduler.advance(0);
    EXPECT_EQ(view->revealPhase(), 1);
    scheduler.advance(0.12);
    EXPECT_EQ(view->revealPhase(), 4);
}

TEST_F(ExpandedIslandViewTest, ClosingAndReopeningQuicklyStillEndsFullyRevealed)
{
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
}

TEST_F(ExpandedIslandViewTest, ChartHistoryIsHeldWhileThePanelMorphs)
{
    monitor.refresh();  // a baseline: no sample
    monitor.refresh();
    EXPECT_TRUE(view->renderedHistory().isEmpty());  // collapsed: nothing to draw yet

    state->requestExpansion();
    EXPECT_EQ(view->renderedHistory().size(), 1);
    scheduler.advance(0.1);
    monitor.refresh();
    EXPECT_EQ(view->activitySection()->chart()->history().size(), 1);

    scheduler.advance(IslandState::morphDuration);
    ASSERT_FALSE(state->isMorphing());
    EXPECT_EQ(view->renderedHistory().size(), 2);
    monitor.refresh();
    EXPECT_EQ(view->activitySection()->chart()->history().size(), 3);
}

// Tabs come and go with the machine's readings, the chosen one kept; the CPU
// tab, clicked, brings its core strip, the Sensors tab lists the sensors in place of
// the process cards.
TEST_F(ExpandedIslandViewTest, TabsFollowTheReadingsTheMachineHas)
{
    using K = MetricKind;
    open();
    scheduler.advance(1);
    view->finishTransitions();
    SystemSnapshot snapshot = fixtures::busySnapshot();
    emit monitor.snapshotChanged(snapshot);
    EXPECT_EQ(view->tabs()->available(), (QList<K>{K::overview, K::cpu, K::memory, K::network, K::power}));
    state->setSelectedMetric(K::gpu);
    EXPECT_EQ(view->shownTab(), K::overview);

    snapshot.cpu->corePercents = QList<double>(16, 60.0);
    snapshot.loadAverage = std::array<double, 3>{2.5, 1.25, 0.5};
    snapshot.temperatures =
        QList<SensorReading>{{"coretemp", "Package id 0", 81, 100, 80}, {"nvme", "Composite", 38, {}, {}}};
    snapshot.gpus = QList<GpuReading>{{"Radeon RX 6600", 42, 1'000'000'000, 8'000'000'000, 54}};
    emit monitor.snapshotChanged(snapshot);
    EXPECT_EQ(view->tabs()->available(),
              (QList<K>{K::overview, K::cpu, K::memory, K::network, K::power, K::temperature, K::gpu}));
    EXPECT_EQ(view->shownTab(), K::gpu);
    // The GPUs are listed one a row where the process cards are.
    EXPECT_TRUE(view->gpuList()->isVisibleTo(view.get()));
    EXPECT_EQ(view->gpuList()->rows(),
              (QList<GpuRow>{{"Radeon RX 6600", "42%", Level::normal, "954 MiB of 7.5 GiB", "54°C", Level::normal}}));
    // The core strip keeps its room under the chart, so the chart does not jump between tabs.
    EXPECT_EQ(view->coreStrip()->height(), CpuCoreStrip::heightFor(16));

    MetricTabs& tabs = *view->tabs();
    click(tabs, tabs.tabRect(K::cpu).center());
    EXPECT_EQ(state->selectedMetric(), K::cpu);
    view->finishTransitions();
    EXPECT_EQ(tabs.highlightRect(), tabs.tabRect(K::cpu));
    EXPECT_GT(view->coreStrip()->height(), 10);
    EXPECT_EQ(view->activitySection()->detail(), QStringLiteral("Load 2.50 · 1.25 · 0.50"));
    state->setSelectedMetric(K::temperature);
    EXPECT_TRUE(shows(view->sensorList()));
    EXPECT_FALSE(shows(view->leaderboard(ProcessLoadKind::cpu)));
    EXPECT_EQ(view->sensorList()->lines().size(), 4);
}

// The header, the chart and its legend, and both process cards follow each
// snapshot and the chosen tab.
TEST_F(ExpandedIslandViewTest, EveryPartFollowsTheSnapshotAndTab)
{
    SystemSnapshot snapshot = fixtures::onBattery(50);
    snapshot.disk->percent = 92;
    snapshot.memory->total = 1000;
    snapshot.topProcesses =
        QList<ProcessMetric>{{1, "a", 10, 50}, {2, "b", 30, 50}, {3, "c", 10, 400}, {4, "d", 5, 300}, {5, "e", 10, 10}};
    emit monitor.snapshotChanged(snapshot);
    EXPECT_EQ(view->header()->status(), QStringLiteral("Disk space is running low"));
    const auto names = [&](ProcessLoadKind kind) {
        QStringList shown;
        for (const ProcessLeaderRow* row : view->leaderboard(kind)->findChildren<ProcessLeaderRow*>()) {
            if (!row->isHidden())
                shown.append(row->process().name);
        }
        return shown;
    };
    EXPECT_EQ(names(ProcessLoadKind::cpu), (QStringList{"b", "a", "c"}));  // ties keep their order
    EXPECT_EQ(names(ProcessLoadKind::memory), (QStringList{"c", "d", "a"}));

    state->setSelectedMetric(MetricKind::power);
    EXPECT_EQ(view->activitySection()->chart()->metric(), MetricKind::power);
    EXPECT_EQ(view->activitySection()->legend().size(), 1);  // the draw alone
    emit monitor.snapshotChanged(fixtures::onAdapter(50, 30, 18, true));
    EXPECT_EQ(view->activitySection()->legend().size(), 2);  // the system and the charging
}

// Another machine is named in the header; out of reach, the header says so
// (why, on hover and to screen readers) and its last readings are greyed,
// collapsed and expanded, until it answers.
TEST_F(ExpandedIslandViewTest, AnotherMachineOutOfReachIsToldGreyedAndRecovers)
{
    auto remote = std::make_shared<fixtures::FakeSource>();
    remote->machine = QStringLiteral("nas.lan");
    remote->everySecond = [](SystemSnapshot& next) { next.cpu = CpuReading{20}; };
    monitor.replaceSource(remote);
    open();
    scheduler.advance(1);
    view->finishTransitions();
    CollapsedIslandView collapsed(monitor, *state, scheduler);
    collapsed.resize(400, 40);
    const auto fadeOf = [](QWidget* row) {
        auto* fade = qobject_cast<QGraphicsOpacityEffect*>(row->graphicsEffect());
        return fade ? fade->opacity() : 1.0;
    };
    const auto brightPixels = [&] { return countPixels(renderWidget(collapsed, Qt::black), Qt::white, 40); };

    for (const char* failure : {"", "Connection refused", "the exporter refused the credentials (HTTP 401)", ""}) {
        const bool reachable = failure[0] == '\0';
        remote->failure = reachable ? std::nullopt : std::optional<QString>(failure);
        monitor.refresh();
        EXPECT_EQ(view->header()->badgeText(), "nas.lan");
        EXPECT_EQ(view->header()->status(), reachable ? "nas.lan is running well" : "Can't reach nas.lan");
        EXPECT_EQ(view->header()->toolTip(), failure);
        EXPECT_EQ(view->header()->accessibleDescription(),
                  reachable ? "nas.lan is running well" : QStringLiteral("Can't reach nas.lan: %1").arg(failure));
        EXPECT_EQ(view->leaderboard(ProcessLoadKind::cpu)->emptyText(), "Not available from nas.lan");
        EXPECT_DOUBLE_EQ(fadeOf(view->activitySection()), reachable ? 1.0 : 0.4);
        EXPECT_DOUBLE_EQ(fadeOf(view->header()), 1.0);
        EXPECT_EQ(brightPixels() > 0, reachable) << reachable;
    }
}

TEST_F(ExpandedIslandViewTest, HeaderButtonsPinToggleThePowerFlowAndTheSettings)
{
    open();
    IslandIconButton& pin = *view->header()->pinButton();
    // Pinned is plain to see: the pin lit in the accent colour on a tinted circle.
    const auto lit = [&] { return countPixels(renderWidget(pin, Qt::black), IslandPalette::cyan(), 40); };
    EXPECT_EQ(lit(), 0);
    pin.click();
    EXPECT_TRUE(state->isLockedOpen());
    EXPECT_EQ(pin.toolTip(), QStringLiteral("Unpin island"));
    EXPECT_GT(lit(), 20);
    const bool shown = state->showPowerFlow();
    view->powerSection()->header()->click();
    EXPECT_EQ(state->showPowerFlow(), !shown);
    EXPECT_EQ(view->powerSection()->showPowerFlow(), !shown);

    QAbstractButton& settings = *view->header()->settingsButton();
    settings.click();
    EXPECT_TRUE(state->isInteractionPresented());
    ASSERT_NE(view->settingsPopover(), nullptr);
    EXPECT_TRUE(view->settingsPopover()->isVisible());
    settings.click();
    EXPECT_FALSE(view->showsSettings());
    EXPECT_EQ(view->settingsPopover(), nullptr);

    // A press inside the settings or on their button leaves them open (the
    // button toggles them itself); one anywhere else closes them, as does Escape.
    settings.click();
    SettingsPopover& popover = *view->settingsPopover();
    popover.pointerPressed(popover.geometry().center());
    popover.pointerPressed(settings.mapToGlobal(settings.rect().center()));
    EXPECT_TRUE(view->showsSettings());
    popover.pointerPressed(popover.geometry().bottomRight() + QPoint(40, 40));
    EXPECT_FALSE(view->showsSettings());

    settings.click();
    moravel::testing::pressKey(*view, Qt::Key_Escape);
    EXPECT_FALSE(view->showsSettings());
    EXPECT_FALSE(state->isInteractionPresented());
}

// Opened from the keyboard on the gear, the settings take it, their
// first control focused; Tab and Shift+Tab go round inside them; Escape gives
// the keyboard back to the island, on the gear. Opened by a pointer, they take
// nothing.
TEST_F(ExpandedIslandViewTest, SettingsOpenedWithTheKeyboardKeepItUntilEscape)
{
    QList<QWidget*> givenTo;
    ExpandedIslandView::Services keyboardServices = services();
    keyboardServices.giveKeyboardTo = [&givenTo](QWidget* window) {
        givenTo.append(window);
        if (window)
            window->activateWindow();
    };
    view = std::make_unique<ExpandedIslandView>(keyboardServices);
    open();
    view->show();
    view->finishTransitions();
    QAbstractButton& gear = *view->header()->settingsButton();
    using moravel::testing::typeKey;

    gear.click();  // the keyboard is elsewhere
    EXPECT_TRUE(givenTo.isEmpty());
    EXPECT_EQ(view->settingsPopover()->focusWidget(), nullptr);
    gear.click();

    view->activateWindow();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), view.get());
    gear.setFocus(Qt::TabFocusReason);
    typeKey(gear, Qt::Key_Space);
    SettingsPopover* popover = view->settingsPopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(givenTo, QList<QWidget*>{popover});
    QCoreApplication::processEvents();
    QWidget* first = popover->focusWidget();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), first);

    QList<QWidget*> visited{first};
    for (QWidget* now = first;;) {
        typeKey(*now, Qt::Key_Tab);
        now = QApplication::focusWidget();
        ASSERT_TRUE(now && popover->isAncestorOf(now)) << now;
        if (now == first)
            break;
        ASSERT_FALSE(visited.contains(now)) << now->objectName().toStdString();
        visited.append(now);
    }
    EXPECT_GT(visited.size(), 10);
    for (const QWidget* control : visited)  // the first is the topmost
        EXPECT_LE(first->mapToGlobal(QPoint()).y(), control->mapToGlobal(QPoint()).y() + 4);
    typeKey(*first, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), visited.last());

    view->header()->pinButton()->setFocus();  // the island's focus moved meanwhile: Escape still lands on the gear
    typeKey(*visited.last(), Qt::Key_Escape);
    EXPECT_FALSE(view->showsSettings());
    EXPECT_EQ(givenTo.last(), view.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), view.get());
    EXPECT_EQ(QApplication::focusWidget(), &gear);
}

// A range chosen beside the chart's title holds when the island opens again.
TEST_F(ExpandedIslandViewTest, ChosenChartRangeOutlivesTheDashboard)
{
    ActivitySection& section = *view->activitySection();
    click(section, section.rangeRect(ChartRange::day).center());
    EXPECT_EQ(state->chartRange(), ChartRange::day);
    EXPECT_EQ(section.chart()->range(), ChartRange::day);
    view = std::make_unique<ExpandedIslandView>(services());
    EXPECT_EQ(view->activitySection()->chart()->range(), ChartRange::day);
}

// On a screen too short for them, the settings scroll, with a bar in the
// island's dark colours.
TEST_F(ExpandedIslandViewTest, SettingsOnAShortScreenScrollInTheDark)
{
    open();
    view->resize(view->sizeHint());
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    view->move(screen.topLeft());
    view->finishTransitions();
    view->header()->settingsButton()->click();
    SettingsPopover& popover = *view->settingsPopover();
    EXPECT_LE(popover.geometry().bottom(), screen.bottom());
    const QRect panel = popover.panelGeometry().translated(-popover.pos());
    const int column = panel.left() + 1 + IslandSettingsView::fixedWidth;
    ASSERT_GT(panel.right() - 1, column);  // room for the bar

    const QImage image = renderWidget(popover, Qt::black);
    const QRect bar(column, panel.top() + 1, panel.right() - column, panel.height() - 2);
    EXPECT_EQ(countPixels(image, Qt::white, bar, 95), 0);                               // nothing light
    EXPECT_GT(bar.width() * bar.height() - countPixels(image, Qt::black, bar, 8), 100);  // the handle shows
}

// Content starts below the cut-out on a notched screen (200x32) and at 22
// without one; a shallow notch (10) still leaves the header at 18.
TEST_F(ExpandedIslandViewTest, ContentStartsBelowTheNotchOrAt22)
{
    const auto revealed = [this](std::optional<IslandDisplayGeometry> geometry) {
        build(QStringLiteral("1"));
        if (geometry)
            state->setDisplayGeometry(*geometry);
        scheduler.advance(0.12);
        view->finishTransitions();
        view->resize(view->sizeHint());
        return renderWidget(*view, Qt::black);
    };
    const auto firstDrawnRow = [](const QImage& image) {
        int y = 0;
        while (y < image.height() && countPixels(image, Qt::black, QRect(0, y, image.width(), 1), 0) == image.width())
            ++y;
        return y;
    };
    const struct {
        std::optional<IslandDisplayGeometry> geometry;
        QSize size;
        int top;
    } rows[] = {{std::nullopt, {580, 440}, 22}, {IslandDisplayGeometry{200, 32}, {580, 458}, 40},
                {IslandDisplayGeometry{200, 10}, {580, 440}, 18}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.top);
        const QImage image = revealed(row.geometry);
        EXPECT_EQ(image.size(), row.size);
        EXPECT_EQ(view->header()->geometry().top(), row.top);
        EXPECT_GE(firstDrawnRow(image), row.top);
        EXPECT_LT(firstDrawnRow(image), row.top + ExpandedHeader::rowHeight);
    }
}
