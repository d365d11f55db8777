// Desktop notifications through a real, private D-Bus session bus and a
// small notification service on it.
#include "alerts/DBusNotifier.h"
#include "alerts/SessionBus.h"
#include "testsupport/Application.h"
#include "testsupport/PrivateBus.h"
#include "testsupport/SilentSocket.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace moravel;
using moravel::fixtures::PrivateBus;
using moravel::fixtures::processEventsUntil;

namespace {

struct NotifyCall {
    QString appName;
    uint replacesId;
    QString icon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
};

class NotificationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<NotifyCall> calls;
    QString refusal;  // set: every notification is answered with this error

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int /*timeout*/)
    {
        if (!refusal.isEmpty()) {
            sendErrorReply(QStringLiteral("org.freedesktop.Notifications.Error.Full"), refusal);
            return 0;
        }
        calls.append({appName, replacesId, icon, summary, body, actions, hints});
        return replacesId != 0 ? replacesId : static_cast<uint>(40 + calls.size());
    }
};

}  // namespace

TEST(DBusNotifier, ShowsNotificationsOnTheSessionBusAndReportsWhichOneWasClicked)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed (scripts/install-deps installs it)";
    fixtures::ensureApplication();
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    QDBusConnection client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("moravel-client"));
    QDBusConnection server = QDBusConnection::connectToBus(bus.address(), QStringLiteral("notification-server"));
    ASSERT_TRUE(client.isConnected() && server.isConnected());

    EXPECT_TRUE(DBusNotifier::notificationProblem(client).value_or("").contains("no desktop notification service"));
    DBusNotifier notifier(client);
    QList<std::optional<QString>> finished;
    QObject::connect(&notifier, &AlertNotifier::showFinished,
                     [&](const std::optional<QString>& failure) { finished.append(failure); });
    // Nobody listens yet: lost, and said so.
    notifier.show({AlertRule::disk, "Disk 97 % full", "15.0 GB free of 500 GB.", false});
    ASSERT_TRUE(processEventsUntil([&] { return finished.size() == 1; }));
    EXPECT_TRUE(finished[0].has_value());
    // A call to the bus itself: once it is answered, so are the calls before it.
    const auto roundTrip = [&] {
        client.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                   "org.freedesktop.DBus", "GetId"));
        QCoreApplication::processEvents();
    };
    NotificationService service;
    ASSERT_TRUE(server.registerObject(DBusNotifier::path, &service, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService(DBusNotifier::service));
    EXPECT_EQ(DBusNotifier::notificationProblem(client), std::nullopt);

    notifier.show({AlertRule::battery, "Battery at 10 %", "On battery. Connect the charger.", false});
    ASSERT_TRUE(processEventsUntil([&] { return service.calls.size() == 1; }));
    const NotifyCall first = service.calls[0];
    EXPECT_EQ(first.appName, "Moravel");
    EXPECT_EQ(first.icon, "moravel");
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.summary, "Battery at 10 %");
    EXPECT_EQ(first.body, "On battery. Connect the charger.");
    EXPECT_EQ(first.actions.join(u' ').toStdString(), "default Open");  // key, then label: a click opens the island
    EXPECT_EQ(first.hints.value("desktop-entry").toString(), "moravel");
    EXPECT_EQ(first.hints.value("urgency").toInt(), 1);

    // The battery's last warning replaces its first, and is urgent.
    roundTrip();
    notifier.show({AlertRule::battery, "Battery at 5 %", "On battery. Connect the charger.", true});
    ASSERT_TRUE(processEventsUntil([&] { return service.calls.size() == 2; }));
    EXPECT_EQ(service.calls[1].replacesId, 41u);
    EXPECT_EQ(service.calls[1].hints.value("urgency").toInt(), 2);

    // Two machines of a fleet: the second's warning replaces nothing of the first's.
    const AlertNotification web1{AlertRule::cpu, "web1: CPU busy for 5 minutes", "CPU at 97 %.", false, "web1:9100"};
    notifier.show(web1);
    ASSERT_TRUE(processEventsUntil([&] { return service.calls.size() == 3; }));
    roundTrip();
    notifier.show({AlertRule::cpu, "web2: CPU busy for 5 minutes", "CPU at 92 %.", false, "web2:9100"});
    ASSERT_TRUE(processEventsUntil([&] { return service.calls.size() == 4; }));
    EXPECT_EQ(service.calls[2].replacesId, 0u);
    EXPECT_EQ(service.calls[3].replacesId, 0u);

    ASSERT_TRUE(processEventsUntil([&] { return finished.size() == 5; }));  // the answers, all taken
    EXPECT_EQ(finished.last(), std::nullopt);

    // A service that answers with an error: its words, cut short and printable.
    service.refusal = "too many\x1b[2J" + QString(500, u'!');
    notifier.show({AlertRule::cpu, "CPU at 95 % for 5 minutes", "", false});
    ASSERT_TRUE(processEventsUntil([&] { return finished.size() == 6; }));
    const QString refused = finished.last().value_or("");
    EXPECT_TRUE(refused.startsWith("too many?[2J!!!")) << refused.toStdString();
    EXPECT_LT(refused.size(), 200);
    service.refusal.clear();

    QList<AlertNotification> clicked;
    QObject::connect(&notifier, &AlertNotifier::activated,
                     [&](const AlertNotification& notification) { clicked.append(notification); });
    const auto emitSignal = [&](const char* name, const QVariantList& arguments) {
        QDBusMessage signal = QDBusMessage::createSignal(DBusNotifier::path, DBusNotifier::interface, name);
        signal.setArguments(arguments);
        server.send(signal);
    };
    emitSignal("ActionInvoked", {999u, "default"});  // somebody else's notification
    emitSignal("ActionInvoked", {41u, "default"});
    emitSignal("ActionInvoked", {43u, "default"});
    ASSERT_TRUE(processEventsUntil([&] { return clicked.size() == 2; }));
    EXPECT_EQ(clicked[0].rule, AlertRule::battery);
    EXPECT_EQ(clicked[1], web1);

    // The service going and coming back is followed (the settings say so).
    ASSERT_TRUE(server.unregisterService(DBusNotifier::service));
    ASSERT_TRUE(processEventsUntil([&] { return !notifier.hasService(); }));
    ASSERT_TRUE(server.registerService(DBusNotifier::service));
    ASSERT_TRUE(processEventsUntil([&] { return notifier.hasService(); }));

    QDBusConnection::disconnectFromBus(QStringLiteral("moravel-client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("notification-server"));
}


// A bus that never answers is found out without waiting on it; one that
// answers late (a stopped daemon started again) is told when it does.
TEST(SessionBusProbe, TellsABusThatAnswersFromOneThatDoesNotYet)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed (scripts/install-deps installs it)";
    fixtures::ensureApplication();
    const std::optional<QByteArray> saved = qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")
                                                ? std::optional(qgetenv("DBUS_SESSION_BUS_ADDRESS"))
                                                : std::nullopt;
    QTemporaryDir folder;
    fixtures::SilentSocket silent(folder.filePath("bus"));
    ASSERT_TRUE(silent.isListening());
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());

    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(folder.filePath("bus")));
    EXPECT_EQ(SessionBusProbe().waitForAnswer(std::chrono::milliseconds(100)), SessionBusProbe::Answer::pending);
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(folder.filePath("nobody")));
    EXPECT_EQ(SessionBusProbe().waitForAnswer(std::chrono::seconds(10)), SessionBusProbe::Answer::absent);

    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
    EXPECT_EQ(SessionBusProbe().waitForAnswer(std::chrono::seconds(10)), SessionBusProbe::Answer::answered);
    ::kill(static_cast<pid_t>(bus.processId()), SIGSTOP);
    SessionBusProbe late;
    EXPECT_EQ(late.address(), bus.address());
    EXPECT_EQ(late.waitForAnswer(std::chrono::milliseconds(100)), SessionBusProbe::Answer::pending);
    bool answered = false;
    QObject context;
    late.whenAnswered(&context, [&] { answered = true; });
    ::kill(static_cast<pid_t>(bus.processId()), SIGCONT);
    EXPECT_TRUE(processEventsUntil([&] { return answered; }, 10'000));
    saved ? qputenv("DBUS_SESSION_BUS_ADDRESS", *saved) : qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}

#include "DBusNotifierTest.moc"
