#pragma once

#include <QString>

#include <optional>

namespace moravel {

// How the island's window lives among the others.
enum class IslandWindowMode {
    // A dock: the window manager keeps it above the other windows, on every
    // workspace, and gives it the keyboard when clicked.
    dock,
    // Placed and stacked by Moravel itself (override-redirect), for window
    // managers that tile every window or ignore what a dock asks for. It takes
    // the keyboard only while pinned, through a grab.
    unmanaged,
};

struct IslandWindowModeChoice {
    IslandWindowMode mode = IslandWindowMode::dock;
    QString warning;  // one line for standard error; empty when all is well
};

inline constexpr char islandWindowModeVariable[] = "MORAVEL_WINDOW";

// The mode for the window manager named `windowManagerName` (the name on its
// _NET_SUPPORTING_WM_CHECK window; empty without one), unless MORAVEL_WINDOW
// (`override`) says "dock" or "unmanaged".
IslandWindowModeChoice chooseIslandWindowMode(const QString& windowManagerName, const std::optional<QString>& override);

}  // namespace moravel
