#include "app/DisplayCheck.h"

#include "support/PrintableExcerpt.h"

#include <xcb/xcb.h>

namespace moravel {

std::optional<QString> x11DisplayProblem()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return std::nullopt;
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        return QStringLiteral("moravel: no X display to show the island on (DISPLAY is not set; under Wayland "
                              "Moravel runs through XWayland)");
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (!failed)
        return std::nullopt;
    return QStringLiteral("moravel: cannot open the display \"%1\" (no X server there, or not one this user may use)")
        .arg(printableExcerpt(display));
}

}  // namespace moravel
