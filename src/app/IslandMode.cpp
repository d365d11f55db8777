#include "app/IslandMode.h"

#include "BuildInfo.h"
#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/DisplayCheck.h"
#include "app/InstanceLock.h"
#include "app/Platform.h"
#include "app/SignalQuit.h"
#include "alerts/AlertEpisodeFile.h"
#include "alerts/DBusNotifier.h"
#include "history/HistoryFile.h"
#include "views/panel/IslandPanelScreens.h"
#include "island/IslandState.h"
#include "island/IslandWindowMode.h"
#include "monitor/prometheus/ChoiceSources.h"
#include "monitor/remote/RemoteAddress.h"
#include "support/BackgroundRunner.h"
#include "support/QtScheduler.h"
#include "support/SettingsDefaultsStore.h"
#include "support/XdgAutostartLoginItem.h"
#include "updates/feed/FeedUpdater.h"

#include <QApplication>
#include <QDesktopServices>

#include <cstdio>

namespace moravel {

namespace {

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The machine or fleet named on the command line; nothing (the reason told)
// when its credentials cannot be used, as that run would otherwise watch the
// wrong machine.
std::optional<std::optional<SourceChoice>> commandLineSource(const RunOptions& options)
{
    if (!options.source)
        return std::optional<SourceChoice>();
    const auto endpoint = endpointWithCredentials(*options.source, options.sourceCredentials);
    if (const QString* problem = std::get_if<QString>(&endpoint)) {
        std::fprintf(stderr, "moravel: %s\n", problem->toLocal8Bit().constData());
        return std::nullopt;
    }
    return options.sourceChoice();
}

}  // namespace

int runIslandMode(int& argc, char** argv, const RunOptions& options)
{
    const std::optional<std::optional<SourceChoice>> sourceForThisRun = commandLineSource(options);
    if (!sourceForThisRun)
        return 1;
    if (!hasDisplay()) {
        std::fputs("moravel: no display to show the island on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                   "moravel --json prints the readings instead\n",
                   stderr);
        return 1;
    }
    // A Wayland client cannot place itself at the top edge: go through XWayland
    // unless the user chose a platform.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    if (const std::optional<QString> problem = x11DisplayProblem()) {
        std::fprintf(stderr, "%s\n", problem->toLocal8Bit().constData());
        return 1;
    }

    InstanceLock instanceLock = InstanceLock::forThisUser();
    switch (instanceLock.acquire()) {
    case InstanceLock::Outcome::acquired:
        break;
    case InstanceLock::Outcome::heldByAnother:
        std::fputs("moravel: the island is already running\n", stdout);
        return 0;
    case InstanceLock::Outcome::unusable:
        std::fprintf(stderr, "%s\n", instanceLock.failure().toLocal8Bit().constData());
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moravel"));
    QApplication::setQuitOnLastWindowClosed(false);
    SignalQuit signalQuit;

    QtScheduler scheduler;
    ThreadPoolRunner background;
    SettingsDefaultsStore defaults;
    XdgAutostartLoginItem loginItem = XdgAutostartLoginItem::forRunningApplication();
    const ReaderRoots roots = ReaderRoots::fromEnvironment();
    reportUnreadableReaderRoots(roots);
    const auto thisComputer = [&roots, &scheduler, &background] {
        return makeTelemetrySource(roots, scheduler, background);
    };
    AppDelegate delegate(AppEnvironment{
        scheduler, defaults, loginItem, thisComputer(),
        [] { return makeQtScreenEnvironment(); },
        [](Scheduler& s, DefaultsStore& store) -> std::unique_ptr<Updater> {
            FeedUpdaterOptions options;
            options.feedUrl = FeedUpdater::configuredFeedUrl();
            options.runningVersion = QString::fromUtf8(build::version);
            options.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
            return std::make_unique<FeedUpdater>(std::move(options), s, store);
        },
        IslandState::expandedEnvironmentFromProcess(),
        []() -> std::unique_ptr<AlertNotifier> {
            QString problem;
            std::unique_ptr<AlertNotifier> notifier = DBusNotifier::forSessionBus(&problem);
            if (!problem.isEmpty())
                std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
            return notifier;
        },
        HistoryFile::defaultPath(), &background, AlertEpisodeFile::defaultPath(),
        choiceSources(scheduler, &background, thisComputer),
        *sourceForThisRun,
        qEnvironmentVariableIsSet(islandWindowModeVariable)
            ? std::optional<QString>(qEnvironmentVariable(islandWindowModeVariable))
            : std::nullopt});
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}

}  // namespace moravel
