#include "island/DesktopWorkArea.h"
#include "island/HoverGate.h"
#include "island/IslandWindowMode.h"

#include <gtest/gtest.h>

using namespace moravel;

namespace {

// Two 1440x900 monitors side by side, as the desktop lab lays them out.
const QSize root(2880, 900);
const QRect left(0, 0, 1440, 900), right(1440, 0, 1440, 900);

Strut topStrut(int depth, int startX, int endX)
{
    return *Strut::fromPartial({0, 0, quint32(depth), 0, 0, 0, 0, 0, quint32(startX), quint32(endX), 0, 0});
}

}  // namespace

TEST(DesktopWorkArea, StrutsReserveRoomOnlyOnTheMonitorsTheyCover)
{
    const Strut leftTopPanel = topStrut(30, 0, 1439);
    const Strut rightTopPanel = topStrut(24, 1440, 2879);
    // A dock down the right monitor's right edge, and a bottom panel on the left one.
    const Strut rightDock = *Strut::fromPartial({0, 48, 0, 0, 0, 0, 100, 799, 0, 0, 0, 0});
    const Strut leftBottom = *Strut::fromPartial({0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 1439});
    // The older property reserves the whole edge of the root window: both monitors.
    const Strut fullEdge = *Strut::fromFullEdges({16, 0, 0, 0}, root);
    const struct {
        QList<Strut> struts;
        QRect monitor;
        QRect area;
    } rows[] = {
        {{}, left, left},
        {{leftTopPanel}, left, {0, 30, 1440, 870}},
        {{leftTopPanel}, right, right},
        {{leftTopPanel, rightTopPanel}, right, {1440, 24, 1440, 876}},
        {{leftTopPanel, topStrut(40, 600, 800)}, left, {0, 40, 1440, 860}},  // the deepest counts
        {{rightDock}, right, {1440, 0, 1440 - 48, 900}},
        {{rightDock}, left, left},
        {{leftBottom}, left, {0, 0, 1440, 880}},
        {{fullEdge}, left, {16, 0, 1424, 900}},
        {{fullEdge}, right, right},  // the left edge of the root is not on the right monitor
        // Nonsense that would leave nothing keeps the whole monitor.
        {{topStrut(900, 0, 1439)}, left, left},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.area.y());
        EXPECT_EQ(monitorWorkArea(row.monitor, {root, row.struts, std::nullopt}, std::nullopt), row.area);
    }
    EXPECT_FALSE(Strut::fromPartial({0, 0, 30, 0}));
    EXPECT_FALSE(Strut::fromFullEdges({0, 0, 30, 0, 0}, root));
}

// GNOME's top bar has no strut: mutter's own work areas count, matched to
// the monitor they overlap, whatever their order. With the island's strut
// published they end below the island, which must not push itself down.
TEST(DesktopWorkArea, GtkWorkAreasCountAndTheIslandsOwnStrutIsLeftOut)
{
    const QList<QRect> gtk{{1440, 32, 1440, 868}, {0, 0, 1440, 900}};
    const DesktopReservations gnome{root, {topStrut(99, 0, 2879)}, gtk};
    EXPECT_EQ(monitorWorkArea(right, gnome, std::nullopt), QRect(1440, 32, 1440, 868));
    EXPECT_EQ(monitorWorkArea(left, gnome, std::nullopt), left);  // struts are already in mutter's areas

    const QRect island(1440 + 540, 32, 361, 40);
    const DesktopReservations withIsland{root, {}, QList<QRect>{{0, 0, 1440, 900}, {1440, 72, 1440, 828}}};
    EXPECT_EQ(monitorWorkArea(right, withIsland, island).top(), 32);
    EXPECT_EQ(monitorWorkArea(right, withIsland, std::nullopt).top(), 72);
    // The island's strut on the other monitor says nothing about this one.
    EXPECT_EQ(monitorWorkArea(right, withIsland, island.translated(-1440, 0)).top(), 72);
    // An area that ends elsewhere is another panel's doing.
    EXPECT_EQ(monitorWorkArea(right, withIsland, island.translated(0, 8)).top(), 72);
    // No area on this monitor: the whole monitor.
    EXPECT_EQ(monitorWorkArea(right, {root, {}, QList<QRect>{left}}, std::nullopt), right);
}

