#pragma once

#include "island/WindowSystem.h"

#include <QList>

namespace moravel::fixtures {

// A desktop whose active window and keyboard focus a test sets; records the
// windows Moravel asks to activate.
class FakeWindowSystem final : public WindowSystem {
public:
    ActiveWindow activeWindow() const override { return active; }
    bool moravelHasFocus() const override { return moravelFocused; }
    void activate(WindowId window) override { activated.append(window); }

    void setActive(const ActiveWindow& window)
    {
        active = window;
        emit activeWindowChanged();
    }

    ActiveWindow active;
    bool moravelFocused = false;
    QList<WindowId> activated;
};

}  // namespace moravel::fixtures
