#include "ViewTestSupport.h"

#include "alerts/AlertCenter.h"
#include "alerts/AlertPreferencesStore.h"
#include "history/HistoryRecorder.h"
#include "island/IslandState.h"
#include "monitor/SourceSelector.h"
#include "monitor/prometheus/ChoiceSources.h"
#include "support/BackgroundRunner.h"
#include "testsupport/FakeAlertNotifier.h"
#include "testsupport/FakeSource.h"
#include "views/kit/IslandPalette.h"
#include "views/settings/IslandSettingsView.h"
#include "views/settings/SettingsButtons.h"
#include "views/settings/SettingsMenuPicker.h"
#include "views/settings/SettingsMessages.h"
#include "views/settings/SettingsMetricList.h"
#include "views/settings/SettingsStepper.h"
#include "views/settings/SettingsSourceSection.h"
#include "views/settings/SettingsSwitch.h"
#include "views/settings/SettingsUpdateStatusLine.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLayout>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace moravel {
namespace {

using Kind = MetricKind;
using List = CollapsedMetricPreferences;
using testing::click;
using testing::pressKey;
using testing::sendMouse;

// Drags a row by its handle, in steps, and lets go over `gapY`.
void dragRow(SettingsMetricList& list, int row, double gapY)
{
    const QPointF start(list.width() - 18, list.rowRect(row).center().y());
    sendMouse(list, QEvent::MouseButtonPress, start);
    for (int step = 1; step <= 4; ++step)
        sendMouse(list, QEvent::MouseMove, QPointF(start.x(), start.y() + (gapY - start.y()) * step / 4));
    sendMouse(list, QEvent::MouseButtonRelease, QPointF(start.x(), gapY));
}

class IslandSettingsViewTest : public ::testing::Test, protected testing::ViewServices {
protected:
    IslandSettingsViewTest() { updater.checks = true; }

    IslandSettingsView& view()
    {
        if (!view_) {
            view_ = std::make_unique<IslandSettingsView>(state, updater, coordinator, loginItem,
                                                         alerts ? &*alerts : nullptr);
            view_->resize(view_->sizeHint());
        }
        return *view_;
    }

    template <typename T>
    T& child(const char* name)
    {
        T* found = view().findChild<T*>(QLatin1String(name));
        if (!found)
            throw std::runtime_error(name);
        return *found;
    }

    SettingsMetricList& list() { return child<SettingsMetricList>("metricList"); }
    SettingsCapsuleButton& chip(const char* title) { return child<SettingsCapsuleButton>(title); }
    bool isShown(QWidget& widget) { return widget.isVisibleTo(&view()); }

    QRect boxOf(QWidget& widget) { return {widget.mapTo(&view(), QPoint(0, 0)), widget.size()}; }

    QStringList selectedChips()
    {
        return testing::selectedChoices(view(), {"presetMinimal", "presetBalanced", "presetPower"});
    }

