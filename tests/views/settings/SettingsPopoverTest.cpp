#include "ViewTestSupport.h"

#include "alerts/AlertCenter.h"
#include "island/IslandState.h"
#include "monitor/SourceSelector.h"
#include "testsupport/gallery/GalleryStage.h"
#include "views/dashboard/ExpandedHeader.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/dashboard/MetricTabs.h"
#include "views/kit/IslandIconButton.h"
#include "views/kit/IslandPalette.h"
#include "views/settings/IslandSettingsView.h"
#include "views/settings/SettingsButtons.h"
#include "views/settings/SettingsMessages.h"
#include "views/settings/SettingsPopover.h"
#include "views/settings/SettingsSourceSection.h"
#include "views/settings/SettingsSwitch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace moravel {
namespace {

using gallery::GalleryScene;
using gallery::GalleryStage;

QRect globalBox(const QWidget& widget)
{
    return {widget.mapToGlobal(QPoint(0, 0)), widget.size()};
}

class SettingsPlacement : public ::testing::TestWithParam<GalleryScene> {};

QList<GalleryScene> settingsScenes()
{
    QList<GalleryScene> scenes = gallery::galleryScenes();
    scenes.removeIf([](const GalleryScene& scene) { return scene.view != GalleryScene::View::settings; });
    return scenes;
}

// On every screen and scale the settings hang from the gear in one place:
// inside the screen, the arrow's tip under the gear just below the tabs, the
// panel's right edge just past the gear, nothing of them across the tabs;
// an edge in the island's palette around them and a shadow beneath.
TEST_P(SettingsPlacement, HangFromTheGearInsideTheScreenClearOfTheTabs)
{
    const GalleryScene& scene = GetParam();
    GalleryStage stage(scene, 30);
    auto* popover = qobject_cast<SettingsPopover*>(stage.settings());
    ASSERT_NE(popover, nullptr);
    const auto* dashboard = stage.panel().findChild<ExpandedIslandView*>();
    const QRect gear = globalBox(*dashboard->header()->settingsButton());
    const QRect tabs = globalBox(*dashboard->tabs());
    const QRect screen(QPoint(0, 0), (QSizeF(scene.screen) / scene.devicePixelRatio).toSize());

    EXPECT_TRUE(screen.contains(popover->geometry()));
    EXPECT_FALSE(popover->outline().boundingRect().toAlignedRect().intersects(tabs));
    const QPoint tip = popover->arrowTip();
    EXPECT_TRUE(gear.left() <= tip.x() && tip.x() <= gear.right()) << tip.x();
    EXPECT_EQ(tip.y(), tabs.bottom() + 1 + SettingsPopover::gap);
    const QRect panel = popover->panelGeometry();
    EXPECT_GE(panel.right(), gear.right());
    EXPECT_LE(panel.right(), gear.right() + gear.width());
    EXPECT_GT(panel.height(), 150);

    const QRect local = panel.translated(-popover->pos());
    const QPoint onEdge(local.left(), local.center().y());
    const QColor edgeOverBlack = QColor::fromRgbF(IslandPalette::edge().alphaF(), IslandPalette::edge().alphaF(),
                                                  IslandPalette::edge().alphaF());
    EXPECT_EQ(testing::countPixels(testing::renderWidget(*popover, Qt::black), edgeOverBlack,
                                   QRect(onEdge, QSize(1, 1)), 4),
              1);
    const QImage overWhite = testing::renderWidget(*popover, Qt::white);
    EXPECT_LT(qGray(overWhite.pixel(local.center().x(), local.bottom() + 3)), 240);  // the shadow
}

INSTANTIATE_TEST_SUITE_P(Gallery, SettingsPlacement, ::testing::ValuesIn(settingsScenes()),
                         testing::sceneName<GalleryScene>);

class SettingsPopoverTest : public ::testing::Test, protected testing::ViewServices {
protected:
    IslandState state{defaults, scheduler, std::nullopt};
};

// What could not be done is said in the error colour, all of it in one place
// that stays in view; a line appearing moves no control of the scrolled column.
TEST_F(SettingsPopoverTest, MessagesShowInViewInTheErrorColourAndMoveNoControl)
{
    loginItem.fails = true;
    SourceSelector selector(monitor, defaults, [](const SourceChoice&) -> std::variant<ChosenSource, QString> {
        return QStringLiteral("The address is refused.");
    });
    AlertCenter alerts(monitor, scheduler, defaults, nullptr);
    auto* settings = new IslandSettingsView(state, updater, coordinator, loginItem, &alerts);
    settings->addSourceSection(selector);
    SettingsMessages& messages = *settings->messages();
    for (const char* name : {"saveFailureLabel", "historyFailureLabel", "loginErrorLabel", "noNotificationServiceLabel",
                             "alertShowFailureLabel", "sourceProblemLabel", "sourceReachabilityLabel"}) {
        const auto* line = messages.findChild<QLabel*>(QLatin1String(name));
        ASSERT_NE(line, nullptr) << name;
        EXPECT_EQ(line->palette().color(QPalette::WindowText), IslandPalette::error()) << name;
    }

    SettingsPopover popover(settings, nullptr, nullptr, &messages);
    popover.placeAt(QRect(700, 10, 20, 20), 60, QRect(0, 0, 1000, 560));  // short: the column scrolls
    popover.show();
    QCoreApplication::processEvents();
    QScrollBar& scroll = *popover.findChild<QScrollArea*>()->verticalScrollBar();
    ASSERT_GT(scroll.maximum(), 0);
    scroll.setValue(scroll.maximum() / 2);
    settings->findChild<SettingsCapsuleButton*>("sourceAnotherMachine")->click();  // its fields open
    QCoreApplication::processEvents();
    const auto controls = [&] {
        QList<QPair<QString, QPoint>> places;
        for (const QAbstractButton* control : settings->findChildren<QAbstractButton*>())
            places.append({control->objectName(), control->mapToGlobal(QPoint(0, 0))});
        return places;
    };
    const struct {
        const char* line;
        std::function<void()> cause;
    } rows[] = {
        {"loginErrorLabel", [&] { settings->findChild<SettingsSwitch*>("launchAtLoginSwitch")->click(); }},
        {"sourceProblemLabel",
         [&] { settings->findChild<SettingsSourceSection*>()->watch(QStringLiteral("http://10.0.0.9:9100"), {}); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const auto before = controls();
        row.cause();
        QCoreApplication::processEvents();
        const QLabel& line = *messages.findChild<QLabel*>(QLatin1String(row.line));
        EXPECT_TRUE(line.isVisibleTo(&popover));
        EXPECT_TRUE(popover.panelGeometry().contains(globalBox(line)));
        EXPECT_EQ(controls(), before);
    }
}

// The source in use is the one shown selected: another machine typed but
// not yet watched is only marked, and the settings say what is still watched.
TEST_F(SettingsPopoverTest, SourceBeingTypedIsNotShownSelectedUntilWatched)
{
    bool refuses = true;
    SourceSelector selector(monitor, defaults, [&](const SourceChoice& choice) -> std::variant<ChosenSource, QString> {
        if (refuses)
            return QStringLiteral("The address is refused.");
        auto remote = std::make_shared<fixtures::FakeSource>();
        remote->machine = QStringLiteral("nas.lan");
        return ChosenSource{remote, choice};
    });
    SettingsMessages messages;
    SettingsSourceSection section(selector, messages);
    const auto chip = [&](const char* name) { return section.findChild<SettingsCapsuleButton*>(name); };
    const QStringList sources{"sourceThisComputer", "sourceAnotherMachine", "sourcePrometheusServer"};
    const auto selected = [&] { return testing::selectedChoices(section, sources); };
    const QLabel& pending = *section.findChild<QLabel*>("sourcePendingLabel");

    chip("sourceAnotherMachine")->click();
    EXPECT_EQ(selected(), QStringList{"sourceThisComputer"});
    EXPECT_EQ(chip("sourceAnotherMachine")->textColor(), IslandPalette::mint());
    EXPECT_TRUE(pending.isVisibleTo(&section));
    EXPECT_EQ(pending.text(), "Still watching this computer: press Watch to switch to this machine.");
    section.watch(QStringLiteral("http://nas.lan:9100"), {});  // refused: nothing changes
    EXPECT_EQ(selected(), QStringList{"sourceThisComputer"});
    EXPECT_TRUE(pending.isVisibleTo(&section));

    refuses = false;
    section.watch(QStringLiteral("http://nas.lan:9100"), {});
    EXPECT_EQ(selected(), QStringList{"sourceAnotherMachine"});
    EXPECT_FALSE(pending.isVisibleTo(&section));
    chip("sourcePrometheusServer")->click();
    EXPECT_EQ(selected(), QStringList{"sourceAnotherMachine"});
    EXPECT_EQ(pending.text(), "Still watching nas.lan: press Watch to switch to this server.");
}

}  // namespace
}  // namespace moravel
