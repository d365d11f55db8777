#pragma once

#include "island/WindowSystem.h"

#include <QList>

namespace moravel::fixtures {

// A desktop whose active window, keyboard focus and panels a test sets;
// records the windows Moravel asks to activate, the keyboard moves and the
// struts it publishes.
class FakeWindowSystem final : public WindowSystem {
public:
    ActiveWindow activeWindow() const override { return active; }
    bool moravelHasFocus() const override { return moravelFocused; }
    void activate(WindowId window) override { activated.append(window); }
    void takeKeyboard(WindowId window) override { keyboardTaken.append(window); }
    void releaseKeyboard() override { ++keyboardReleases; }
    QString windowManagerName() const override { return {}; }
    std::optional<DesktopReservations> reservations() const override { return desktop; }
    void setStrut(WindowId, const std::optional<Strut>& strut) override { struts.append(strut); }

    void setActive(const ActiveWindow& window)
    {
        active = window;
        emit activeWindowChanged();
    }

    void setReservations(const std::optional<DesktopReservations>& reservations)
    {
        desktop = reservations;
        emit reservationsChanged();
    }

    ActiveWindow active;
    bool moravelFocused = false;
    std::optional<DesktopReservations> desktop;
    QList<WindowId> activated;
    QList<WindowId> keyboardTaken;
    int keyboardReleases = 0;
    QList<std::optional<Strut>> struts;
};

}  // namespace moravel::fixtures
