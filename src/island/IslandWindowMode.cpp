#include "island/IslandWindowMode.h"

#include <QStringList>

namespace moravel {

namespace {

// Window managers that tile every window (a dock included) or ignore a
// dock's place and stacking, by the first word of their name: i3, sway's and
// the other wlroots compositors' ("wlroots wm"), Weston's ("Weston WM"), and
// the common tiling ones. "LG3D" is the name xmonad and dwm users set for Java.
bool tilesOrIgnoresDocks(const QString& windowManagerName)
{
    static const QStringList names{QStringLiteral("i3"),     QStringLiteral("sway"),     QStringLiteral("wlroots"),
                                   QStringLiteral("weston"), QStringLiteral("bspwm"),    QStringLiteral("awesome"),
                                   QStringLiteral("xmonad"), QStringLiteral("dwm"),      QStringLiteral("herbstluftwm"),
                                   QStringLiteral("qtile"),  QStringLiteral("spectrwm"), QStringLiteral("lg3d")};
    const QString firstWord = windowManagerName.trimmed().section(QLatin1Char(' '), 0, 0).toLower();
    return names.contains(firstWord);
}

}  // namespace

IslandWindowModeChoice chooseIslandWindowMode(const QString& windowManagerName, const std::optional<QString>& override)
{
    const IslandWindowMode automatic =
        tilesOrIgnoresDocks(windowManagerName) ? IslandWindowMode::unmanaged : IslandWindowMode::dock;
    if (!override || override->isEmpty())
        return {automatic, {}};
    if (*override == QLatin1StringView("dock"))
        return {IslandWindowMode::dock, {}};
    if (*override == QLatin1StringView("unmanaged"))
        return {IslandWindowMode::unmanaged, {}};
    return {automatic, QStringLiteral("moravel: %1 must be \"dock\" or \"unmanaged\", not \"%2\"; choosing by the "
                                      "window manager")
                           .arg(QLatin1StringView(islandWindowModeVariable), *override)};
}

}  // namespace moravel