    IslandState state{defaults, scheduler, std::nullopt};
    std::optional<AlertCenter> alerts;  // set before the view is made: the Alerts section shows
    std::unique_ptr<IslandSettingsView> view_;
};

// The last visible reading cannot be hidden: nothing changes, nothing is saved.
TEST_F(IslandSettingsViewTest, OnlyVisibleReadingCannotBeUnticked)
{
    state.setCollapsedMetricPreferences(
        List({{Kind::cpu, true}, {Kind::network, false}, {Kind::memory, false}, {Kind::power, false}}));
    SettingsMetricList& rows = list();
    EXPECT_FALSE(rows.rows()[0].canToggle);
    EXPECT_FALSE(state.canHideCollapsedMetric(Kind::cpu));
    const int writes = defaults.writeCount();
    click(rows, rows.toggleRect(0).center());
    state.setCollapsedMetric(Kind::cpu, false);  // refused however it is asked for
    EXPECT_TRUE(state.isCollapsedMetricVisible(Kind::cpu));
    EXPECT_EQ(defaults.writeCount(), writes);

    // Ticking a second reading makes both untickable again.
    click(rows, rows.toggleRect(2).center());
    EXPECT_TRUE(state.isCollapsedMetricVisible(Kind::memory));
    EXPECT_TRUE(rows.rows()[0].canToggle);
    EXPECT_TRUE(rows.rows()[2].canToggle);
    click(rows, rows.toggleRect(0).center());
    EXPECT_FALSE(state.isCollapsedMetricVisible(Kind::cpu));
}

// From the keyboard: Up and Down walk the rows, Space ticks, Alt+Up and
// Alt+Down move the focused row as a drag does; screen readers find check
// boxes with the same actions.
TEST_F(IslandSettingsViewTest, ReadingsAreTickedAndMovedByTheKeyboard)
{
    state.setCollapsedMetricPreferences(
        List({{Kind::cpu, true}, {Kind::network, false}, {Kind::memory, true}, {Kind::power, false}}));
    SettingsMetricList& rows = list();
    pressKey(rows, Qt::Key_Down);
    pressKey(rows, Qt::Key_Space);  // network shown
    pressKey(rows, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(state.collapsedMetricPreferences(),
              List({{Kind::cpu, true}, {Kind::memory, true}, {Kind::network, true}, {Kind::power, false}}));
    for (int times = 0; times < 3; ++times)
        pressKey(rows, Qt::Key_Up, Qt::AltModifier);  // the third: already the first, nothing moves
    EXPECT_EQ(state.collapsedMetricPreferences(),
              List({{Kind::network, true}, {Kind::cpu, true}, {Kind::memory, true}, {Kind::power, false}}));
    EXPECT_EQ(rows.focusedRow(), 0);

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&rows);
    ASSERT_EQ(accessible->childCount(), 4);
    QAccessibleInterface* power = accessible->child(3);
    EXPECT_EQ(power->role(), QAccessible::CheckBox);
    EXPECT_EQ(power->text(QAccessible::Name), QStringLiteral("Power"));
    EXPECT_FALSE(power->state().checked);
    EXPECT_TRUE(accessible->child(0)->state().checked);
    power->actionInterface()->doAction(QStringLiteral("move up"));
    power->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());  // it moved with its row
    accessible->child(0)->actionInterface()->doAction(QStringLiteral("move down"));
    EXPECT_EQ(accessible->child(0)->text(QAccessible::Name), QStringLiteral("CPU"));
    EXPECT_EQ(state.collapsedMetricPreferences(),
              List({{Kind::cpu, true}, {Kind::network, true}, {Kind::power, true}, {Kind::memory, true}}));
}

