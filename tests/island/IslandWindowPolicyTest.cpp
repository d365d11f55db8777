#include "island/IslandState.h"
#include "island/IslandWindowPolicy.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "testsupport/FakeWindowSystem.h"

#include <gtest/gtest.h>

using namespace moravel;

namespace {

constexpr WindowId island = 0x600006, terminal = 0x40000c, browser = 0x80000c;
const QRect screen(0, 0, 1920, 1080), secondScreen(1920, 0, 1280, 1024);

ActiveWindow window(WindowId id, bool fullscreen = false, QRect frame = screen)
{
    return {id, id == island, fullscreen, frame};
}

}  // namespace

TEST(IslandPlacement, HangsFromTheWorkAreaUnlessDrawnAroundANotch)
{
    const struct {
        QRect screen;
        QRect workArea;
        bool notch;
        QSizeF size;
        QRect frame;
    } rows[] = {
        // Halves round away from zero. A notched screen (a width rounded to whole
        // pixels) and one above and right of it: see the panel controller's test.
        {QRect(0, 0, 101, 50), {}, false, {100, 10}, {1, 0, 100, 10}},
        // GNOME's 32 px top bar: below it; a declared notch stays at the very top.
        {screen, {0, 32, 1920, 1048}, false, {361, 40}, {780, 32, 361, 40}},
        {screen, {0, 32, 1920, 1048}, true, {581, 32}, {670, 0, 581, 32}},
        // A panel down the left edge: centred in what is left.
        {screen, {48, 0, 1872, 1080}, false, {580, 440}, {48 + 646, 0, 580, 440}},
        // A work area reported for another screen only leaves this one whole.
        {secondScreen, {0, 32, 1920, 1048}, false, {580, 440}, {1920 + 350, 0, 580, 440}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.frame.x());
        EXPECT_EQ(islandFrame(islandPlacementArea(row.screen, row.workArea, row.notch), row.size), row.frame);
    }
}

class IslandWindowPolicyTest : public ::testing::Test {
protected:
    IslandWindowPolicyTest() { windows.setActive(window(terminal)); }

    // The user clicks the island: the window manager may focus it at once.
    void clickIsland(bool windowManagerFocuses)
    {
        if (windowManagerFocuses) {
            windows.setActive({});  // unfocused on the way
            windows.setActive(window(island));
        }
        policy.islandTakesFocus();
        windows.moravelFocused = true;
        state.toggleLockedOpen();
    }

    MemoryDefaultsStore defaults;
    VirtualScheduler scheduler;
    IslandState state{defaults, scheduler, std::nullopt};
    fixtures::FakeWindowSystem windows;
    IslandWindowPolicy policy{state, windows, scheduler};
};

TEST_F(IslandWindowPolicyTest, GivesTheKeyboardBackWhenTheIslandUnpinsOrCloses)
{
    const std::function<void(IslandState&)> closings[] = {
        [](IslandState& s) { s.toggleLockedOpen(); },    // the pin button
        [](IslandState& s) { s.requestCollapse(true); },
    };
    for (bool windowManagerFocuses : {false, true}) {
        for (const auto& close : closings) {
            windows.activated.clear();
            clickIsland(windowManagerFocuses);
            ASSERT_TRUE(state.isLockedOpen());
            // Meanwhile the settings, a window no window manager names, had the keyboard.
            windows.setActive({});
            scheduler.advance(IslandWindowPolicy::noActiveWindowSettleDelay * 2);
            close(state);
            scheduler.advance(1);
            EXPECT_EQ(windows.activated, QList<WindowId>{terminal});
            windows.setActive(window(terminal));
            windows.moravelFocused = false;
            state.setLockedOpen(false);
        }
    }
    // Hovering never took the keyboard, so closing gives nothing back.
    windows.activated.clear();
    state.setPointerInside(true);
    state.setPointerInside(false);
    scheduler.advance(1);
    EXPECT_TRUE(windows.activated.isEmpty());
}

