#include "views/chart/ActivityChartModel.h"

#include "monitor/ReadingTable.h"
#include "views/kit/ReadingColors.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace moravel::ActivityChartModel {

namespace {

// A reading that is not a number would poison the path and the scale; it is
// drawn as zero instead.
double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

QList<double> valuesOf(SampleWindow window, const ChartLine& line)
{
    QList<double> values;
    values.reserve(static_cast<qsizetype>(window.size()));
    for (const MetricSample& sample : window)
        values.append(finiteOrZero(sample[line.series] / line.divisor));
    return values;
}

bool isShown(SampleWindow window, const ChartLine& line)
{
    return !line.whileCharging || (!window.empty() && window.back().isCharging);
}

// The highest value the tab's lines reach, at least 1; a line drawn only
// while charging counts where its sample was taken while charging.
double peakOf(SampleWindow window, const TabSpec& tab)
{
    double peak = 1.0;
    for (const MetricSample& sample : window) {
        for (const ChartLine& line : tab.lines) {
            if (!line.whileCharging || sample.isCharging)
                peak = std::max(peak, finiteOrZero(sample[line.series] / line.divisor));
        }
    }
    return peak;
}

const TabSpec& tabOf(MetricKind metric)
{
    static const TabSpec none;
    const auto& tab = ReadingTable::of(metric).tab;
    return tab ? *tab : none;
}

QDateTime truncatedToSecond(const QDateTime& time)
{
    const qint64 msecs = time.toMSecsSinceEpoch();
    const qint64 seconds = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
    // Kept in UTC: mapping 300 samples against a local-time edge would
    // consult the time zone database for every point.
    return QDateTime::fromMSecsSinceEpoch(seconds * 1000, Qt::UTC);
}

}  // namespace

SampleWindow chartWindow(const MetricHistory& history)
{
    const qsizetype start = std::max<qsizetype>(0, history.size() - kWindowLength);
    return SampleWindow(history.constData() + start, static_cast<size_t>(history.size() - start));
}

QList<ActivitySeries> chartSeries(SampleWindow window, MetricKind metric)
{
    QList<ActivitySeries> series;
    for (const ChartLine& line : tabOf(metric).lines) {
        if (isShown(window, line))
            series.append({valuesOf(window, line), toneColor(line.tone), line.dashed});
    }
    return series;
}

double roundUpToStep(double candidate)
{
    if (!(candidate > 0) || !std::isfinite(candidate))
        return candidate;
    double magnitude = std::pow(10.0, std::floor(std::log10(candidate)));
    // log10 of an exact power of ten may land just below the integer.
    if (candidate / magnitude >= 10)
        magnitude *= 10;
    else if (candidate / magnitude < 1)
        magnitude /= 10;
    const double ratio = candidate / magnitude;
    const double step = ratio <= 1 ? 1 : ratio <= 2 ? 2 : ratio <= 5 ? 5 : 10;
    return magnitude * step;
}

YDomain yDomain(SampleWindow window, MetricKind metric)
{
    const TabSpec& tab = tabOf(metric);
    if (tab.isPercent)
        return {0, 100};
    return {0, roundUpToStep(std::max(peakOf(window, tab) * 1.12, tab.minimumTop))};
}

QDateTime windowEnd(SampleWindow window, const QDateTime& now)
{
    if (!window.empty() && window.back().time.isValid())
        return truncatedToSecond(window.back().time);
    return truncatedToSecond(now);
}

QString unitSuffix(MetricKind metric)
{
    return QString::fromLatin1(tabOf(metric).axisSuffix);
}

QString axisLabel(double value, MetricKind metric)
{
    // Formatted from the double, never cast: a figure no hardware gives
    // (1e300 °C) must not overflow an integer. Beyond any real reading it is
    // written short.
    const double whole = std::isfinite(value) ? std::trunc(value) + 0.0 : 0.0;  // + 0.0: no "-0"
    const bool isReal = std::abs(whole) < 1e15;
    return QString::number(whole, isReal ? 'f' : 'g', isReal ? 0 : 3) + unitSuffix(metric);
}

QString timeLabel(const QDateTime& time)
{
    return QLocale::c().toString(time.toLocalTime(), QStringLiteral("HH:mm:ss"));
}

std::array<QString, 3> timeLabels(const QDateTime& windowEnd)
{
    const auto span = static_cast<qint64>(kAxisSpanSeconds);
    return {timeLabel(windowEnd.addSecs(-span)), timeLabel(windowEnd.addSecs(-span / 2)), timeLabel(windowEnd)};
}

QString accessibilityValue(MetricKind metric, qsizetype sampleCount)
{
    return QString::fromLatin1(ReadingTable::of(metric).title) + QStringLiteral(", ") + QString::number(sampleCount) + QStringLiteral(" samples");
}

QRectF plotRect(const QSizeF& canvas)
{
    return {30, 2, std::max(canvas.width() - 32, 1.0), std::max(canvas.height() - 4, 1.0)};
}

QPolygonF seriesPoints(SampleWindow window, const QList<double>& values, const QDateTime& windowEnd, double upper,
                       const QRectF& plot)
{
    const qsizetype count = std::min(static_cast<qsizetype>(window.size()), values.size());
    QPolygonF points;
    if (count == 0)
        return points;
    const double top = std::max(upper, 0.001);
    const qint64 startMs = windowEnd.toMSecsSinceEpoch() - static_cast<qint64>(kAxisSpanSeconds) * 1000;
    points.reserve(count == 1 ? 2 : count);
    for (qsizetype i = 0; i < count; ++i) {
        const QDateTime& time = window[static_cast<size_t>(i)].time;
        const double seconds = time.isValid() ? static_cast<double>(time.toMSecsSinceEpoch() - startMs) / 1000.0 : 0.0;
        const double t = std::clamp(seconds / kAxisSpanSeconds, 0.0, 1.0);
        const double v = std::clamp(finiteOrZero(values[i]) / top, 0.0, 1.0);
        points.append({plot.left() + t * plot.width(), plot.bottom() - v * plot.height()});
    }
    if (count == 1)
        points.append({std::min(points[0].x() + 0.5, plot.right()), points[0].y()});
    return points;
}

QList<QLineF> strokeSegments(const QPolygonF& points, bool dashed)
{
    constexpr double kDashOn = 5;
    constexpr double kDashOff = 4;
    QList<QLineF> segments;
    if (points.size() < 2)
        return segments;
    if (!dashed) {
        segments.reserve(points.size() - 1);
        for (qsizetype i = 1; i < points.size(); ++i)
            segments.append(QLineF(points[i - 1], points[i]));
        return segments;
    }
    bool on = true;
    double leftInElement = kDashOn;
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QLineF segment(points[i - 1], points[i]);
        const double length = segment.length();
        double travelled = 0;
        while (travelled < length) {
            const double step = std::min(leftInElement, length - travelled);
            if (on && step > 0)
                segments.append(QLineF(segment.pointAt(travelled / length), segment.pointAt((travelled + step) / length)));
            travelled += step;
            leftInElement -= step;
            if (leftInElement <= 0) {
                on = !on;
                leftInElement = on ? kDashOn : kDashOff;
            }
        }
    }
    return segments;
}

}  // namespace moravel::ActivityChartModel
