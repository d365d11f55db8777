#include "app/IslandCommand.h"

#include "alerts/SessionBus.h"
#include "app/IslandService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include <cstdio>

namespace moravel {

namespace {

// A bus daemon answers within milliseconds; a running island within this.
constexpr std::chrono::seconds busWait{2};
constexpr int callTimeoutMilliseconds = 5000;

QString methodOf(IslandCommand::Action action)
{
    switch (action) {
    case IslandCommand::Action::toggle:
        return QStringLiteral("Toggle");
    case IslandCommand::Action::open:
        return QStringLiteral("Open");
    case IslandCommand::Action::close:
        return QStringLiteral("Close");
    }
    return {};
}

// The outcome of `command` on the session bus, asked first so that a bus
// that never answers cannot hold the command up.
IslandCallOutcome callOnSessionBus(const IslandCommand& command, QString* problem)
{
    const SessionBusProbe probe;
    if (probe.waitForAnswer(busWait) != SessionBusProbe::Answer::answered) {
        *problem = QStringLiteral("moravel: no island to reach: the D-Bus session bus does not answer");
        return IslandCallOutcome::noIsland;
    }
    return callIsland(probe.address(), command, problem);
}

}  // namespace

IslandCallOutcome callIsland(const QString& address, const IslandCommand& command, QString* problem)
{
    const QString name = QStringLiteral("moravel-command");
    IslandCallOutcome outcome = IslandCallOutcome::failed;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, name);
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(IslandBus::serviceName), QString::fromLatin1(IslandBus::objectPath),
            QString::fromLatin1(IslandBus::interfaceName), methodOf(command.action));
        if (command.action == IslandCommand::Action::open)
            call << command.tab;
        // Events are served meanwhile, so an island in this very process answers too.
        const QDBusError error = bus.isConnected()
                                     ? QDBusError(bus.call(call, QDBus::BlockWithGui, callTimeoutMilliseconds))
                                     : bus.lastError();
        if (!bus.isConnected()) {
            outcome = IslandCallOutcome::noIsland;
            *problem = QStringLiteral("moravel: no island to reach: the session bus cannot be reached (%1)")
                           .arg(error.message());
        } else if (!error.isValid()) {
            outcome = IslandCallOutcome::done;
        } else if (error.type() == QDBusError::ServiceUnknown) {
            outcome = IslandCallOutcome::noIsland;
            *problem = QStringLiteral("moravel: no island is running");
        } else {
            *problem = QStringLiteral("moravel: the island did not answer: ") + error.message();
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return outcome;
}

namespace {

// Qt's D-Bus thread may complain of its own types as the process ends; a
// command says one line at most, its own.
void keepQtQuiet(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

int runIslandCommand(int& argc, char** argv, const IslandCommand& command)
{
    qInstallMessageHandler(keepQtQuiet);
    QCoreApplication app(argc, argv);
    QString problem;
    if (callOnSessionBus(command, &problem) == IslandCallOutcome::done)
        return 0;
    std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
    return 1;
}

int openRunningIsland(int& argc, char** argv)
{
    qInstallMessageHandler(keepQtQuiet);
    QCoreApplication app(argc, argv);
    QString problem;
    const bool opened =
        callOnSessionBus(IslandCommand{IslandCommand::Action::open, {}}, &problem) == IslandCallOutcome::done;
    std::fputs(opened ? "moravel: the island is already running; opened it\n"
                      : "moravel: the island is already running\n",
               stdout);
    return 0;
}

}  // namespace moravel
