#include "app/AppDelegate.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Application.h"
#include "testsupport/FakeScreens.h"
#include "testsupport/StubLoginItem.h"
#include "testsupport/StubUpdater.h"
#include "views/panel/IslandPanel.h"
#include "views/panel/IslandPanelController.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace moravel;

// Launched open (as with MORAVEL_ISLAND_EXPANDED=1): the island is placed and
// shown, sampling starts with one sample, the updater reports to the
// coordinator, Escape reaches the island; quitting stops the sampling.
TEST(AppDelegate, LaunchShowsThePlacedIslandStartsSamplingAndQuitStopsIt)
{
    fixtures::ensureApplication<QApplication>();
    VirtualScheduler scheduler;
    MemoryDefaultsStore defaults;
    fixtures::StubLoginItem loginItem;
    AppDelegate delegate(AppEnvironment{
        scheduler, defaults, loginItem, std::make_shared<TelemetrySource>(), [] {
            auto screens = std::make_unique<fixtures::FakeScreens>();
            screens->list = {fixtures::FakeScreens::screen({0, 0, 1440, 900})};
            return screens;
        },
        [](Scheduler&, DefaultsStore&) { return std::make_unique<fixtures::StubUpdater>(); }, QStringLiteral("1")});
    delegate.applicationWillTerminate();  // before launch: nothing to stop
    EXPECT_EQ(delegate.monitor(), nullptr);

    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(delegate.monitor());
    EXPECT_EQ(delegate.monitor()->updateCount(), 1);  // the first sample, before any tick
    IslandPanelController& controller = *delegate.panelController();
    EXPECT_TRUE(controller.panel().isVisible());
    EXPECT_EQ(controller.panel().geometry(), QRect(720 - 290, 0, 580, 440));
    EXPECT_EQ(delegate.updater()->delegate(), &delegate.updateCheckCoordinator());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&controller.panel(), &escape);
    EXPECT_FALSE(controller.state().isLockedOpen());
    EXPECT_FALSE(controller.state().showsExpandedContent());

    delegate.applicationWillTerminate();
    EXPECT_FALSE(delegate.monitor()->isStarted());
    scheduler.advance(5);
    EXPECT_EQ(delegate.monitor()->updateCount(), 1);
}
