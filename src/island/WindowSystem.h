#pragma once

#include <QObject>
#include <QRect>

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
// fullscreen, whether Moravel holds the keyboard, and a way to hand the
// keyboard to another window. The X11 side follows the window manager's own
// properties; tests drive a fake.
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

signals:
    // Another window became active, or the active one entered or left fullscreen.
    void activeWindowChanged();
};

}  // namespace moravel
