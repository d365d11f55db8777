#include "ViewTestSupport.h"

#include "support/VirtualScheduler.h"
#include "views/chart/ActivitySection.h"
#include "views/dashboard/MetricTabs.h"
#include "views/kit/AccessibleAnnouncer.h"
#include "views/kit/FocusRing.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include <gtest/gtest.h>

using namespace moravel;

namespace {

class AccessibilityTest : public ::testing::Test {
protected:
    static void press(QWidget& widget, int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }
};

// The tabs are a page tab list of page tabs: named, the chosen one selected,
// each with the select action; Left and Right ask for the neighbours.
TEST_F(AccessibilityTest, TabsAreAPageTabListOperatedByTheKeyboard)
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
    press(tabs, Qt::Key_Left);
    press(tabs, Qt::Key_Right);
    tabs.setSelected(MetricKind::memory, false);
    press(tabs, Qt::Key_Right);  // the last tab: nowhere further
    press(tabs, Qt::Key_Home);
    EXPECT_EQ(asked, (QList<MetricKind>{MetricKind::memory, MetricKind::overview, MetricKind::memory,
                                        MetricKind::overview}));
    EXPECT_TRUE(list->child(2)->state().selected);
}

// The range choices are radio buttons, the chosen one checked; the keys walk them.
TEST_F(AccessibilityTest, RangeChoicesAreRadioButtons)
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
    press(section, Qt::Key_Left);  // already the shortest
    press(section, Qt::Key_End);
    group->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(chosen, (QList<ChartRange>{ChartRange::day, ChartRange::hour}));
}

// At most one event a second for an element, only the newest text, none
// while the text stays what was told.
TEST_F(AccessibilityTest, AnnouncerTellsAtMostOnceASecondAndNothingUnchanged)
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
TEST_F(AccessibilityTest, FocusRingOnlyAfterTheKeyboardMoved)
{
    MetricTabs tabs;
    tabs.resize(tabs.sizeHint());
    tabs.show();
    QApplication::setActiveWindow(&tabs);
    tabs.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(tabs.hasFocus());
    moravel::testing::click(tabs, {2, 2});
    EXPECT_FALSE(FocusRing::isShown(&tabs));
    press(tabs, Qt::Key_Right);
    EXPECT_TRUE(FocusRing::isShown(&tabs));
    EXPECT_GT(moravel::testing::countPixels(moravel::testing::renderWidget(tabs, Qt::black), IslandPalette::cyan()),
              20);
    moravel::testing::click(tabs, {2, 2});
    EXPECT_FALSE(FocusRing::isShown(&tabs));
}

// The ring's stroke grows with the island's size, like every other stroke.
TEST_F(AccessibilityTest, FocusRingScalesWithTheIsland)
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
