#pragma once

#include "island/IslandDisplayGeometry.h"

#include <QList>
#include <QPoint>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>

namespace moravel {

// One screen as the panel controller sees it: where it is on the desktop, in
// logical pixels, and what its top edge looks like. The work area is the
// screen less the panels reserving room along its edges; empty when unknown.
struct PanelScreen {
    QRect frame;
    ScreenDescription description;
    QRect workArea;
    // Device pixels per logical pixel: 2 on a screen scaled to 200 %.
    double devicePixelRatio = 1;
};

// The pointer position and the screen list, behind a seam that tests replace.
class ScreenEnvironment {
public:
    virtual ~ScreenEnvironment() = default;
    virtual QPoint pointerPosition() const = 0;
    // In the platform's order.
    virtual QList<PanelScreen> screens() const = 0;
    // The main screen, when there is one.
    virtual std::optional<PanelScreen> mainScreen() const = 0;
    // Called whenever a screen is added or removed, another becomes the main
    // one, or a screen or its work area changes (a panel added, moved or resized).
    virtual void setChangeHandler(std::function<void()> handler) { (void)handler; }
};

// The island's screen: the main (primary) one, else the first one.
std::optional<PanelScreen> preferredScreen(const ScreenEnvironment& environment);

// Qt's screens and cursor; the main screen carries the notch a user declared
// with MORAVEL_NOTCH.
std::unique_ptr<ScreenEnvironment> makeQtScreenEnvironment();

}  // namespace moravel
