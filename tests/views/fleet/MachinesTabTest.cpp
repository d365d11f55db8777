#include "ViewTestSupport.h"

#include "island/IslandState.h"
#include "monitor/FleetRules.h"
#include "views/collapsed/CollapsedIslandPainter.h"
#include "views/collapsed/CollapsedReadings.h"
#include "views/dashboard/ExpandedHeader.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/dashboard/MetricTabs.h"
#include "views/dashboard/ProcessLeaderboard.h"
#include "views/dashboard/ProcessLoad.h"
#include "views/fleet/MachinesTab.h"
#include "views/kit/IslandPalette.h"
#include "views/settings/SettingsButtons.h"

#include <QAccessible>
#include <QListView>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace moravel;
using moravel::testing::click;
using moravel::testing::countPixels;
using moravel::testing::renderWidget;

namespace {

MachineReading machine(const char* instance, double cpu, double memory)
{
    MachineReading m{instance, QStringLiteral("node"), true, std::nullopt, fixtures::loads(cpu, memory, 40)};
    m.readings.network = NetworkReading{2000, 500};
    return m;
}

MachineReading down(const char* instance)
{
    return {instance, QStringLiteral("node"), false, QDateTime(QDate(2026, 1, 1), QTime(9, 15), Qt::LocalTime), {}};
}

// A busy web server, a quiet database and a machine that is down, worst first.
FleetReading smallFleet()
{
    FleetReading fleet{{machine("web3.lan:9100", 96, 40), machine("db1.lan:9100", 12, 30), down("old1:9100")},
                       std::nullopt};
    sortWorstFirst(fleet.machines);
    return fleet;
}

}  // namespace

TEST(MachineRows, EachRowTellsItsMachinesStateAndFiguresInTheirColours)
{
    FleetReading fleet = smallFleet();
    fleet.chosen = QStringLiteral("db1.lan:9100");
    const QList<MachineRow> rows = machineRows(fleet);
    ASSERT_EQ(rows.size(), 3);
    const auto cell = [&](int row, MachineColumn column) { return rows[row].cells[static_cast<size_t>(column)]; };

    EXPECT_EQ(rows[0].name, "old1");
    EXPECT_EQ(cell(0, MachineColumn::state), (MachineCell{"down since 09:15", IslandPalette::red()}));
    EXPECT_EQ(cell(0, MachineColumn::cpu), (MachineCell{"—", IslandPalette::secondary()}));
    EXPECT_EQ(rows[0].spoken, "old1, down since 09:15");

    EXPECT_EQ(rows[1].name, "web3");
    EXPECT_EQ(cell(1, MachineColumn::state), (MachineCell{"up", IslandPalette::mint()}));
    EXPECT_EQ(cell(1, MachineColumn::cpu), (MachineCell{"96%", IslandPalette::red()}));
    EXPECT_EQ(cell(1, MachineColumn::memory).text, "40%");
    EXPECT_EQ(cell(1, MachineColumn::disk).text, "40%");
    EXPECT_EQ(cell(1, MachineColumn::network), (MachineCell{"↓2K ↑500B", IslandPalette::cyan()}));
    EXPECT_EQ(cell(1, MachineColumn::temperature).text, "—");
    EXPECT_FALSE(rows[1].isChosen);
    EXPECT_TRUE(rows[2].isChosen);
    EXPECT_EQ(rows[1].spoken, "web3, up, CPU 96 percent, Memory 40 percent, Disk 40 percent, reading 0 bytes a "
                              "second, writing 0 bytes a second, Temperature not available, Network down 2 "
                              "kilobytes a second, up 500 bytes a second");
    EXPECT_TRUE(rows[2].spoken.endsWith(", shown"));
}

class MachinesTabTest : public ::testing::Test {
protected:
    MachinesTabTest()
    {
        tab.resize(548, 180);
        QObject::connect(&tab, &MachinesTab::machineChosen, [this](const QString& instance) { chosen.append(instance); });
    }

    QPoint rowCentre(int row) const
    {
        const QRect item = tab.list()->visualRect(tab.model().index(row));
        return tab.list()->viewport()->mapTo(&tab, item.center());
    }

    MachinesTab tab;
    QStringList chosen;
};

TEST_F(MachinesTabTest, HundredsScrollAndAChosenRowShowsItsMachine)
{
    tab.setFleet(fixtures::fleetOf(500));
    tab.show();
    EXPECT_EQ(tab.model().rowCount(), 500);
    EXPECT_GT(tab.list()->verticalScrollBar()->maximum(), 0);

    click(*tab.list()->viewport(), tab.list()->viewport()->mapFrom(&tab, rowCentre(2)));
    click(*tab.wholeFleetButton(), tab.wholeFleetButton()->rect().center());
    EXPECT_EQ(chosen, (QStringList{tab.model().rows()[2].instance, QString()}));

    // A new reading of the same machines keeps the list where it was scrolled.
    tab.list()->verticalScrollBar()->setValue(300);
    FleetReading next = fixtures::fleetOf(500);
    next.chosen = next.machines[7].instance;
    tab.setFleet(next);
    EXPECT_EQ(tab.list()->verticalScrollBar()->value(), 300);
    EXPECT_TRUE(tab.model().rows()[7].isChosen);
}

