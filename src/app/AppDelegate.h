#pragma once

#include "views/panel/IslandPanelScreens.h"
#include "monitor/SystemMonitor.h"
#include "updates/UpdateCheckCoordinator.h"

#include <QObject>

#include <memory>
#include <optional>

namespace moravel {

class DefaultsStore;
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

private:
    AppEnvironment environment_;
    UpdateCheckCoordinator updateCheckCoordinator_;
    std::unique_ptr<Updater> updater_;
    std::unique_ptr<SystemMonitor> monitor_;
    std::unique_ptr<IslandPanelController> panelController_;
};

}  // namespace moravel
