#pragma once

#include "island/WindowSystem.h"
#include "support/Scheduler.h"

#include <QObject>
#include <QRect>
#include <QSizeF>

#include <optional>

namespace moravel {

class IslandState;

// The part of a screen the island hangs from and is centred in: the work area
// (the screen less the panels that reserve room along its edges), or the
// whole screen when the island is drawn around a camera notch, which is at
// the screen's very top.
QRect islandPlacementArea(const QRect& screenFrame, const QRect& workArea, bool aroundNotch);

// The panel's frame in that area: centred across it (halves rounded away from
// zero), its top edge on the area's top edge. X11 windows have whole-pixel
// sizes, so a fractional size is rounded up.
QRect islandFrame(const QRect& area, const QSizeF& panelSize);

// An active fullscreen window on the island's screen (video, a game, a
// presentation) hides the island.
bool islandStepsAside(const ActiveWindow& active, const QRect& islandScreen);

// How the island behaves among the other windows of the desktop.
//
// Focus: the island takes the keyboard only when clicked or pinned (so
// Escape works). It remembers the window that had the keyboard then, and
// gives the keyboard back to it when the island unpins or closes, for
// whatever reason, unless the user has meanwhile focused something else.
// Where no X11 window had it (a Wayland window under GNOME, the bare
// desktop), Moravel lets go of the keyboard instead of naming a window.
// The keyboard leaving the island for another window or the shell unpins it.
//
// Fullscreen: while the active window on the island's screen is fullscreen,
// the island steps aside; it comes back when that window leaves fullscreen
// or another window becomes active.
class IslandWindowPolicy final : public QObject {
    Q_OBJECT

public:
    // An active window of none that lasts this long is taken as the keyboard
    // being with a window X11 cannot see, not as a step between two windows.
    static constexpr double noActiveWindowSettleDelay = 0.3;

    IslandWindowPolicy(IslandState& state, WindowSystem& windows, Scheduler& scheduler, QObject* parent = nullptr);

    // The user pressed on the island, which is about to take the keyboard
    // (where the window manager does not give it by itself).
    void islandTakesFocus();
    // The screen the island is on now.
    void setIslandScreen(const QRect& screenFrame);
    bool stepsAside() const { return stepsAside_; }

signals:
    void stepsAsideChanged(bool stepsAside);
    // Moravel let go of the keyboard rather than naming a window.
    void keyboardReleased();

private:
    void activeWindowChanged();
    void giveFocusBack();
    void reconsiderSteppingAside();
    void keyboardLeft();

    IslandState& state_;
    WindowSystem& windows_;
    Scheduler& scheduler_;
    // The last active window that was not Moravel's; 0 for none, or one X11 cannot see.
    WindowId lastOtherWindow_ = 0;
    TaskSlot settleNoWindow_;
    std::optional<WindowId> focusToReturn_;
    QRect islandScreen_;
    bool stepsAside_ = false;
};

}  // namespace moravel