// Every control is reached with Tab in the order it is seen, top to bottom
// and left to right, and read with a role, a name and its state or value.
TEST_F(IslandSettingsViewTest, EveryControlIsReachedInOrderAndReadWithItsState)
{
    alerts.emplace(monitor, scheduler, defaults, nullptr);
    SourceSelector selector(monitor, defaults, [&](const SourceChoice&) -> std::variant<ChosenSource, QString> {
        return QStringLiteral("unused");
    });
    IslandSettingsView& settings = view();
    settings.addSourceSection(selector);
    chip("sourceAnotherMachine").click();  // its fields shown
    settings.show();  // laid out, every section
    const std::map<QString, QAccessible::Role> roles{
        {"moravel::SettingsSwitch", QAccessible::CheckBox},   {"moravel::SettingsStepper", QAccessible::SpinBox},
        {"moravel::SettingsMenuPicker", QAccessible::ComboBox}, {"moravel::SettingsMetricList", QAccessible::List},
        {"moravel::SettingsTextButton", QAccessible::Button}, {"moravel::SettingsCapsuleButton", QAccessible::Button},
        {"QLineEdit", QAccessible::EditableText},
    };
    std::set<QString> seen;
    QPoint previous(-1, -1);
    QString previousName;
    for (QWidget* widget = settings.nextInFocusChain(); widget != &settings; widget = widget->nextInFocusChain()) {
        if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(&settings))
            continue;
        const QString type = QString::fromLatin1(widget->metaObject()->className());
        SCOPED_TRACE(type.toStdString() + " " + widget->objectName().toStdString());
        seen.insert(type);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_TRUE(roles.contains(type));
        // The presets and the sources are choices.
        const auto* capsule = qobject_cast<SettingsCapsuleButton*>(widget);
        EXPECT_EQ(accessible->role(), capsule && capsule->selected() ? QAccessible::RadioButton : roles.at(type));
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty());
        if (auto* toggle = qobject_cast<SettingsSwitch*>(widget)) {
            EXPECT_EQ(accessible->state().checked, toggle->isChecked());
        } else if (auto* stepper = qobject_cast<SettingsStepper*>(widget)) {
            EXPECT_EQ(accessible->text(QAccessible::Value), stepper->valueText());
        } else if (auto* picker = qobject_cast<SettingsMenuPicker*>(widget)) {
            EXPECT_EQ(accessible->text(QAccessible::Value), picker->currentText());
            EXPECT_EQ(accessible->relations(QAccessible::Label).size(), 1);  // named by its label
        }
        // Below the one before, or on its row and to its right.
        const QRect box(widget->mapTo(&settings, QPoint(0, 0)), widget->size());
        const QPoint at(box.left(), box.center().y());
        EXPECT_TRUE(at.y() > previous.y() + 4 || (std::abs(at.y() - previous.y()) <= 4 && at.x() > previous.x()))
            << "after " << previousName.toStdString();
        previous = at;
        previousName = widget->objectName();
    }
    EXPECT_EQ(seen.size(), roles.size());  // every kind of control was reached
}

// The preset chips follow the list: a custom order selects none, dragging
// cpu above memory gives Minimal, resetting Balanced.
TEST_F(IslandSettingsViewTest, DraggingAndResettingSelectTheMatchingPreset)
{
    state.setCollapsedMetricPreferences(
        List({{Kind::memory, true}, {Kind::network, false}, {Kind::cpu, true}, {Kind::power, false}}));
    QLabel& custom = child<QLabel>("customLabel");
    EXPECT_TRUE(isShown(custom));
    EXPECT_TRUE(selectedChips().isEmpty());

    dragRow(list(), 2, list().rowRect(0).top() + 2);  // cpu, third row, dropped above the first
    EXPECT_EQ(state.collapsedMetricPreferences(),
              List({{Kind::cpu, true}, {Kind::memory, true}, {Kind::network, false}, {Kind::power, false}}));
    EXPECT_EQ(selectedChips(), QStringList{"presetMinimal"});
    EXPECT_FALSE(isShown(custom));

    list().dropRow(0, 4);  // cpu to the end, by the destination before the move
    EXPECT_EQ(CollapsedMetricConfiguration::visibleKinds(state.collapsedMetricPreferences()),
              (QList<Kind>{Kind::memory, Kind::cpu}));
    EXPECT_TRUE(isShown(custom));
    const int writes = defaults.writeCount();
    list().dropRow(1, 1);  // right where it is: nothing changes, nothing is saved
    list().dropRow(1, 2);
    EXPECT_EQ(defaults.writeCount(), writes);

    child<SettingsTextButton>("resetButton").click();
    EXPECT_EQ(state.collapsedMetricPreferences(), CollapsedMetricConfiguration::defaultPreferences());
    EXPECT_EQ(selectedChips(), QStringList{"presetBalanced"});
}

