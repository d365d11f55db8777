#include "monitor/MetricTypes.h"

#include "monitor/PowerRules.h"

namespace moravel {

QString rawValue(MetricKind kind)
{
    switch (kind) {
    case MetricKind::overview: return QStringLiteral("Overview");
    case MetricKind::cpu: return QStringLiteral("CPU");
    case MetricKind::memory: return QStringLiteral("Memory");
    case MetricKind::network: return QStringLiteral("Network");
    case MetricKind::power: return QStringLiteral("Power");
    }
    return {};
}

std::optional<MetricKind> metricKindFromRawValue(QStringView raw)
{
    for (MetricKind kind : allMetricKinds) {
        if (raw == rawValue(kind))
            return kind;
    }
    return std::nullopt;
}

MetricSample sampleOf(const SystemSnapshot& snapshot, const QDateTime& time)
{
    MetricSample sample;
    sample.id = QUuid::createUuid();
    sample.time = time;
    sample.cpu = snapshot.cpuPercent;
    sample.memory = snapshot.memoryPercent;
    sample.download = snapshot.downloadBytesPerSecond;
    sample.upload = snapshot.uploadBytesPerSecond;
    sample.systemPower = systemPowerWatts(snapshot);
    sample.batteryPower = snapshot.batteryPowerWatts;
    sample.isCharging = snapshot.isCharging;
    return sample;
}

}  // namespace moravel
