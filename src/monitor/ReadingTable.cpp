#include "monitor/ReadingTable.h"

#include "monitor/Formatters.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

QList<MetricKind> kindsWhere(bool (*has)(const ReadingDescriptor&))
{
    QList<MetricKind> kinds;
    for (const ReadingDescriptor& reading : ReadingTable::all()) {
        if (has(reading))
            kinds.append(reading.kind);
    }
    return kinds;
}

}  // namespace

namespace ReadingTable {

const ReadingDescriptor& of(MetricKind kind)
{
    return all()[static_cast<size_t>(kind)];
}

const QList<MetricKind>& tabs()
{
    static const QList<MetricKind> kinds = kindsWhere([](const ReadingDescriptor& r) { return r.tab.has_value(); });
    return kinds;
}

const QList<MetricKind>& collapsedKinds()
{
    static const QList<MetricKind> kinds = [] {
        QList<MetricKind> collapsible =
            kindsWhere([](const ReadingDescriptor& r) { return r.collapsed.has_value(); });
        std::stable_sort(collapsible.begin(), collapsible.end(),
                         [](MetricKind a, MetricKind b) { return of(a).collapsed->order < of(b).collapsed->order; });
        return collapsible;
    }();
    return kinds;
}

const QList<MetricKind>& gaugeKinds()
{
    static const QList<MetricKind> kinds{MetricKind::cpu, MetricKind::memory, MetricKind::network, MetricKind::disk};
    return kinds;
}

QList<MetricKind> availableTabs(const SystemSnapshot& snapshot)
{
    QList<MetricKind> kinds;
    for (MetricKind kind : tabs()) {
        const auto isAvailable = of(kind).tab->isAvailable;
        if (!isAvailable || isAvailable(snapshot))
            kinds.append(kind);
    }
    return kinds;
}

QString tabTitle(MetricKind tab)
{
    const ReadingDescriptor& reading = of(tab);
    return QLatin1String(reading.tab && reading.tab->title ? reading.tab->title : reading.title);
}

std::optional<MetricKind> tabFromTitle(QStringView title)
{
    for (MetricKind kind : tabs()) {
        if (title == QLatin1String(of(kind).title))
            return kind;
    }
    return std::nullopt;
}

std::optional<MetricKind> collapsedKindFromKey(QStringView key)
{
    for (MetricKind kind : collapsedKinds()) {
        if (key == QLatin1String(of(kind).key))
            return kind;
    }
    return std::nullopt;
}

Level level(MetricKind kind, double value)
{
    const ReadingDescriptor& reading = of(kind);
    return reading.thresholds ? levelFor(value, *reading.thresholds) : Level::normal;
}

bool isAbsent(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    return reading.isPresent && !reading.isPresent(snapshot);
}

double value(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    return reading.value && !isAbsent(kind, snapshot) ? reading.value(snapshot) : NAN;
}

std::optional<LevelThresholds> thresholds(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    return reading.thresholdsFor ? reading.thresholdsFor(snapshot) : reading.thresholds;
}

Level level(MetricKind kind, const SystemSnapshot& snapshot)
{
    const std::optional<LevelThresholds> levels = thresholds(kind, snapshot);
    return levels ? levelFor(value(kind, snapshot), *levels) : Level::normal;
}

QString valueText(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    if (isAbsent(kind, snapshot))
        return QStringLiteral("—");
    if (reading.valueText)
        return reading.valueText(snapshot);
    return reading.value ? MetricFormat::percent(reading.value(snapshot)) : QString();
}

QString spoken(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    if (isAbsent(kind, snapshot))
        return QLatin1String(MetricFormat::notAvailableSpoken);
    if (reading.spoken)
        return reading.spoken(snapshot);
    return MetricFormat::spokenPercent(value(kind, snapshot));
}

QStringList tabDetails(MetricKind tab, const SystemSnapshot& snapshot)
{
    QStringList lines;
    for (const ReadingDescriptor& reading : all()) {
        if (reading.detailTab == tab && reading.detail) {
            const QString line = reading.detail(snapshot);
            if (!line.isEmpty())
                lines.append(line);
        }
    }
    return lines;
}

QList<SpokenDetail> spokenTabDetails(MetricKind tab, const SystemSnapshot& snapshot)
{
    QList<SpokenDetail> details;
    for (const ReadingDescriptor& reading : all()) {
        if (reading.detailTab == tab && reading.spokenDetails)
            details.append(reading.spokenDetails(snapshot));
    }
    return details;
}

bool hasListedSensors(const SystemSnapshot& snapshot)
{
    return std::any_of(all().begin(), all().end(), [&](const ReadingDescriptor& reading) {
        if (!reading.sensorList)
            return false;
        const auto& sensors = snapshot.*(reading.sensorList->sensors);
        return sensors && !sensors->isEmpty();
    });
}

}  // namespace ReadingTable

}  // namespace moravel
