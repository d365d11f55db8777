#pragma once

#include <QPoint>

#include <optional>

namespace moravel {

// Decides when the pointer counts as over the island, for opening on hover.
// The X server may report a pointer position that is stale: XWayland keeps
// the last position an X11 window saw while the pointer is over Wayland
// windows. A window mapped or shrunk under that position gets an enter event
// although the pointer is elsewhere. So the island does not open on an enter
// at start or after Escape: at start it waits for the pointer to move away
// from where it was said to be (or to leave); after Escape for it to leave.
class HoverGate {
public:
    // At start: the pointer position the server reports.
    explicit HoverGate(QPoint pointerAtStart);

    // Each returns whether the pointer now counts as inside, or nothing when
    // that is unchanged.
    std::optional<bool> entered();
    std::optional<bool> left();
    std::optional<bool> moved(QPoint globalPosition);
    // Escape closed the island: the next hover needs the pointer to leave first.
    void closedByKeyboard();

private:
    enum class Wait { nothing, moveAway, leave };
    std::optional<bool> becomeInside(bool inside);

    Wait wait_ = Wait::moveAway;
    QPoint stalePosition_;
    bool inside_ = false;
};

}  // namespace moravel
