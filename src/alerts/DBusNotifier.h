#pragma once

#include "alerts/AlertNotifier.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QHash>

#include <memory>
#include <optional>

namespace moravel {

// Freedesktop desktop notifications (org.freedesktop.Notifications) on a
// D-Bus connection. A new notification replaces the previous one about the
// same subject (a rule, of one machine of a fleet) if that is still on screen
// (the battery's 5 % warning replaces its 10 %), and a click on one (its
// default action) reports it. Follows the notification service coming and
// going on the bus.
class DBusNotifier final : public AlertNotifier {
    Q_OBJECT

public:
    static constexpr char service[] = "org.freedesktop.Notifications";
    static constexpr char path[] = "/org/freedesktop/Notifications";
    static constexpr char interface[] = "org.freedesktop.Notifications";

    explicit DBusNotifier(QDBusConnection connection, QObject* parent = nullptr);

    // The notifier on the user's session bus; nothing without a session bus.
    // `problem` gets one line for standard error when notifications cannot be
    // shown (no bus, or no notification service on it yet).
    static std::unique_ptr<DBusNotifier> forSessionBus(QString* problem);
    // The same on a connection of its own to the bus at `address`, for a
    // session bus that answered only after Qt was kept off it.
    static std::unique_ptr<DBusNotifier> forBusAt(const QString& address, QString* problem);
    // Why `connection` cannot show notifications, if it cannot: no bus, or no
    // service that owns or can be started for the notifications' name.
    static std::optional<QString> notificationProblem(const QDBusConnection& connection);

    void show(const AlertNotification& notification) override;

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onNotificationClosed(uint id, uint reason);

private:
    static std::unique_ptr<DBusNotifier> forConnection(const QDBusConnection& bus, QString* problem);

    QDBusConnection connection_;
    QDBusServiceWatcher* serviceWatcher_ = nullptr;
    QHash<uint, AlertNotification> shown_;
    QHash<QString, uint> lastIdOfSubject_;
};

}  // namespace moravel