TEST_F(IslandSettingsViewTest, BehaviorSwitchesAndTabWriteTheState)
{
    SettingsSwitch& hover = child<SettingsSwitch>("expandOnHoverSwitch");
    const bool wasOn = state.expandOnHover();
    hover.click();
    EXPECT_EQ(state.expandOnHover(), !wasOn);
    SettingsSwitch& keepClear = child<SettingsSwitch>("keepWindowsClearSwitch");
    EXPECT_TRUE(keepClear.isChecked());
    keepClear.click();
    EXPECT_FALSE(state.keepsWindowsClear());
    state.setShowPowerFlow(false);
    EXPECT_FALSE(child<SettingsSwitch>("powerFlowSwitch").isChecked());

    SettingsMenuPicker& tab = child<SettingsMenuPicker>("defaultTabPicker");
    emit tab.activated(3);
    EXPECT_EQ(state.selectedMetric(), MetricKind::network);
    state.setSelectedMetric(MetricKind::power);
    EXPECT_EQ(tab.currentText(), "Power");

    // The size follows the screen until one is chosen, then it is kept.
    SettingsMenuPicker& size = child<SettingsMenuPicker>("sizePicker");
    EXPECT_EQ(size.count(), 3);
    EXPECT_EQ(state.sizePercent(), std::nullopt);
    emit size.activated(2);
    EXPECT_EQ(state.sizePercent(), 150);
    state.setSizePercent(100);
    EXPECT_EQ(size.currentText(), "100 %");
}

TEST_F(IslandSettingsViewTest, DownloadSwitchKeepsItsValueWhileAutomaticChecksAreOff)
{
    updater.checks = false;
    updater.downloads = true;
    SettingsSwitch& checks = child<SettingsSwitch>("automaticChecksSwitch");
    SettingsSwitch& downloads = child<SettingsSwitch>("automaticDownloadsSwitch");
    EXPECT_FALSE(downloads.isEnabled());
    EXPECT_TRUE(downloads.isChecked());
    EXPECT_EQ(updater.checkWrites + updater.downloadWrites, 0);  // reading writes nothing

    checks.click();
    EXPECT_TRUE(updater.checks);
    EXPECT_TRUE(downloads.isEnabled());
    downloads.click();
    EXPECT_FALSE(updater.downloads);
    checks.click();
    EXPECT_FALSE(downloads.isEnabled());
    EXPECT_FALSE(downloads.isChecked());
    EXPECT_EQ(updater.downloadWrites, 1);
}

TEST_F(IslandSettingsViewTest, CheckButtonAndStatusLineFollowTheCheck)
{
    SettingsTextButton& check = child<SettingsTextButton>("checkForUpdatesButton");
    auto& line = child<SettingsUpdateStatusLine>("updateStatusLine");
    EXPECT_FALSE(isShown(line));  // idle: no line at all
    check.click();
    EXPECT_EQ(updater.informationChecks, 1);
    EXPECT_FALSE(check.isEnabled());
    EXPECT_TRUE(isShown(line));
    EXPECT_EQ(line.text(), "Checking for updates…");

    coordinator.updaterDidFindValidUpdate(updater, "2.1");
    EXPECT_EQ(line.text(), "Version 2.1 is available");
    view().layout()->activate();
    EXPECT_TRUE(boxOf(line).contains(boxOf(child<SettingsTextButton>("viewUpdateButton"))));
    child<SettingsTextButton>("viewUpdateButton").click();
    scheduler.advance(0);
    EXPECT_EQ(updater.interactiveChecks, 1);

    coordinator.beginManualCheck(updater);
    coordinator.updaterDidNotFindUpdate(updater);
    EXPECT_EQ(line.text(), QStringLiteral("You\u2019re up to date"));
    EXPECT_TRUE(check.isEnabled());
    updater.changeCanCheck(false);
    EXPECT_FALSE(check.isEnabled());
    updater.changeCanCheck(true);
    EXPECT_TRUE(check.isEnabled());
}