TEST(DesktopWorkArea, IslandStrutRunsFromTheRootTopToTheIslandsBottomOverItsWidth)
{
    const Strut strut = islandStrut(QRect(540, 30, 361, 40));
    EXPECT_EQ(strut.toPartial(), (QList<quint32>{0, 0, 70, 0, 0, 0, 0, 0, 540, 900, 0, 0}));
    EXPECT_EQ(Strut::fromPartial(strut.toPartial()), strut);
    // The room it keeps: maximised windows on its monitor start below it.
    EXPECT_EQ(monitorWorkArea(left, {root, {strut}, std::nullopt}, std::nullopt).top(), 70);
}

TEST(IslandWindowModeChoice, TilingWindowManagersGetAnUnmanagedIslandUnlessOverridden)
{
    const struct {
        const char* name;
        std::optional<QString> override;
        IslandWindowMode mode;
        bool warns;
    } rows[] = {
        {"i3", std::nullopt, IslandWindowMode::unmanaged, false},
        {"wlroots wm", std::nullopt, IslandWindowMode::unmanaged, false},
        {"Weston WM", std::nullopt, IslandWindowMode::unmanaged, false},
        {"bspwm", std::nullopt, IslandWindowMode::unmanaged, false},
        {"GNOME Shell", std::nullopt, IslandWindowMode::dock, false},
        {"Openbox", std::nullopt, IslandWindowMode::dock, false},
        {"i3-like", std::nullopt, IslandWindowMode::dock, false},
        {"", std::nullopt, IslandWindowMode::dock, false},
        {"i3", QStringLiteral("dock"), IslandWindowMode::dock, false},
        {"Openbox", QStringLiteral("unmanaged"), IslandWindowMode::unmanaged, false},
        {"i3", QStringLiteral("floating"), IslandWindowMode::unmanaged, true},
        {"Openbox", QStringLiteral(""), IslandWindowMode::dock, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const IslandWindowModeChoice choice = chooseIslandWindowMode(QString::fromUtf8(row.name), row.override);
        EXPECT_EQ(choice.mode, row.mode);
        EXPECT_EQ(!choice.warning.isEmpty(), row.warns);
    }
}

// A stale pointer position (XWayland's) never opens the island: at start it
// must move away from where it was said to be, after Escape leave and then
// move away from where it was.
TEST(HoverGateTest, OpensOnlyAfterARealEnter)
{
    HoverGate gate(QPoint(700, 10));
    EXPECT_EQ(gate.entered(), std::nullopt);  // mapped under the stale position
    EXPECT_EQ(gate.moved(QPoint(700, 10)), std::nullopt);
    EXPECT_EQ(gate.moved(QPoint(702, 12)), true);
    EXPECT_EQ(gate.entered(), std::nullopt);  // already inside
    EXPECT_EQ(gate.left(), false);
    EXPECT_EQ(gate.entered(), true);

    gate.closedByKeyboard(QPoint(702, 12));
    EXPECT_EQ(gate.moved(QPoint(705, 30)), std::nullopt);  // on its way out
    EXPECT_EQ(gate.entered(), std::nullopt);
    EXPECT_EQ(gate.left(), std::nullopt);  // already counted as outside
    // Withdrawn and shown again under the pointer, which has not moved.
    EXPECT_EQ(gate.entered(), std::nullopt);
    EXPECT_EQ(gate.moved(QPoint(702, 12)), std::nullopt);
    EXPECT_EQ(gate.moved(QPoint(690, 20)), true);

    HoverGate leaving(QPoint(700, 10));
    EXPECT_EQ(leaving.left(), std::nullopt);
    EXPECT_EQ(leaving.entered(), true);
}
