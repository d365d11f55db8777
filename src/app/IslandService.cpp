#include "app/IslandService.h"

#include "island/IslandState.h"
#include "monitor/ReadingTable.h"
#include "views/kit/FocusRing.h"

#include <QDBusConnectionInterface>
#include <QStringList>

namespace moravel {

namespace IslandBus {

std::optional<MetricKind> tabNamed(const QString& name)
{
    for (MetricKind tab : ReadingTable::tabs()) {
        if (ReadingTable::tabTitle(tab).compare(name, Qt::CaseInsensitive) == 0)
            return tab;
    }
    return std::nullopt;
}

QString tabNames()
{
    QStringList names;
    for (MetricKind tab : ReadingTable::tabs())
        names.append(ReadingTable::tabTitle(tab).toLower());
    return names.join(QStringLiteral(", "));
}

}  // namespace IslandBus

IslandService::IslandService(IslandState& state, std::function<void()> takeKeyboard, QObject* parent)
    : QObject(parent), state_(state), takeKeyboard_(std::move(takeKeyboard))
{
}

bool IslandService::publishOn(const QDBusConnection& connection, QString* problem)
{
    QDBusConnection bus = connection;
    if (!bus.registerObject(QString::fromLatin1(IslandBus::objectPath), this, QDBusConnection::ExportAllSlots)) {
        *problem = QStringLiteral("moravel: cannot offer the island's methods on the session bus");
        return false;
    }
    // Not queued: a second island waiting for the name would answer nobody.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        QString::fromLatin1(IslandBus::serviceName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(QString::fromLatin1(IslandBus::objectPath));
        *problem = QStringLiteral("moravel: the session bus name %1 is taken; moravel --toggle cannot reach this "
                                  "island")
                       .arg(QString::fromLatin1(IslandBus::serviceName));
        return false;
    }
    return true;
}

void IslandService::Toggle()
{
    if (state_.isLockedOpen())
        Close();
    else
        open(std::nullopt);
}

void IslandService::Open(const QString& tab)
{
    if (tab.isEmpty()) {
        open(std::nullopt);
        return;
    }
    const std::optional<MetricKind> named = IslandBus::tabNamed(tab);
    if (!named) {
        if (calledFromDBus())
            sendErrorReply(QString::fromLatin1(IslandBus::unknownTabError),
                           QStringLiteral("No tab \"%1\"; the tabs are %2").arg(tab, IslandBus::tabNames()));
        return;
    }
    open(named);
}

void IslandService::Close()
{
    state_.setLockedOpen(false);
    state_.requestCollapse(true);
}

void IslandService::open(std::optional<MetricKind> tab)
{
    // A tab this machine has no readings for shows the Overview, as the
    // dashboard does for any tab it cannot show.
    if (tab)
        state_.setSelectedMetric(*tab);
    FocusRing::showForKeyboard();
    state_.setLockedOpen(true);
    state_.requestExpansion();
    if (takeKeyboard_)
        takeKeyboard_();
}

}  // namespace moravel
