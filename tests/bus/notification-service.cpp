// A desktop notification service for a test session bus: answers Notify with
// a fresh id and shows nothing. The bus starts it on the first call to its
// name (it is activatable); it ends with the bus.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>

#include <cstdio>

namespace {

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public slots:
    // The one call Moravel makes.
    uint Notify(const QString&, uint replacesId, const QString&, const QString&, const QString&, const QStringList&,
                const QVariantMap&, int)
    {
        return replacesId != 0 ? replacesId : ++lastId_;
    }

private:
    uint lastId_ = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    Notifications service;
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots)
        || !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "notification-service: cannot serve on the session bus\n");
        return 1;
    }
    // Nothing tells a service that its bus went away: it looks every second.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&bus] {
        if (!bus.isConnected())
            QCoreApplication::quit();
    });
    watch.start(1000);
    return QCoreApplication::exec();
}

#include "notification-service.moc"
