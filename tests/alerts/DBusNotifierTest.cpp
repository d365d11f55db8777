// Desktop notifications through a real, private D-Bus session bus and a
// small notification service on it.
#include "alerts/DBusNotifier.h"
#include "testsupport/Application.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace moravel;
using moravel::fixtures::processEventsUntil;

namespace {

// A bus daemon of its own for the test, that starts no services.
class PrivateBus {
public:
    PrivateBus()
    {
        const QString config = directory_.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        // Listens in the test's own folder, lets anybody own any name and has no
        // service folders, so nothing on this machine is ever started by it.
        file.write("<busconfig><type>session</type><listen>unix:dir=" + QFile::encodeName(directory_.path())
                   + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                     "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                     "</policy></busconfig>\n");
        file.close();
        daemon_.start(QStringLiteral("dbus-daemon"), {"--config-file=" + config, "--nofork", "--print-address=1"});
        if (daemon_.waitForReadyRead(10'000))
            address_ = QString::fromLatin1(daemon_.readLine().trimmed());
    }
    ~PrivateBus()
    {
        daemon_.terminate();
        daemon_.waitForFinished(10'000);
    }
    const QString& address() const { return address_; }

private:
    QTemporaryDir directory_;
    QProcess daemon_;
    QString address_;
};

struct NotifyCall {
    QString appName;
    uint replacesId;
    QString icon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
};

class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<NotifyCall> calls;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int /*timeout*/)
    {
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
    // Nobody listens yet: skipped.
    notifier.show({AlertRule::disk, "Disk 97 % full", "15.0 GB free of 500 GB.", false});
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

    // The battery's last warning replaces its first, and is urgent. (A round
    // trip to the bus first, so that the first call's answer is in.)
    client.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                               "GetId"));
    QCoreApplication::processEvents();
    notifier.show({AlertRule::battery, "Battery at 5 %", "On battery. Connect the charger.", true});
    ASSERT_TRUE(processEventsUntil([&] { return service.calls.size() == 2; }));
    EXPECT_EQ(service.calls[1].replacesId, 41u);
    EXPECT_EQ(service.calls[1].hints.value("urgency").toInt(), 2);

    // Two machines of a fleet: the second's warning replaces nothing of the first's.
    const AlertNotification web1{AlertRule::cpu, "web1: CPU busy for 5 minutes", "CPU at 97 %.", false, "web1:9100"};
    notifier.show(web1);
    ASSERT_TRUE(processEventsUntil([&] { return service.calls.size() == 3; }));
    client.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                               "GetId"));
    QCoreApplication::processEvents();
    notifier.show({AlertRule::cpu, "web2: CPU busy for 5 minutes", "CPU at 92 %.", false, "web2:9100"});
    ASSERT_TRUE(processEventsUntil([&] { return service.calls.size() == 4; }));
    EXPECT_EQ(service.calls[2].replacesId, 0u);
    EXPECT_EQ(service.calls[3].replacesId, 0u);

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

#include "DBusNotifierTest.moc"
