#include "app/AppDelegate.h"

#include "views/panel/IslandPanelController.h"
#include "views/panel/IslandPanelWindowSystem.h"
#include "updates/Updater.h"

namespace moravel {

AppDelegate::AppDelegate(AppEnvironment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)), updateCheckCoordinator_(environment_.scheduler)
{
}

AppDelegate::~AppDelegate()
{
    // The panel's views hold the updater and monitor: they go first.
    panelController_.reset();
    if (updater_)
        updater_->setDelegate(nullptr);
}

void AppDelegate::applicationDidFinishLaunching()
{
    monitor_ = std::make_unique<SystemMonitor>(environment_.scheduler, environment_.source);
    updater_ = environment_.makeUpdater(environment_.scheduler, environment_.defaults);
    updater_->setDelegate(&updateCheckCoordinator_);
    panelController_ = std::make_unique<IslandPanelController>(
        IslandPanelController::Services{*monitor_, *updater_, updateCheckCoordinator_, environment_.defaults,
                                        environment_.scheduler, environment_.loginItem},
        environment_.makeScreens(), makeWindowSystem(), environment_.islandExpandedEnvironment);
    panelController_->updateFrame(panelController_->state().isExpanded(), false);
    panelController_->orderFront();
    panelController_->installEventMonitor();
    monitor_->start();
}

void AppDelegate::applicationWillTerminate()
{
    if (monitor_)
        monitor_->stop();
}

}  // namespace moravel