TEST_F(IslandSettingsViewTest, FailedLoginChangeShowsTheMessageAndLeavesTheSwitchOffEitherWay)
{
    for (const bool wasEnabled : {false, true}) {
        SCOPED_TRACE(wasEnabled);
        view_.reset();
        loginItem.requests.clear();
        loginItem.enabled = wasEnabled;
        loginItem.fails = true;
        // What the item says about its failure; a generic line when it says nothing.
        loginItem.message = wasEnabled ? QString() : QStringLiteral("The entry could not be written: disk full.");
        SettingsSwitch& login = child<SettingsSwitch>("launchAtLoginSwitch");
        QLabel& error = child<QLabel>("loginErrorLabel");
        EXPECT_EQ(login.isChecked(), wasEnabled);
        EXPECT_FALSE(isShown(error));

        login.click();
        EXPECT_EQ(loginItem.requests, QList<bool>{!wasEnabled});
        EXPECT_FALSE(login.isChecked());
        EXPECT_TRUE(isShown(error));
        EXPECT_EQ(error.text(), wasEnabled ? IslandSettingsView::launchAtLoginFailureMessage : loginItem.message);
    }
    // A later success clears the message.
    loginItem.fails = false;
    child<SettingsSwitch>("launchAtLoginSwitch").click();
    EXPECT_TRUE(child<SettingsSwitch>("launchAtLoginSwitch").isChecked());
    EXPECT_FALSE(isShown(child<QLabel>("loginErrorLabel")));
}

TEST_F(IslandSettingsViewTest, WithoutAnUpdateFeedTheUpdatesSectionIsOneLine)
{
    updater.feed = false;
    EXPECT_EQ(child<QLabel>("packageManagerUpdatesNote").text(), "Updates come with your system's package manager");
    for (const char* control : {"automaticChecksSwitch", "automaticDownloadsSwitch", "checkForUpdatesButton",
                                "updateStatusLine"})
        EXPECT_EQ(view().findChild<QWidget*>(QLatin1String(control)), nullptr) << control;
    coordinator.beginManualCheck(updater);  // nothing left to refresh
}

// Choices that cannot be saved and a history that cannot be written are each
// told in one line, which goes once a write succeeds.
TEST_F(IslandSettingsViewTest, UnsavedChoicesAndUnwritableHistoryAreToldInALineEach)
{
    FailingDefaultsStore full;
    IslandState unsaved(full, scheduler, std::nullopt);
    HistoryRecorder history(QStringLiteral("/dev/null/Moravel/history.json"), scheduler, nullptr);
    IslandSettingsView settings(unsaved, updater, coordinator, loginItem, nullptr, &history);
    QLabel& line = *settings.findChild<QLabel*>("saveFailureLabel");
    QLabel& historyLine = *settings.findChild<QLabel*>("historyFailureLabel");
    EXPECT_FALSE(line.isVisibleTo(&settings));
    EXPECT_FALSE(historyLine.isVisibleTo(&settings));

    settings.findChild<SettingsSwitch*>("expandOnHoverSwitch")->click();
    settings.findChild<SettingsSwitch*>("powerFlowSwitch")->click();
    EXPECT_FALSE(unsaved.expandOnHover());  // the choice holds for this run
    EXPECT_EQ(line.text(), "Your choices could not be saved: the storage is gone.");
    history.flush();
    EXPECT_EQ(historyLine.text(), "The history cannot be written: the folder /dev/null/Moravel cannot be created. "
                                  "It is kept in memory meanwhile.");
    EXPECT_TRUE(line.isVisibleTo(&settings));
    EXPECT_TRUE(historyLine.isVisibleTo(&settings));
    full.failsWrites = false;
    settings.findChild<SettingsSwitch*>("expandOnHoverSwitch")->click();
    EXPECT_FALSE(line.isVisibleTo(&settings));
}

