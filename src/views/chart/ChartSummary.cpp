#include "views/chart/ChartSummary.h"

#include "monitor/MetricSeries.h"
#include "monitor/ReadingTable.h"
#include "views/chart/ActivityChartModel.h"
#include "views/chart/RangeChartModel.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace moravel::ChartSummary {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void widen(Line& line, double low, double high)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return;
    line.lowest = std::isnan(line.lowest) ? low : std::min(line.lowest, low);
    line.highest = std::isnan(line.highest) ? high : std::max(line.highest, high);
}

// After the first figure of a line, percentages and degrees go without their unit.
QString laterFigure(FigureUnit unit, double value)
{
    if (!std::isfinite(value))
        return QLatin1String(MetricFormat::notAvailableSpoken);
    if (unit == FigureUnit::percent)
        return MetricFormat::spokenWhole(value);
    if (unit == FigureUnit::celsius)
        return MetricFormat::fixed(value, 0);
    return MetricFormat::spokenFigure(unit, value);
}

QString lineText(const Line& line)
{
    if (!std::isfinite(line.now) && !std::isfinite(line.highest))
        return QLatin1String(MetricFormat::notAvailableSpoken);
    return QStringLiteral("now ") + MetricFormat::spokenFigure(line.unit, line.now) + QStringLiteral(", highest ")
           + laterFigure(line.unit, line.highest) + QStringLiteral(", lowest ") + laterFigure(line.unit, line.lowest);
}

}  // namespace

QString rangeName(ChartRange range)
{
    switch (range) {
    case ChartRange::fiveMinutes:
        return QStringLiteral("5 minutes");
    case ChartRange::hour:
        return QStringLiteral("1 hour");
    case ChartRange::day:
        return QStringLiteral("24 hours");
    }
    return {};
}

QList<Line> lines(MetricKind metric, ChartRange range, const MetricHistory& history,
                  const QList<MinuteBucket>& buckets, const QDateTime& end, const QStringList& names)
{
    const bool charging = !history.isEmpty() && history.last().isCharging;
    const QList<ChartLine> shown = ActivityChartModel::shownLines(metric, charging);
    // The five minutes are the chart's window of samples; the longer ranges
    // reach back from the axis' end.
    const double since = static_cast<double>(end.toSecsSinceEpoch()) - RangeChartModel::spanSeconds(range);
    const ActivityChartModel::SampleWindow window =
        range == ChartRange::fiveMinutes ? ActivityChartModel::chartWindow(history)
                                         : ActivityChartModel::SampleWindow(history.constData(), history.size());
    QList<Line> result;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const ChartLine& chartLine = shown[i];
        Line line{i < names.size() && !names[i].isEmpty() ? names[i] : QString::fromLatin1(chartLine.legend),
                  descriptor(chartLine.series).unit, history.isEmpty() ? kNaN : history.last()[chartLine.series],
                  kNaN, kNaN};
        if (range == ChartRange::day) {
            for (const MinuteBucket& bucket : buckets) {
                if (static_cast<double>(bucket.minute) + 60 > since)
                    widen(line, bucket[chartLine.series].minimum, bucket[chartLine.series].maximum);
            }
        } else {
            for (const MetricSample& sample : window) {
                const bool counts = !chartLine.whileCharging || sample.isCharging;
                if (counts && (range == ChartRange::fiveMinutes || sample.time.toSecsSinceEpoch() > since))
                    widen(line, sample[chartLine.series], sample[chartLine.series]);
            }
        }
        result.append(line);
    }
    return result;
}

QString text(MetricKind metric, ChartRange range, const QList<Line>& lines)
{
    const QString title = ReadingTable::tabTitle(metric);
    QStringList parts;
    for (const Line& line : lines)
        parts.append(line.name == title || line.name.isEmpty() ? lineText(line) : line.name + u' ' + lineText(line));
    if (parts.isEmpty())
        parts.append(QLatin1String(MetricFormat::notAvailableSpoken));
    return title + QStringLiteral(" over ") + rangeName(range) + QStringLiteral(": ") + parts.join(QStringLiteral("; "));
}

}  // namespace moravel::ChartSummary
