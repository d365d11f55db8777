#pragma once

#include "views/panel/IslandPanelScreens.h"
#include "monitor/SourceSelector.h"
#include "monitor/SystemMonitor.h"
#include "updates/UpdateCheckCoordinator.h"

#include <QObject>

#include <memory>
#include <optional>

namespace moravel {

class AlertCenter;
class AlertNotifier;
class BackgroundRunner;
class DefaultsStore;
class HistoryRecorder;
class IslandPanelController;
class LoginItem;
class Scheduler;
class Updater;

// What the application runs on: real services in production, stand-ins in tests.
struct AppEnvironment {
    Scheduler& scheduler;
    DefaultsStore& defaults;
    LoginItem& loginItem;
    std::shared_ptr<TelemetrySource> source;
    std::function<std::unique_ptr<ScreenEnvironment>()> makeScreens;
    std::function<std::unique_ptr<Updater>(Scheduler&, DefaultsStore&)> makeUpdater;
    std::optional<QString> islandExpandedEnvironment;
    // Shows alerts; empty, or returning nothing, shows none.
    std::function<std::unique_ptr<AlertNotifier>()> makeAlertNotifier = {};
    // The file of the day's history; empty keeps it in memory only.
    QString historyPath = {};
    // Where the history file is written; nothing writes it on the main thread.
    BackgroundRunner* historyWriter = nullptr;
    // The file of the alerts that have warned and not yet settled; empty
    // keeps them for this run only.
    QString alertEpisodesPath = {};
    // Makes the source of a choice in the settings; empty offers no choice
    // and reads `source` throughout.
    SourceFactory makeSource = {};
    // The machine to read this run instead of the stored choice (--source).
    std::optional<SourceChoice> sourceForThisRun = {};
    // MORAVEL_WINDOW: "dock" or "unmanaged" instead of the mode the window manager calls for.
    std::optional<QString> islandWindowEnvironment = {};
};

// Creates the long-lived objects in a fixed order, shows the island and starts
// sampling; stops sampling when the application ends.
class AppDelegate final : public QObject {
    Q_OBJECT

public:
    explicit AppDelegate(AppEnvironment environment, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    UpdateCheckCoordinator& updateCheckCoordinator() { return updateCheckCoordinator_; }
    SystemMonitor* monitor() const { return monitor_.get(); }
    IslandPanelController* panelController() const { return panelController_.get(); }
    Updater* updater() const { return updater_.get(); }
    AlertCenter* alerts() const { return alerts_.get(); }
    HistoryRecorder* history() const { return history_.get(); }
    SourceSelector* sourceSelector() const { return sourceSelector_.get(); }

private:
    void startHistory();
    void startAlerts();
    void openAlertsOnClick();
    void chooseSource();

    AppEnvironment environment_;
    UpdateCheckCoordinator updateCheckCoordinator_;
    std::unique_ptr<Updater> updater_;
    std::unique_ptr<SystemMonitor> monitor_;
    std::unique_ptr<SourceSelector> sourceSelector_;
    std::unique_ptr<HistoryRecorder> history_;
    std::unique_ptr<AlertCenter> alerts_;
    std::unique_ptr<IslandPanelController> panelController_;
};

}  // namespace moravel
