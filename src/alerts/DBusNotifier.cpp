#include "alerts/DBusNotifier.h"

#include "support/PrintableExcerpt.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace moravel {

namespace {

// The bus daemon answers at once; a bus that does not must not hold up the start.
constexpr int busQueryTimeoutMs = 2000;
constexpr int notifyTimeoutMs = 10'000;

QVariant askBus(const QDBusConnection& connection, const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage query = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                       QStringLiteral("/org/freedesktop/DBus"),
                                                       QStringLiteral("org.freedesktop.DBus"), method);
    query.setArguments(arguments);
    const QDBusMessage reply = connection.call(query, QDBus::Block, busQueryTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first();
}

}  // namespace

DBusNotifier::DBusNotifier(QDBusConnection connection, QObject* parent)
    : AlertNotifier(parent), connection_(std::move(connection))
{
    const QString name = QString::fromLatin1(service);
    connection_.connect(name, QString::fromLatin1(path), QString::fromLatin1(interface),
                        QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    connection_.connect(name, QString::fromLatin1(path), QString::fromLatin1(interface),
                        QStringLiteral("NotificationClosed"), this, SLOT(onNotificationClosed(uint, uint)));
    serviceWatcher_ = new QDBusServiceWatcher(name, connection_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(serviceWatcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                // A service that can be started on demand is there even while it is not running.
                setHasService(!newOwner.isEmpty() || !notificationProblem(connection_));
            });
}

std::unique_ptr<DBusNotifier> DBusNotifier::forSessionBus(QString* problem)
{
    return forConnection(QDBusConnection::sessionBus(), problem);
}

std::unique_ptr<DBusNotifier> DBusNotifier::forBusAt(const QString& address, QString* problem)
{
    return forConnection(QDBusConnection::connectToBus(address, QStringLiteral("moravel-alerts")), problem);
}

std::unique_ptr<DBusNotifier> DBusNotifier::forConnection(const QDBusConnection& bus, QString* problem)
{
    const std::optional<QString> missing = notificationProblem(bus);
    if (missing && problem)
        *problem = *missing;
    if (!bus.isConnected())
        return nullptr;
    // A notification service that starts later (the desktop comes up after
    // us) is still reached: the calls go to its name, not to an owner.
    auto notifier = std::make_unique<DBusNotifier>(bus);
    notifier->setHasService(!missing);
    return notifier;
}

std::optional<QString> DBusNotifier::notificationProblem(const QDBusConnection& connection)
{
    if (!connection.isConnected())
        return QStringLiteral("moravel: no D-Bus session bus, so alerts are not shown");
    const QString name = QString::fromLatin1(service);
    if (askBus(connection, QStringLiteral("NameHasOwner"), {name}).toBool())
        return std::nullopt;
    if (askBus(connection, QStringLiteral("ListActivatableNames")).toStringList().contains(name))
        return std::nullopt;
    return QStringLiteral("moravel: no desktop notification service (%1) on the session bus, so alerts are not "
                          "shown until one starts")
        .arg(name);
}

void DBusNotifier::show(const AlertNotification& notification)
{
    const QString subject = alertSubject(notification);
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(path),
                                                      QString::fromLatin1(interface), QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("moravel")},
        {QStringLiteral("urgency"), QVariant::fromValue<uchar>(notification.isUrgent ? 2 : 1)},
    };
    call << QStringLiteral("Moravel") << lastIdOfSubject_.value(subject) << QStringLiteral("moravel")
         << notification.summary << notification.body << QStringList{QStringLiteral("default"), QStringLiteral("Open")}
         << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(call, notifyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, notification, subject](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<uint> reply = *finished;
        finished->deleteLater();
        // No service (or a failing one): the alert is lost, and that is told.
        if (!reply.isValid()) {
            const QDBusError error = reply.error();
            emit showFinished(printableExcerpt(error.message().isEmpty() ? error.name() : error.message(), 120));
            return;
        }
        shown_.remove(lastIdOfSubject_.value(subject));
        lastIdOfSubject_.insert(subject, reply.value());
        shown_.insert(reply.value(), notification);
        emit showFinished(std::nullopt);
    });
}

void DBusNotifier::onActionInvoked(uint id, const QString& action)
{
    const auto found = shown_.constFind(id);
    if (found != shown_.constEnd() && action == QLatin1StringView("default"))
        emit activated(*found);
}

void DBusNotifier::onNotificationClosed(uint id, uint /*reason*/)
{
    const auto found = shown_.constFind(id);
    if (found == shown_.constEnd())
        return;
    // Its id may be handed out again: the subject's next notification starts afresh.
    lastIdOfSubject_.remove(alertSubject(*found));
    shown_.erase(found);
}

}  // namespace moravel
