#include "monitor/MetricTypes.h"

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

}  // namespace moravel
