#include "app/AppDelegate.h"
#include "alerts/AlertCenter.h"
#include "history/HistoryFile.h"
#include "island/IslandState.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Application.h"
#include "testsupport/FakeAlertNotifier.h"
#include "testsupport/FakeScreens.h"
#include "testsupport/FakeSource.h"
#include "testsupport/StubLoginItem.h"
#include "testsupport/StubUpdater.h"
#include "views/panel/IslandPanel.h"
#include "views/panel/IslandPanelController.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace moravel;

namespace {

// The application on one 1440x900 screen, its history kept in a private folder.
struct Launch {
    explicit Launch(std::optional<QString> expanded,
                    std::shared_ptr<TelemetrySource> source = std::make_shared<TelemetrySource>())
        : delegate(AppEnvironment{scheduler, defaults, loginItem, std::move(source),
                                  [] {
                                      auto screens = std::make_unique<fixtures::FakeScreens>();
                                      screens->list = {fixtures::FakeScreens::screen({0, 0, 1440, 900})};
                                      return screens;
                                  },
                                  [](Scheduler&, DefaultsStore&) { return std::make_unique<fixtures::StubUpdater>(); },
                                  std::move(expanded),
                                  [this] {
                                      auto fake = std::make_unique<fixtures::FakeAlertNotifier>();
                                      notifier = fake.get();
                                      return fake;
                                  },
                                  state.filePath("history.json")})
    {
    }
    const bool hasApplication = (fixtures::ensureApplication<QApplication>(), true);  // before anything below
    QTemporaryDir state;
    fixtures::FakeAlertNotifier* notifier = nullptr;
    VirtualScheduler scheduler;
    MemoryDefaultsStore defaults;
    fixtures::StubLoginItem loginItem;
    AppDelegate delegate;
};

}  // namespace

// Launched open (as with MORAVEL_ISLAND_EXPANDED=1): the island is placed and
// shown, sampling starts with one sample, the updater reports to the
// coordinator, Escape reaches the island; quitting stops the sampling.
TEST(AppDelegate, LaunchShowsThePlacedIslandStartsSamplingAndQuitStopsIt)
{
    Launch launch(QStringLiteral("1"));
    launch.delegate.applicationWillTerminate();  // before launch: nothing to stop
    EXPECT_EQ(launch.delegate.monitor(), nullptr);

    launch.delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(launch.delegate.monitor());
    EXPECT_EQ(launch.delegate.monitor()->updateCount(), 1);  // the first sample, before any tick
    IslandPanelController& controller = *launch.delegate.panelController();
    EXPECT_TRUE(controller.panel().isVisible());
    EXPECT_EQ(controller.panel().geometry(), QRect(720 - 290, 0, 580, 440));
    EXPECT_EQ(launch.delegate.updater()->delegate(), &launch.delegate.updateCheckCoordinator());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&controller.panel(), &escape);
    EXPECT_FALSE(controller.state().isLockedOpen());
    EXPECT_FALSE(controller.state().showsExpandedContent());

    launch.delegate.applicationWillTerminate();
    EXPECT_FALSE(launch.delegate.monitor()->isStarted());
    launch.scheduler.advance(5);
    EXPECT_EQ(launch.delegate.monitor()->updateCount(), 1);
}

TEST(AppDelegate, AClickOnAnAlertOpensTheIslandPinnedOnItsTabAndQuitKeepsTheHistory)
{
    auto source = std::make_shared<fixtures::FakeSource>();
    source->initial.memory = MemoryReading{0, 0, 100};
    source->everySecond = [](SystemSnapshot& next) { next.memory->percent = 97; };
    Launch launch(std::nullopt, source);
    launch.delegate.applicationDidFinishLaunching();
    launch.scheduler.advance(300);
    source->runPending();
    launch.scheduler.advance(AlertCenter::processSampleSpacing);
    source->runPending();
    ASSERT_TRUE(launch.notifier);
    ASSERT_EQ(launch.notifier->shown.size(), 1);
    EXPECT_EQ(launch.notifier->shown[0].summary, "Memory at 97 % for 5 minutes");

    launch.notifier->click(AlertRule::memory);
    const IslandState& state = launch.delegate.panelController()->state();
    EXPECT_EQ(state.selectedMetric(), MetricKind::memory);
    EXPECT_TRUE(state.isLockedOpen());
    EXPECT_TRUE(state.isExpanded());

    launch.delegate.applicationWillTerminate();
    const auto kept = HistoryFile::read(launch.state.filePath("history.json"),
                                        launch.scheduler.currentDateTime().toSecsSinceEpoch());
    ASSERT_TRUE(std::holds_alternative<QList<MinuteBucket>>(kept));
    EXPECT_EQ(std::get<QList<MinuteBucket>>(kept).size(), 6);  // five whole minutes and the one begun
    EXPECT_DOUBLE_EQ(std::get<QList<MinuteBucket>>(kept).last()[Series::memory].mean, 97);
}