TEST_F(IslandWindowPolicyTest, LeavesTheKeyboardWhereTheUserPutItMeanwhile)
{
    clickIsland(true);
    windows.setActive(window(browser));  // clicked the browser
    windows.moravelFocused = false;
    state.toggleLockedOpen();
    EXPECT_TRUE(windows.activated.isEmpty());

    // The keyboard left Moravel without another window becoming active (the bare desktop).
    clickIsland(false);
    windows.moravelFocused = false;
    state.toggleLockedOpen();
    EXPECT_TRUE(windows.activated.isEmpty());

    // The next click remembers the browser, the window active before it.
    clickIsland(true);
    state.toggleLockedOpen();
    EXPECT_EQ(windows.activated, QList<WindowId>{browser});
}

// Under GNOME a Wayland window's keyboard is invisible to X11: the active
// window is none. Moravel lets go instead of activating the last X11 window.
TEST_F(IslandWindowPolicyTest, LetsGoOfTheKeyboardWhenNoX11WindowHadIt)
{
    int released = 0;
    QObject::connect(&policy, &IslandWindowPolicy::keyboardReleased, [&released] { ++released; });
    windows.setActive({});  // the user typed in a Wayland window
    scheduler.advance(IslandWindowPolicy::noActiveWindowSettleDelay);
    clickIsland(true);
    state.toggleLockedOpen();
    EXPECT_TRUE(windows.activated.isEmpty());
    EXPECT_EQ(windows.keyboardReleases, 1);
    EXPECT_EQ(released, 1);

    // A moment without an active window on the way to the island is no such window.
    windows.setActive(window(terminal));
    windows.setActive({});
    scheduler.advance(IslandWindowPolicy::noActiveWindowSettleDelay / 2);
    clickIsland(true);
    scheduler.advance(1);
    state.toggleLockedOpen();
    EXPECT_EQ(windows.activated, QList<WindowId>{terminal});
    EXPECT_EQ(windows.keyboardReleases, 1);
}

// The keyboard going elsewhere (another window, the shell) unpins the island,
// which closes unless the pointer is on it, and gives nothing back.
TEST_F(IslandWindowPolicyTest, KeyboardLeavingUnpinsTheIsland)
{
    clickIsland(true);
    windows.moravelFocused = false;
    emit windows.keyboardLeftMoravel();
    EXPECT_FALSE(state.isLockedOpen());
    scheduler.advance(1);
    EXPECT_FALSE(state.isExpanded());
    EXPECT_TRUE(windows.activated.isEmpty());

    clickIsland(true);
    state.setPointerInside(true);
    emit windows.keyboardLeftMoravel();
    scheduler.advance(1);
    EXPECT_FALSE(state.isLockedOpen());
    EXPECT_TRUE(state.isExpanded());
}

// Only for a fullscreen active window on its own screen (or one whose place is unknown).
TEST_F(IslandWindowPolicyTest, StepsAsideWhileTheActiveWindowIsFullscreen)
{
    policy.setIslandScreen(screen);
    int changes = 0;
    QObject::connect(&policy, &IslandWindowPolicy::stepsAsideChanged, [&changes] { ++changes; });
    state.setPointerInside(true);
    windows.setActive(window(terminal, true));
    EXPECT_TRUE(policy.stepsAside());
    EXPECT_FALSE(state.isPointerInside());  // an island opened by hovering closes
    windows.setActive(window(terminal));     // leaves fullscreen
    EXPECT_FALSE(policy.stepsAside());
    windows.setActive(window(island, true));
    EXPECT_FALSE(policy.stepsAside());
    windows.setActive(window(browser, true, secondScreen));
    EXPECT_FALSE(policy.stepsAside());
    policy.setIslandScreen(secondScreen);  // the island moved to that screen
    EXPECT_TRUE(policy.stepsAside());
    windows.setActive(window(browser, true, {}));
    EXPECT_TRUE(policy.stepsAside());
    windows.setActive({});
    EXPECT_FALSE(policy.stepsAside());
    EXPECT_EQ(changes, 4);
}
