#include "island/HoverGate.h"

namespace moravel {

HoverGate::HoverGate(QPoint pointerAtStart) : stalePosition_(pointerAtStart) {}

std::optional<bool> HoverGate::becomeInside(bool inside)
{
    if (inside == inside_)
        return std::nullopt;
    inside_ = inside;
    return inside;
}

std::optional<bool> HoverGate::entered()
{
    if (wait_ != Wait::nothing)
        return std::nullopt;
    return becomeInside(true);
}

std::optional<bool> HoverGate::left()
{
    // At start a leave shows the position is real; after Escape it is only the first step.
    wait_ = wait_ == Wait::leaveThenMoveAway ? Wait::moveAway : Wait::nothing;
    return becomeInside(false);
}

std::optional<bool> HoverGate::moved(QPoint globalPosition)
{
    if (wait_ == Wait::leaveThenMoveAway || (wait_ == Wait::moveAway && globalPosition == stalePosition_))
        return std::nullopt;
    wait_ = Wait::nothing;
    return becomeInside(true);
}

void HoverGate::closedByKeyboard(QPoint pointer)
{
    wait_ = Wait::leaveThenMoveAway;
    stalePosition_ = pointer;
    inside_ = false;
}

}  // namespace moravel
