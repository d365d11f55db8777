#include "app/AppDelegate.h"

#include "alerts/AlertCenter.h"
#include "history/HistoryRecorder.h"
#include "island/IslandState.h"
#include "views/panel/IslandPanelController.h"
#include "views/panel/IslandPanelWindowSystem.h"
#include "updates/Updater.h"

#include <cstdio>

namespace moravel {

AppDelegate::AppDelegate(AppEnvironment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)), updateCheckCoordinator_(environment_.scheduler)
{
}

AppDelegate::~AppDelegate()
{
    // The panel's views hold the updater, monitor and source selector: they go first.
    panelController_.reset();
    if (updater_)
        updater_->setDelegate(nullptr);
}

void AppDelegate::applicationDidFinishLaunching()
{
    monitor_ = std::make_unique<SystemMonitor>(environment_.scheduler, environment_.source);
    chooseSource();
    startHistory();
    updater_ = environment_.makeUpdater(environment_.scheduler, environment_.defaults);
    updater_->setDelegate(&updateCheckCoordinator_);
    startAlerts();
    std::unique_ptr<WindowSystem> windows = makeWindowSystem();
    const IslandWindowModeChoice mode =
        chooseIslandWindowMode(windows->windowManagerName(), environment_.islandWindowEnvironment);
    if (!mode.warning.isEmpty())
        std::fprintf(stderr, "%s\n", mode.warning.toLocal8Bit().constData());
    panelController_ = std::make_unique<IslandPanelController>(
        IslandPanelController::Services{*monitor_, *updater_, updateCheckCoordinator_, environment_.defaults,
                                        environment_.scheduler, environment_.loginItem, alerts_.get(),
                                        history_.get(), sourceSelector_.get()},
        environment_.makeScreens(), std::move(windows), environment_.islandExpandedEnvironment, mode.mode);
    panelController_->updateFrame(panelController_->state().isExpanded(), false);
    panelController_->orderFront();
    panelController_->installEventMonitor();
    openAlertsOnClick();
    monitor_->start();
}

void AppDelegate::applicationWillTerminate()
{
    if (monitor_)
        monitor_->stop();
    if (history_)
        history_->flush();
}

void AppDelegate::startHistory()
{
    history_ = std::make_unique<HistoryRecorder>(environment_.historyPath, environment_.scheduler,
                                                 environment_.historyWriter);
    history_->load([](const QString& problem) { std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData()); });
    // The kept history is this computer's: another machine's samples stay out of it.
    connect(monitor_.get(), &SystemMonitor::historyChanged, history_.get(),
            [history = history_.get(), monitor = monitor_.get()](const MetricHistory& samples) {
                if (!samples.isEmpty() && monitor->machineName().isEmpty())
                    history->addSample(samples.last());
            });
}

void AppDelegate::chooseSource()
{
    if (!environment_.makeSource)
        return;
    sourceSelector_ = std::make_unique<SourceSelector>(*monitor_, environment_.defaults, environment_.makeSource);
    const std::optional<QString> problem = environment_.sourceForThisRun
                                               ? sourceSelector_->useForThisRun(*environment_.sourceForThisRun)
                                               : sourceSelector_->useStored();
    if (problem)
        std::fprintf(stderr, "moravel: watching this computer instead of the chosen machine: %s\n",
                     problem->toLocal8Bit().constData());
}

void AppDelegate::startAlerts()
{
    std::unique_ptr<AlertNotifier> notifier;
    if (environment_.makeAlertNotifier)
        notifier = environment_.makeAlertNotifier();
    alerts_ = std::make_unique<AlertCenter>(*monitor_, environment_.scheduler, environment_.defaults,
                                            std::move(notifier), environment_.alertEpisodesPath);
    connect(alerts_.get(), &AlertCenter::alertsLost, this, [](const QString& why) {
        std::fprintf(stderr, "moravel: an alert could not be shown: %s\n", why.toLocal8Bit().constData());
    });
}

void AppDelegate::openAlertsOnClick()
{
    // A click on an alert opens the island pinned on the reading's tab.
    IslandState& state = panelController_->state();
    connect(alerts_.get(), &AlertCenter::openRequested, &state, [this, &state](MetricKind tab, const QString& machine) {
        if (!machine.isEmpty())
            monitor_->chooseMachine(machine);
        state.setSelectedMetric(tab);
        state.setLockedOpen(true);
        state.requestExpansion();
    });
}

}  // namespace moravel
