#pragma once

#include "island/DesktopWorkArea.h"

#include <QObject>
#include <QRect>
#include <QString>

#include <optional>

namespace moravel {

// A window of the desktop, by its X11 id; 0 is none.
using WindowId = quint32;

// The window the window manager says is active, as far as the island cares.
struct ActiveWindow {
    WindowId id = 0;
    bool isMoravel = false;  // one of Moravel's own windows
    bool isFullscreen = false;
    QRect frame;  // desktop coordinates

    friend bool operator==(const ActiveWindow&, const ActiveWindow&) = default;
};

// The desktop around the island: which window is active and whether it is
// fullscreen, whether Moravel holds the keyboard, what the panels reserve
// along the screen edges, and ways to move the keyboard and to reserve room.
// The X11 side follows the window manager's own properties; tests drive a fake.
class WindowSystem : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual ActiveWindow activeWindow() const = 0;
    // One of Moravel's windows has the keyboard focus.
    virtual bool moravelHasFocus() const = 0;
    // Asks the window manager to activate `window`, as a taskbar would when
    // the user picks it there.
    virtual void activate(WindowId window) = 0;
    // Gives Moravel's `window` the keyboard, in the way window managers grant
    // to a dock the user has just pressed on.
    virtual void takeKeyboard(WindowId window) = 0;
    // Lets go of the keyboard without naming a window, so that the compositor
    // gives it back to the window it knows had it (a Wayland window, which
    // X11 cannot see).
    virtual void releaseKeyboard() = 0;
    // The name the window manager gives itself; empty without one.
    virtual QString windowManagerName() const = 0;
    // What the desktop's panels reserve; nothing where that cannot be known
    // (the toolkit's work areas count then).
    virtual std::optional<DesktopReservations> reservations() const = 0;
    // Reserves room along the screen edges for Moravel's `window`, or no
    // room at all.
    virtual void setStrut(WindowId window, const std::optional<Strut>& strut) = 0;

signals:
    // Another window became active, or the active one entered or left fullscreen.
    void activeWindowChanged();
    // A panel reserved or gave back room, or the workspace changed.
    void reservationsChanged();
    // Another window was mapped or raised (it may now cover the island).
    void stackingChanged();
    // The keyboard went from Moravel to another window or to the shell.
    void keyboardLeftMoravel();
};

}  // namespace moravel
