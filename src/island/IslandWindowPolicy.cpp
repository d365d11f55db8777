#include "island/IslandWindowPolicy.h"

#include "island/IslandState.h"

#include <cmath>
#include <utility>

namespace moravel {

QRect islandPlacementArea(const QRect& screenFrame, const QRect& workArea, bool aroundNotch)
{
    if (aroundNotch)
        return screenFrame;
    // A window manager that reports no work area, or one off this screen, leaves the whole screen.
    const QRect area = workArea.intersected(screenFrame);
    return area.isEmpty() ? screenFrame : area;
}

QRect islandFrame(const QRect& area, const QSizeF& panelSize)
{
    const double midX = area.x() + area.width() / 2.0;
    const int x = static_cast<int>(std::round(midX - panelSize.width() * 0.5));
    return QRect(x, area.y(), static_cast<int>(std::ceil(panelSize.width())),
                 static_cast<int>(std::ceil(panelSize.height())));
}

bool islandStepsAside(const ActiveWindow& active, const QRect& islandScreen)
{
    if (active.id == 0 || active.isMoravel || !active.isFullscreen)
        return false;
    // Where either place is unknown, any fullscreen window counts.
    return islandScreen.isEmpty() || active.frame.isEmpty() || islandScreen.contains(active.frame.center());
}

IslandWindowPolicy::IslandWindowPolicy(IslandState& state, WindowSystem& windows, Scheduler& scheduler,
                                       QObject* parent)
    : QObject(parent), state_(state), windows_(windows), scheduler_(scheduler)
{
    connect(&state_, &IslandState::isLockedOpenChanged, this, [this](bool pinned) {
        if (!pinned)
            giveFocusBack();
    });
    connect(&state_, &IslandState::isExpandedChanged, this, [this](bool expanded) {
        if (!expanded)
            giveFocusBack();
    });
    connect(&windows_, &WindowSystem::activeWindowChanged, this, &IslandWindowPolicy::activeWindowChanged);
    connect(&windows_, &WindowSystem::keyboardLeftMoravel, this, &IslandWindowPolicy::keyboardLeft);
    const ActiveWindow active = windows_.activeWindow();
    if (!active.isMoravel)
        lastOtherWindow_ = active.id;
    reconsiderSteppingAside();
}

void IslandWindowPolicy::activeWindowChanged()
{
    const ActiveWindow active = windows_.activeWindow();
    settleNoWindow_.cancel();
    if (active.isMoravel) {
        // Most window managers focus a window on the click itself, before
        // the island sees the press.
        islandTakesFocus();
    } else if (active.id == 0 && windows_.moravelHasFocus()) {
        // Moravel's settings have the keyboard: the window manager does not
        // manage them, so it names no window. The window to return to stays.
    } else if (active.id != 0) {
        lastOtherWindow_ = active.id;
        // The user went elsewhere, or the keyboard came back where it belongs.
        focusToReturn_.reset();
    } else {
        // No active window at all is often only a step between two (window
        // managers unfocus one window before they focus the next); one that
        // lasts is a Wayland window or the bare desktop.
        settleNoWindow_.arm(scheduler_, noActiveWindowSettleDelay, this, [this] {
            lastOtherWindow_ = 0;
            focusToReturn_.reset();
        });
    }
    reconsiderSteppingAside();
}

void IslandWindowPolicy::islandTakesFocus()
{
    // Further clicks keep the window remembered at the first.
    if (!focusToReturn_)
        focusToReturn_ = lastOtherWindow_;
}

void IslandWindowPolicy::giveFocusBack()
{
    const std::optional<WindowId> window = std::exchange(focusToReturn_, std::nullopt);
    // Where the keyboard has moved on, the user chose where it went.
    if (!window || !windows_.moravelHasFocus())
        return;
    // Asking for a window X11 knows would be wrong when a Wayland window had
    // the keyboard: the compositor restores its own focus when Moravel lets go.
    if (*window != 0) {
        windows_.activate(*window);
        return;
    }
    windows_.releaseKeyboard();
    emit keyboardReleased();
}

void IslandWindowPolicy::keyboardLeft()
{
    // The user went to another window or the shell: a pinned island lets go
    // too, and closes unless the pointer is on it.
    focusToReturn_.reset();
    if (!state_.isLockedOpen())
        return;
    state_.setLockedOpen(false);
    if (!state_.isPointerInside() && !state_.isInteractionPresented())
        state_.scheduleCollapse();
}

void IslandWindowPolicy::setIslandScreen(const QRect& screenFrame)
{
    if (screenFrame == islandScreen_)
        return;
    islandScreen_ = screenFrame;
    reconsiderSteppingAside();
}

void IslandWindowPolicy::reconsiderSteppingAside()
{
    const bool stepsAside = islandStepsAside(windows_.activeWindow(), islandScreen_);
    if (stepsAside == stepsAside_)
        return;
    stepsAside_ = stepsAside;
    // A hidden island has no pointer over it: one opened by hovering closes as
    // the pointer leaving would close it; a pinned one stays open.
    if (stepsAside && state_.isPointerInside())
        state_.setPointerInside(false);
    emit stepsAsideChanged(stepsAside);
}

}  // namespace moravel
