#include "ViewTestSupport.h"

#include "support/VirtualScheduler.h"
#include "monitor/ReadingTable.h"
#include "views/chart/ActivitySection.h"
#include "views/chart/ChartSummary.h"
#include "testsupport/Snapshots.h"
#include "views/dashboard/HealthRail.h"
#include "views/dashboard/MetricTabs.h"
#include "views/dashboard/ProcessLeaderboard.h"
#include "views/dashboard/SensorList.h"
#include "views/kit/AccessibleAnnouncer.h"
#include "views/kit/FocusRing.h"
#include "views/kit/IslandIconButton.h"
#include "views/power/PowerFlowSection.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QAccessible>
#include <QApplication>
#include <QPainter>

#include <gtest/gtest.h>

using namespace moravel;

namespace {

using moravel::testing::pressKey;
using moravel::testing::typeKey;

// Enter, Return and Space press what has the focus: an icon button (the pin,
// the gear), the power flow's header, the selected tab, the chosen range.
TEST(AccessibilityTest, EnterAndSpacePressTheFocusedControl)
{
    IslandIconButton button(QStringLiteral("gearshape"));
    MetricTabs tabs;
    tabs.resize(tabs.sizeHint());
    tabs.setSelected(MetricKind::memory, false);
    ActivitySection section;
    section.resize(600, 200);
    QStringList pressed;
    PowerFlowHeader header;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { pressed.append(QStringLiteral("button")); });
    QObject::connect(&header, &QAbstractButton::clicked, [&] { pressed.append(QStringLiteral("power flow")); });
    QObject::connect(&tabs, &MetricTabs::tabClicked,
                     [&](MetricKind kind) { pressed.append(QLatin1String(ReadingTable::of(kind).title)); });
    QObject::connect(&section, &ActivitySection::rangeChosen,
                     [&](ChartRange range) { pressed.append(ChartSummary::rangeName(range)); });
    for (QWidget* widget : std::initializer_list<QWidget*>{&button, &header, &tabs, &section}) {
        for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
            typeKey(*widget, key);
    }
    EXPECT_EQ(pressed, (QStringList{"button", "button", "button", "power flow", "power flow", "power flow", "Memory",
                                    "Memory", "Memory", "5 minutes", "5 minutes", "5 minutes"}));
}

// The tabs are a page tab list of page tabs: named, the chosen one selected,
// each with the select action; Left and Right ask for the neighbours.
TEST(AccessibilityTest, TabsAreAPageTabListOperatedByTheKeyboard)
{
    MetricTabs tabs;
    tabs.resize(tabs.sizeHint());
    tabs.setAvailable({MetricKind::overview, MetricKind::cpu, MetricKind::memory});
    tabs.setSelected(MetricKind::cpu, false);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&tabs);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::PageTabList);
    ASSERT_EQ(list->childCount(), 3);
    QAccessibleInterface* cpu = list->child(1);
    EXPECT_EQ(cpu->role(), QAccessible::PageTab);
    EXPECT_EQ(cpu->text(QAccessible::Name), QStringLiteral("CPU"));
    EXPECT_TRUE(cpu->state().selected);
    EXPECT_FALSE(list->child(0)->state().selected);
    EXPECT_EQ(cpu->parent(), list);
    EXPECT_EQ(list->indexOfChild(cpu), 1);

    QList<MetricKind> asked;
    QObject::connect(&tabs, &MetricTabs::tabClicked, [&](MetricKind kind) { asked.append(kind); });
    list->child(2)->actionInterface()->doAction(QStringLiteral("select"));
    pressKey(tabs, Qt::Key_Left);
    pressKey(tabs, Qt::Key_Right);
    tabs.setSelected(MetricKind::memory, false);
    pressKey(tabs, Qt::Key_Right);  // the last tab: nowhere further
    pressKey(tabs, Qt::Key_Home);
    EXPECT_EQ(asked, (QList<MetricKind>{MetricKind::memory, MetricKind::overview, MetricKind::memory,
                                        MetricKind::overview}));
    EXPECT_TRUE(list->child(2)->state().selected);
}

// The range choices are radio buttons, the chosen one checked; the keys walk them.
TEST(AccessibilityTest, RangeChoicesAreRadioButtons)
{
    ActivitySection section;
    section.resize(600, 200);
    section.setDetail(QStringLiteral("Swap 1.5 GB of 8.0 GB"), {{"Swap", "1.5 gigabytes of 8 gigabytes"}});
    QAccessibleInterface* group = QAccessible::queryAccessibleInterface(&section);
    ASSERT_NE(group, nullptr);
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(group->child(i)->role(), QAccessible::RadioButton);
        EXPECT_EQ(group->child(i)->state().checked, i == 0);
        names.append(group->child(i)->text(QAccessible::Name));
    }
    EXPECT_EQ(names, (QStringList{"5 minutes", "1 hour", "24 hours"}));
    QAccessibleInterface* details = group->child(3);
    EXPECT_EQ(details->role(), QAccessible::List);
    ASSERT_EQ(details->childCount(), 1);
    EXPECT_EQ(details->child(0)->text(QAccessible::Name), QStringLiteral("Swap"));

    QList<ChartRange> chosen;
    QObject::connect(&section, &ActivitySection::rangeChosen, [&](ChartRange range) { chosen.append(range); });
    pressKey(section, Qt::Key_Left);  // already the shortest
    pressKey(section, Qt::Key_End);
    group->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(chosen, (QList<ChartRange>{ChartRange::day, ChartRange::hour}));
}

// What a screen reader finds under a widget: "name: text" for each element.
QStringList readOut(QWidget& widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&widget);
    QStringList read;
    for (int i = 0; i < accessible->childCount(); ++i) {
        QAccessibleInterface* element = accessible->child(i);
        read.append(element->text(QAccessible::Name) + QStringLiteral(": ") + element->text(QAccessible::Value));
    }
    return read;
}

