#include "alerts/AlertText.h"

#include "monitor/FleetRules.h"
#include "monitor/Formatters.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

QString whole(double value)
{
    return MetricFormat::fixed(std::round(value), 0);
}

QString holdTime(AlertRule rule)
{
    const int minutes = static_cast<int>(alertRuleDescriptor(rule).holdSeconds / 60);
    return minutes == 1 ? QStringLiteral("1 minute") : QStringLiteral("%1 minutes").arg(minutes);
}

QString processPart(AlertRule rule, const std::optional<ProcessMetric>& busiest)
{
    if (!busiest)
        return {};
    if (rule == AlertRule::memory)
        return QStringLiteral(" Most memory: %1 (%2).").arg(busiest->name, MetricFormat::memory(busiest->memoryBytes));
    return QStringLiteral(" Busiest process: %1 (%2 %).").arg(busiest->name, whole(busiest->cpuPercent));
}

QString memoryBody(const MemoryReading& memory)
{
    return QStringLiteral("%1 of %2 in use.").arg(MetricFormat::memory(memory.used), MetricFormat::memory(memory.total));
}

QString diskBody(const DiskReading& disk)
{
    return QStringLiteral("%1 free of %2.").arg(MetricFormat::bytes(disk.available), MetricFormat::bytes(disk.total));
}

QString batteryBody(const SystemSnapshot& s)
{
    const std::optional<int64_t> minutes = batteryOf(s) ? batteryOf(s)->minutesRemaining : std::nullopt;
    if (minutes)
        return QStringLiteral("About %1 left. Connect the charger.")
            .arg(*minutes >= 60 ? QStringLiteral("%1 h %2 min").arg(*minutes / 60).arg(*minutes % 60)
                                : QStringLiteral("%1 minutes").arg(*minutes));
    return QStringLiteral("On battery. Connect the charger.");
}

}  // namespace

bool alertNamesBusiestProcess(AlertRule rule)
{
    return rule == AlertRule::cpu || rule == AlertRule::memory || rule == AlertRule::cpuTemperature;
}

std::optional<ProcessMetric> busiestProcessFor(AlertRule rule, const QList<ProcessMetric>& processes)
{
    if (!alertNamesBusiestProcess(rule))
        return std::nullopt;
    std::optional<ProcessMetric> busiest;
    for (const ProcessMetric& process : processes) {
        const bool busier = rule == AlertRule::memory ? !busiest || process.memoryBytes > busiest->memoryBytes
                                                      : !busiest || process.cpuPercent > busiest->cpuPercent;
        if (busier)
            busiest = process;
    }
    return busiest;
}

QString alertSubject(const AlertNotification& notification)
{
    const QString what = notification.isMachineDown ? QStringLiteral("down")
                                                    : QLatin1String(alertRuleDescriptor(notification.rule).key);
    return notification.machine.isEmpty() ? what : notification.machine + u'/' + what;
}

MetricKind alertTab(const AlertNotification& notification)
{
    return notification.isMachineDown ? MetricKind::machines : alertRuleDescriptor(notification.rule).tab;
}

namespace {

AlertNotification machineDownNotification(const Alert& alert)
{
    const QString name = shortMachineName(alert.machine);
    const QString since = alert.downSince.isValid()
                              ? QStringLiteral(" since %1").arg(QLocale::c().toString(alert.downSince.toLocalTime(),
                                                                                      QStringLiteral("HH:mm")))
                              : QString();
    return {alert.rule, QStringLiteral("%1 is down").arg(name),
            QStringLiteral("The Prometheus server has not read %1%2.").arg(alert.machine, since), true, alert.machine,
            true};
}

AlertNotification ruleNotification(const Alert& alert, const std::optional<ProcessMetric>& busiest)
{
    const SystemSnapshot& s = alert.snapshot;
    const QString process = processPart(alert.rule, busiest);
    AlertNotification n{alert.rule, {}, {}, false};
    switch (alert.rule) {
    case AlertRule::cpu:
        n.summary = QStringLiteral("CPU busy for %1").arg(holdTime(alert.rule));
        n.body = QStringLiteral("CPU at %1 %.").arg(whole(alert.reading)) + process;
        break;
    case AlertRule::memory:
        n.summary = QStringLiteral("Memory at %1 % for %2").arg(whole(alert.reading), holdTime(alert.rule));
        n.body = memoryBody(s.memory.value_or(MemoryReading{})) + process;
        break;
    case AlertRule::disk:
        n.summary = QStringLiteral("Disk %1 % full").arg(whole(alert.reading));
        n.body = diskBody(s.disk.value_or(DiskReading{}));
        break;
    case AlertRule::battery:
        n.summary = QStringLiteral("Battery at %1 %").arg(whole(alert.reading));
        n.body = batteryBody(s);
        n.isUrgent = alert.isFinalWarning;
        break;
    case AlertRule::cpuTemperature:
        n.summary = QStringLiteral("CPU at %1 °C for %2").arg(whole(alert.reading), holdTime(alert.rule));
        n.body = QStringLiteral("At or above %1 °C.").arg(whole(alert.threshold)) + process;
        n.isUrgent = true;
        break;
    }
    return n;
}

}  // namespace

AlertNotification alertNotification(const Alert& alert, const std::optional<ProcessMetric>& busiest)
{
    if (alert.isMachineDown)
        return machineDownNotification(alert);
    AlertNotification n = ruleNotification(alert, busiest);
    if (!alert.machine.isEmpty()) {
        n.summary = shortMachineName(alert.machine) + QStringLiteral(": ") + n.summary;
        n.machine = alert.machine;
    }
    return n;
}

}  // namespace moravel
