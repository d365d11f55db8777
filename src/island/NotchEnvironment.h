#pragma once

#include "island/IslandDisplayGeometry.h"

#include <QString>

#include <optional>

namespace moravel {

// Linux reports no camera cut-out, so a user with a notched panel declares one:
// MORAVEL_NOTCH=WIDTHxDEPTH (points) gives the primary screen a top inset of
// DEPTH and a centred gap WIDTH wide between its two auxiliary areas.
inline constexpr char notchEnvironmentVariable[] = "MORAVEL_NOTCH";

struct NotchDeclaration {
    double width = 0;
    double depth = 0;

    friend bool operator==(const NotchDeclaration&, const NotchDeclaration&) = default;
};

struct NotchEnvironment {
    std::optional<NotchDeclaration> declaration;  // set for a usable value
    QString errorMessage;  // one line, without newline, when the value was set but is unusable
};

// Reads the variable's value (nothing or empty: no notch, no message). A
// notch wider than the screen it is on (`screenWidth`, where known) is refused.
NotchEnvironment parseNotchEnvironment(const std::optional<QString>& value,
                                       std::optional<double> screenWidth = std::nullopt);
// The same, taken from the process environment.
NotchEnvironment notchEnvironmentFromProcess(std::optional<double> screenWidth);

// The screen with the declared notch centred on its top edge. A notch wider
// than the screen is narrowed to the screen.
ScreenDescription withDeclaredNotch(const ScreenDescription& screen, const NotchDeclaration& notch);

// Lines for the "Environment:" section of --help, each ending in a newline.
QString notchEnvironmentHelp();

}  // namespace moravel
