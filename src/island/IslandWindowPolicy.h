#pragma once

#include "island/WindowSystem.h"

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
// Focus: the island takes the keyboard only when clicked (so Escape works).
// It remembers the window that had the keyboard then, and gives the keyboard
// back to it when the island unpins or closes, for whatever reason, unless
// the user has meanwhile focused something else.
//
// Fullscreen: while the active window on the island's screen is fullscreen,
// the island steps aside; it comes back when that window leaves fullscreen
// or another window becomes active.
class IslandWindowPolicy final : public QObject {
    Q_OBJECT

public:
    IslandWindowPolicy(IslandState& state, WindowSystem& windows, QObject* parent = nullptr);

    // The user pressed on the island, which is about to take the keyboard
    // (where the window manager does not give it by itself).
    void islandTakesFocus();
    // The screen the island is on now.
    void setIslandScreen(const QRect& screenFrame);
    bool stepsAside() const { return stepsAside_; }

signals:
    void stepsAsideChanged(bool stepsAside);

private:
    void activeWindowChanged();
    void giveFocusBack();
    void reconsiderSteppingAside();

    IslandState& state_;
    WindowSystem& windows_;
    WindowId lastOtherWindow_ = 0;  // the last active window that was not Moravel's
    std::optional<WindowId> focusToReturn_;
    QRect islandScreen_;
    bool stepsAside_ = false;
};

}  // namespace moravel
