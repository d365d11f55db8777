#pragma once

#include <QPoint>

#include <optional>

namespace moravel {

// Decides when the pointer counts as over the island, for opening on hover.
// The X server may report a pointer position that is stale: XWayland keeps
// the last position an X11 window saw while the pointer is over Wayland
// windows, and a window mapped or shrunk under that position gets an enter
// event, even a motion, although the pointer has not moved (so does the
// island when it is withdrawn and shown again to hand the keyboard back).
// So the island does not open at start until the pointer has moved away from
// where the server said it was (or left), nor after Escape until it has
// left and then moved away from where it was at Escape.
class HoverGate {
public:
    // At start: the pointer position the server reports.
    explicit HoverGate(QPoint pointerAtStart);

    // Each returns whether the pointer now counts as inside, or nothing when
    // that is unchanged.
    std::optional<bool> entered();
    std::optional<bool> left();
    std::optional<bool> moved(QPoint globalPosition);
    // Escape closed the island with the pointer reported at `pointer`.
    void closedByKeyboard(QPoint pointer);

private:
    enum class Wait { nothing, moveAway, leaveThenMoveAway };
    std::optional<bool> becomeInside(bool inside);

    Wait wait_ = Wait::moveAway;
    QPoint stalePosition_;
    bool inside_ = false;
};

}  // namespace moravel