// Without a notification service the section says alerts are not shown, and
// follows a service that answers late, comes and goes; while the service
// refuses alerts, it says why.
TEST_F(IslandSettingsViewTest, AlertsSectionFollowsTheNotificationServiceAndTellsWhyAlertsAreLost)
{
    alerts.emplace(monitor, scheduler, defaults, nullptr);
    const QLabel& noService = child<QLabel>("noNotificationServiceLabel");
    const QLabel& lost = child<QLabel>("alertShowFailureLabel");
    EXPECT_FALSE(noService.isHidden());
    EXPECT_EQ(noService.text(), "No notification service: alerts are not shown.");
    auto notifier = std::make_unique<fixtures::FakeAlertNotifier>();
    fixtures::FakeAlertNotifier& service = *notifier;
    alerts->setNotifier(std::move(notifier));  // the session bus answered late
    EXPECT_TRUE(noService.isHidden());
    EXPECT_TRUE(lost.isHidden());
    service.answer(QStringLiteral("too many notifications"));
    EXPECT_FALSE(lost.isHidden());
    EXPECT_EQ(lost.text(), "The latest alert could not be shown: too many notifications");
    service.setService(false);
    EXPECT_FALSE(noService.isHidden());
    EXPECT_TRUE(lost.isHidden());  // the line above says enough
    service.setService(true);
    EXPECT_TRUE(noService.isHidden());
    service.answer(std::nullopt);
    EXPECT_TRUE(lost.isHidden());
}

// Each control of the Alerts section changes the running rule at once and is
// stored; the steps stop at the rule's bounds, and Reset brings the defaults back.
TEST_F(IslandSettingsViewTest, AlertControlsChangeTheRunningRulesAndAreStored)
{
    alerts.emplace(monitor, scheduler, defaults, nullptr);
    const auto stepper = [&](const QString& name) -> SettingsStepper& {
        return child<SettingsStepper>(name.toLatin1().constData());
    };
    const struct {
        const char* control;  // a switch, a stepper's end, or a stepper with `key`
        int clicks;
        AlertRule rule;
        bool enabled;
        std::optional<double> threshold;
        const char* shown;
        int key = 0;
    } rows[] = {
        {"cpuThreshold+", 1, AlertRule::cpu, true, 95, "95 %"},
        {"cpuAlert", 1, AlertRule::cpu, false, 95, "95 %"},
        {"diskThreshold-", 2, AlertRule::disk, true, 93, "93 %"},
        {"diskThreshold", 1, AlertRule::disk, true, 83, "83 %", Qt::Key_PageDown},  // ten steps
        {"diskThreshold", 2, AlertRule::disk, true, 85, "85 %", Qt::Key_Up},
        {"diskThreshold", 1, AlertRule::disk, true, 84, "84 %", Qt::Key_Down},
        {"batteryThreshold-", 3, AlertRule::battery, true, 1, "1 %"},  // 10, 5, then its floor
        {"batteryThreshold", 1, AlertRule::battery, true, 50, "50 %", Qt::Key_PageUp},  // ten steps, at its ceiling
        {"cpuTemperatureThreshold+", 9, AlertRule::cpuTemperature, true, 130, "130 \u00B0C"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.control);
        const QString control = QString::fromLatin1(row.control);
        for (int i = 0; i < row.clicks; ++i) {
            if (control.endsWith("Alert")) {
                child<SettingsSwitch>(row.control).click();
            } else if (row.key != 0) {
                pressKey(stepper(control), row.key);
            } else {
                SettingsStepper& s = stepper(control.chopped(1));
                click(s, (control.endsWith('+') ? s.raiseRect() : s.lowerRect()).center());
            }
        }
        const AlertRuleSetting expected{row.enabled, row.threshold};
        EXPECT_EQ(alerts->preferences()[static_cast<size_t>(row.rule)], expected);
        EXPECT_EQ(AlertPreferencesStore::load(defaults)[static_cast<size_t>(row.rule)], expected);
        const QString key = QString::fromLatin1(alertRuleDescriptor(row.rule).key);
        EXPECT_EQ(stepper(key + "Threshold").valueText(), QString::fromUtf8(row.shown));
    }
    EXPECT_FALSE(stepper("cpuThreshold").isEnabled());  // a rule switched off keeps its threshold
    child<SettingsTextButton>("alertsResetButton").click();
    EXPECT_EQ(alerts->preferences(), AlertPreferences{});
    EXPECT_EQ(stepper("diskThreshold").valueText(), "95 %");
}