// The gauges as labelled values, the process cards as lists of named values,
// the sensors as a list of named values: every figure there in words.
TEST(AccessibilityTest, DashboardPartsAreNamedValues)
{
    SystemSnapshot snapshot = fixtures::loads(23, 40, 54);
    snapshot.network = NetworkReading{1'200'000, 40'000};
    HealthRail rail;
    rail.setSnapshot(snapshot);

    ProcessLeaderboard cpu(ProcessLoadKind::cpu);
    ProcessLeaderboard memory(ProcessLoadKind::memory);
    const QList<ProcessMetric> processes{{.name = "firefox", .cpuPercent = 48.7, .memoryBytes = 3ULL << 29},
                                         {.name = "thunderbird", .cpuPercent = 3, .memoryBytes = 700ULL << 20}};
    cpu.setProcesses(processes, 16ULL << 30);
    memory.setProcesses(processes, 16ULL << 30);
    ProcessLeaderboard empty(ProcessLoadKind::cpu);

    SensorList sensors;
    snapshot.temperatures = QList<SensorReading>{{"nvme0", "Composite", 48.2, {}, {}}};
    snapshot.fans = QList<SensorReading>{{"nct6798", "CPU Fan", 1250}};
    snapshot.voltages = QList<SensorReading>{{"nct6798", "Vcore", 1.016}};
    sensors.setLines(sensorLines(snapshot));

    const struct {
        QWidget* widget;
        QAccessible::Role role;
        const char* name;
        QStringList elements;
    } rows[] = {
        {&rail, QAccessible::Grouping, "Gauges",
         {"CPU: 23 percent", "Memory: 40 percent", "Network: down 1.2 megabytes a second, up 40 kilobytes a second",
          "Disk: 54 percent, reading 0 bytes a second, writing 0 bytes a second"}},
        {&cpu, QAccessible::List, "CPU Heavy", {"firefox: 48 percent CPU", "thunderbird: 3 percent CPU"}},
        {&memory, QAccessible::List, "Memory Heavy", {"firefox: 1.5 gigabytes", "thunderbird: 700 megabytes"}},
        {&empty, QAccessible::List, "CPU Heavy", {}},
        {&sensors, QAccessible::List, "Sensors",
         {"nvme0 Composite: 48 degrees Celsius", "nct6798 CPU Fan: 1250 rpm",
          "nct6798 Vcore: 1.02 volts"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(row.widget);
        EXPECT_EQ(accessible->role(), row.role);
        EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromLatin1(row.name));
        EXPECT_EQ(readOut(*row.widget), row.elements);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&empty)->text(QAccessible::Description), empty.emptyText());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&cpu)->child(0)->role(), QAccessible::ListItem);
}

// At most one event a second for an element, only the newest text, none
// while the text stays what was told.
TEST(AccessibilityTest, AnnouncerTellsAtMostOnceASecondAndNothingUnchanged)
{
    VirtualScheduler scheduler;
    AccessibleAnnouncer announcer(scheduler);
    QWidget element;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&element);
    const auto say = [&](const char* text) {
        announcer.update(accessible, QAccessible::DescriptionChanged, QString::fromLatin1(text));
    };
    say("23 percent");  // what it was made with
    EXPECT_EQ(announcer.sentCount(), 0);
    say("24 percent");
    EXPECT_EQ(announcer.sentCount(), 1);
    say("25 percent");
    say("26 percent");
    scheduler.advance(0.9);
    EXPECT_EQ(announcer.sentCount(), 1);
    scheduler.advance(0.1);
    EXPECT_EQ(announcer.sentCount(), 2);  // the newest only
    say("26 percent");
    scheduler.advance(5);
    EXPECT_EQ(announcer.sentCount(), 2);
    say("27 percent");
    EXPECT_EQ(announcer.sentCount(), 3);
    scheduler.advance(0.5);
    say("28 percent");
    say("27 percent");  // back to what was told before the second passed
    scheduler.advance(5);
    EXPECT_EQ(announcer.sentCount(), 3);
}

// The ring shows only once the keyboard moved the focus, never after a click.
TEST(AccessibilityTest, FocusRingOnlyAfterTheKeyboardMoved)
{
    MetricTabs tabs;
    tabs.resize(tabs.sizeHint());
    tabs.show();
    QApplication::setActiveWindow(&tabs);
    tabs.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(tabs.hasFocus());
    moravel::testing::click(tabs, {2, 2});
    EXPECT_FALSE(FocusRing::isShown(&tabs));
    pressKey(tabs, Qt::Key_Right);
    EXPECT_TRUE(FocusRing::isShown(&tabs));
    EXPECT_GT(moravel::testing::countPixels(moravel::testing::renderWidget(tabs, Qt::black), IslandPalette::cyan()),
              20);
    moravel::testing::click(tabs, {2, 2});
    EXPECT_FALSE(FocusRing::isShown(&tabs));
}

// The ring's stroke grows with the island's size, like every other stroke.
TEST(AccessibilityTest, FocusRingScalesWithTheIsland)
{
    for (const double factor : {1.0, 2.0}) {
        IslandScale::setFactor(factor);
        QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        FocusRing::paint(painter, QRectF(image.rect()), 0);
        painter.end();
        double covered = 0;  // the stroke's width, from the left edge's coverage
        for (int x = 0; x < 20; ++x)
            covered += qAlpha(image.pixel(x, 20)) / 255.0;
        EXPECT_NEAR(covered, 1.5 * factor, 0.1) << "at " << factor;
    }
    IslandScale::setFactor(1);
}

}  // namespace