// The rows are a list of items that read out their machine and its figures.
TEST_F(MachinesTabTest, TheRowsAreAnAccessibleList)
{
    tab.setFleet(smallFleet());
    tab.show();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(tab.list());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->text(QAccessible::Name), "Machines, worst first");
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(1)->text(QAccessible::Name), tab.model().rows()[1].spoken);
    EXPECT_EQ(tab.model().data(tab.model().index(1), Qt::ToolTipRole).toString(), "web3.lan:9100");
}

TEST_F(MachinesTabTest, FiguresAreDrawnInTheirColoursWithinTheirColumns)
{
    tab.setFleet(smallFleet());
    tab.show();
    const QImage image = renderWidget(tab, Qt::black);
    const QRect rows(0, MachinesTab::headerHeight(), tab.width(), 3 * MachinesTab::rowHeight());
    const MachineColumns columns = MachineColumns::within(QRectF(rows));
    const QRect cpu = columns.cells[static_cast<size_t>(MachineColumn::cpu)].toAlignedRect();
    // web3's CPU is red, and the down machine's state too (thin glyphs on
    // black: their cores come near the colour); nothing below the rows.
    EXPECT_GT(countPixels(image, IslandPalette::red(), cpu, 64), 3);
    EXPECT_GT(countPixels(image, IslandPalette::red(), columns.cells[0].toAlignedRect(), 40), 10);
    EXPECT_EQ(countPixels(image, IslandPalette::red(), columns.name.toAlignedRect(), 40), 0);
    const QRect below(0, rows.bottom() + 2, tab.width(), tab.height() - rows.bottom() - 2);
    EXPECT_EQ(countPixels(image, Qt::black, below, 0), below.width() * below.height());
}

// On a whole fleet each collapsed reading is its worst machine's, after its
// name; a machine that is down takes the first reading's place, in red.
TEST(FleetCollapsed, TheWorstMachinesAndThoseDown)
{
    using K = MetricKind;
    const SystemSnapshot whole = fleetSnapshot(smallFleet());
    EXPECT_EQ(CollapsedReadings::fleetMachineOf(K::cpu, whole), "web3");
    EXPECT_EQ(CollapsedReadings::fleetMachineOf(K::memory, whole), "web3");
    EXPECT_EQ(CollapsedReadings::fleetMachineOf(K::power, whole), std::nullopt);
    EXPECT_EQ(CollapsedReadings::fleetDownText(whole), "old1 down");
    EXPECT_EQ(CollapsedReadings::spokenReading(K::network, {K::network, K::cpu}, whole), "old1 down");
    EXPECT_EQ(CollapsedReadings::spokenReading(K::cpu, {K::network, K::cpu}, whole), "web3, 96 percent");

    CollapsedContent content{whole, {K::cpu, K::memory}, {}};
    const QRectF bounds(0, 0, 400, 40);
    const QImage image = moravel::testing::renderCollapsed(content, bounds);
    const auto layout = CollapsedIslandPainter::layout(content, bounds);
    EXPECT_GT(countPixels(image, IslandPalette::red(), layout.readings[0].rect.toAlignedRect(), 8), 10);

    // A machine chosen: its readings alone, no names.
    FleetReading chosen = smallFleet();
    chosen.chosen = QStringLiteral("db1.lan:9100");
    const SystemSnapshot one = fleetSnapshot(chosen);
    EXPECT_EQ(CollapsedReadings::fleetMachineOf(K::cpu, one), std::nullopt);
    EXPECT_EQ(CollapsedReadings::fleetDownText(one), std::nullopt);
    EXPECT_EQ(CollapsedReadings::spokenReading(K::cpu, {K::cpu}, one), "12 percent");
}

class FleetDashboardTest : public ::testing::Test, protected moravel::testing::ViewServices {
protected:
    FleetDashboardTest()
    {
        telemetry->machine = QStringLiteral("prometheus.lan");
        telemetry->everySecond = [](SystemSnapshot& next) { next = fleetSnapshot(smallFleet()); };
        monitor.refresh();
        state.requestExpansion();
        scheduler.advance(1);
        view.finishTransitions();
    }

    IslandState state{defaults, scheduler, std::nullopt};
    ExpandedIslandView view{ExpandedIslandView::Services{monitor, state, updater, coordinator, scheduler, loginItem}};
};

TEST_F(FleetDashboardTest, TheHeaderNamesTheFleetAndARowChosenIsShown)
{
    EXPECT_EQ(view.header()->status(), "3 machines, 1 down");
    EXPECT_EQ(view.header()->badgeText(), "prometheus.lan");
    EXPECT_TRUE(view.tabs()->available().contains(MetricKind::machines));

    state.setSelectedMetric(MetricKind::machines);
    view.finishTransitions();
    MachinesTab& machines = *view.machinesTab();
    EXPECT_TRUE(machines.isVisibleTo(&view));
    EXPECT_FALSE(view.leaderboard(ProcessLoadKind::cpu)->isVisibleTo(&view));
    EXPECT_LE(machines.mapTo(&view, QPoint(0, machines.height())).y(), view.height());
    EXPECT_EQ(machines.model().rowCount(), 3);

    const QModelIndex db = machines.model().index(2);
    click(*machines.list()->viewport(), machines.list()->visualRect(db).center());
    EXPECT_EQ(monitor.snapshot().fleet->chosen, "db1.lan:9100");
    EXPECT_DOUBLE_EQ(monitor.snapshot().cpu->percent, 12);
    EXPECT_EQ(view.header()->badgeText(), "db1");
    EXPECT_TRUE(machines.model().rows()[2].isChosen);
}