// While the machine watched cannot be read, the Source section says why.
TEST_F(IslandSettingsViewTest, SourceSectionSaysWhyTheMachineWatchedCannotBeRead)
{
    auto remote = std::make_shared<fixtures::FakeSource>();
    remote->machine = QStringLiteral("nas.lan");
    SourceSelector selector(monitor, defaults, [&](const SourceChoice& choice) -> std::variant<ChosenSource, QString> {
        return ChosenSource{remote, choice};
    });
    view().addSourceSection(selector);
    const QLabel& line = child<QLabel>("sourceReachabilityLabel");
    ASSERT_EQ(selector.choose(SourceChoice{QStringLiteral("https://nas.lan/metrics"), {}}), std::nullopt);
    for (const char* failure :
         {"", "the exporter refused the credentials (HTTP 401)", "no answer within 2 seconds", ""}) {
        remote->failure = failure[0] ? std::optional<QString>(failure) : std::nullopt;
        monitor.refresh();
        EXPECT_EQ(line.isVisibleTo(&view()), failure[0] != '\0') << failure;
        EXPECT_EQ(line.text(), failure[0] ? QStringLiteral("Can't reach nas.lan: %1.").arg(failure) : QString());
    }
}

// An address the rules refuse changes nothing and is kept nowhere; one they
// allow switches the monitor at once and is kept, written out in full.
TEST_F(IslandSettingsViewTest, SourceSectionKeepsAllowedAddressesAndRefusesTheRest)
{
    QTemporaryDir dir;
    const QString privateFile = dir.filePath("private");
    QFile file(privateFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("me:secret\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    int thisComputerSources = 0;
    ManualRunner parser;
    SourceSelector selector(monitor, defaults, choiceSources(scheduler, &parser, [&] {
        ++thisComputerSources;
        return std::make_shared<fixtures::FakeSource>();
    }));
    view().addSourceSection(selector);
    auto& section = child<SettingsSourceSection>("sourceSection");
    QLabel& problem = child<QLabel>("sourceProblemLabel");

    const struct {
        const char* address;
        QString credentialsFile;
        const char* kept;  // the stored address; nullptr: refused, the previous one stays
        const char* machine;
    } rows[] = {
        {"http://192.168.1.20:9100", {}, "http://192.168.1.20:9100/metrics", "192.168.1.20"},
        {"http://203.0.113.9:9100/metrics", {}, nullptr, "192.168.1.20"},
        {" https://nas.example:9100/x ", {}, "https://nas.example:9100/x", "nas.example"},
        {"https://nas.example", privateFile, "https://nas.example/metrics", "nas.example"},
        {"", {}, nullptr, "nas.example"},
    };
    for (const auto& row : rows) {
        section.watch(QString::fromLatin1(row.address), row.credentialsFile);
        const SourceChoice stored = SourceChoiceStore::load(defaults);
        EXPECT_EQ(problem.isVisibleTo(&view()), row.kept == nullptr) << row.address;
        if (row.kept) {
            EXPECT_EQ(stored, (SourceChoice{QString::fromLatin1(row.kept), row.credentialsFile})) << row.address;
        }
        EXPECT_EQ(monitor.machineName(), QString::fromLatin1(row.machine)) << row.address;
    }
    EXPECT_EQ(problem.text(), "Enter the exporter's address, such as http://192.168.1.20:9100/metrics.");

    // A Prometheus server: kept marked as one, shown again as typed under its own choice.
    child<SettingsCapsuleButton>("sourcePrometheusServer").click();
    EXPECT_EQ(section.shownKind(), SettingsSourceSection::Kind::prometheusServer);
    section.watch("http://10.0.0.5:9090/", {}, SettingsSourceSection::Kind::prometheusServer);
    EXPECT_EQ(SourceChoiceStore::load(defaults), (SourceChoice{"prometheus+http://10.0.0.5:9090", {}}));
    EXPECT_EQ(monitor.machineName(), "10.0.0.5");
    EXPECT_EQ(child<QLineEdit>("sourceAddress").text(), "http://10.0.0.5:9090");
    section.watch({}, {}, SettingsSourceSection::Kind::prometheusServer);
    EXPECT_EQ(problem.text(), "Enter the server's address, such as http://10.0.0.5:9090.");
    SettingsMessages messages;
    SettingsSourceSection again(selector, messages);
    EXPECT_EQ(again.shownKind(), SettingsSourceSection::Kind::prometheusServer);

    child<SettingsCapsuleButton>("sourceThisComputer").click();
    EXPECT_TRUE(SourceChoiceStore::load(defaults).isThisComputer());
    EXPECT_TRUE(monitor.machineName().isEmpty());
    EXPECT_EQ(thisComputerSources, 1);
    EXPECT_FALSE(child<QWidget>("sourceAddress").isVisibleTo(&view()));
}

TEST_F(IslandSettingsViewTest, ShowingBeginsAndHidingEndsOneInteraction)
{
    int begun = 0;
    QObject::connect(&state, &IslandState::isInteractionPresentedChanged, [&](bool presented) { begun += presented; });
    view().show();
    view().show();
    EXPECT_EQ(begun, 1);
    view_.reset();  // destroyed while shown
    EXPECT_FALSE(state.isInteractionPresented());
}

TEST_F(IslandSettingsViewTest, CaptionSpeaksOfTheCameraOnlyAroundANotchAndTheVersionDashesUnknownParts)
{
    QLabel& caption = child<QLabel>("layoutCaption");
    EXPECT_TRUE(caption.text().endsWith("Drag rows to arrange them left to right.")) << caption.text().toStdString();
    state.setDisplayGeometry({200, 32});
    EXPECT_TRUE(caption.text().endsWith("left to right around the camera.")) << caption.text().toStdString();
    EXPECT_EQ(appVersionText("1.4", "27"), "Version 1.4 (27)");
    EXPECT_EQ(appVersionText("1.4", ""), QStringLiteral("Version 1.4 (\u2014)"));
}

TEST_F(IslandSettingsViewTest, EverythingFitsInsideThePaddedColumn)
{
    loginItem.fails = true;
    child<SettingsSwitch>("launchAtLoginSwitch").click();
    coordinator.beginManualCheck(updater);
    coordinator.updaterDidFinishUpdateCycle(updater, UpdateCheckKind::updateInformation,
                                            QString("The update feed could not be reached because the network is "
                                                    "offline; try again later."));
    // Laid out as shown, wrapped texts included.
    view().show();
    QCoreApplication::processEvents();
    EXPECT_EQ(view().width(), IslandSettingsView::fixedWidth);

    const QRect content = view().rect().adjusted(18, 18, -18, -18);
    for (QWidget* widget : view().findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&view()) || widget->parentWidget() == nullptr)
            continue;
        const QRect box(widget->mapTo(&view(), QPoint(0, 0)), widget->size());
        EXPECT_GE(box.height(), widget->minimumSizeHint().height()) << widget->metaObject()->className();
        EXPECT_TRUE(content.contains(box)) << widget->metaObject()->className() << " "
                                           << widget->objectName().toStdString() << " at y "
                                           << box.top() << ".." << box.bottom() << " of " << view().height();
    }

    const QImage image = moravel::testing::renderWidget(view(), Qt::black);
    // The failure texts are drawn in red, the selected chip in mint.
    EXPECT_GT(moravel::testing::countPixels(image, IslandPalette::red()), 40);
    EXPECT_GT(moravel::testing::countPixels(image, IslandPalette::mint()), 400);
}

}  // namespace
}  // namespace moravel

