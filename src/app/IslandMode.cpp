#include "app/IslandMode.h"

#include "BuildInfo.h"
#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/DisplayCheck.h"
#include "app/InstanceLock.h"
#include "app/IslandCommand.h"
#include "app/IslandService.h"
#include "app/Platform.h"
#include "app/SignalQuit.h"
#include "alerts/AlertCenter.h"
#include "alerts/AlertEpisodeFile.h"
#include "alerts/DBusNotifier.h"
#include "alerts/SessionBus.h"
#include "history/HistoryFile.h"
#include "views/panel/IslandPanelController.h"
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

// A bus daemon answers within milliseconds; the island waits no longer than
// this for one before it shows without the bus.
constexpr std::chrono::seconds busWait{2};

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

// The notifier `make` gives, its problem (if any) told on standard error.
template <typename Make>
std::unique_ptr<AlertNotifier> reportingProblem(Make make)
{
    QString problem;
    std::unique_ptr<AlertNotifier> notifier = make(&problem);
    if (!problem.isEmpty())
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
    return notifier;
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

    X11DisplayCheck display;
    if (const std::optional<QString>& problem = display.problem()) {
        std::fprintf(stderr, "%s\n", problem->toLocal8Bit().constData());
        return 1;
    }

    InstanceLock instanceLock = InstanceLock::forThisUser();
    switch (instanceLock.acquire()) {
    case InstanceLock::Outcome::acquired:
        break;
    case InstanceLock::Outcome::heldByAnother:
        return openRunningIsland(argc, argv);
    case InstanceLock::Outcome::unusable:
        std::fprintf(stderr, "%s\n", instanceLock.failure().toLocal8Bit().constData());
        return 1;
    }

    auto sessionBus = std::make_unique<SessionBusProbe>();
    const bool busAnswered = sessionBus->waitForAnswer(busWait) != SessionBusProbe::Answer::pending;
    if (!busAnswered) {
        std::fputs("moravel: the D-Bus session bus does not answer; alerts are shown once it does\n", stderr);
        keepQtOffTheSessionBus();
    }

    QApplication app(argc, argv);
    display.close();  // the application has its own connection now
    QApplication::setApplicationName(QStringLiteral("Moravel"));
    QApplication::setQuitOnLastWindowClosed(false);
    SignalQuit signalQuit;

    QtScheduler scheduler;
    ThreadPoolRunner background;
    SettingsDefaultsStore defaults;
    if (const std::optional<QString> problem = defaults.unusableFile())
        std::fprintf(stderr, "%s\n", problem->toLocal8Bit().constData());
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
        [busAnswered]() -> std::unique_ptr<AlertNotifier> {
            return busAnswered ? reportingProblem(&DBusNotifier::forSessionBus) : nullptr;
        },
        HistoryFile::defaultPath(), &background, AlertEpisodeFile::defaultPath(),
        choiceSources(scheduler, &background, thisComputer),
        *sourceForThisRun,
        qEnvironmentVariableIsSet(islandWindowModeVariable)
            ? std::optional<QString>(qEnvironmentVariable(islandWindowModeVariable))
            : std::nullopt});
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    delegate.applicationDidFinishLaunching();
    // `moravel --toggle` and a second `moravel` reach the island on the bus.
    IslandPanelController& panel = *delegate.panelController();
    IslandService islandService(panel.state(), [&panel] { panel.takeKeyboard(); });
    const auto publish = [&islandService](const QDBusConnection& bus) {
        QString problem;
        if (bus.isConnected() && !islandService.publishOn(bus, &problem))
            std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
    };
    if (busAnswered) {
        publish(QDBusConnection::sessionBus());
    } else {
        sessionBus->whenAnswered(&delegate, [&delegate, publish, address = sessionBus->address()] {
            delegate.alerts()->setNotifier(
                reportingProblem([&address](QString* problem) { return DBusNotifier::forBusAt(address, problem); }));
            publish(QDBusConnection::connectToBus(address, QStringLiteral("moravel-island")));
        });
    }
    const int status = QApplication::exec();
    sessionBus.reset();  // a late answer must not reach an application on its way out
    return status;
}

}  // namespace moravel
