#include "views/chart/ActivityChartModel.h"

#include "monitor/Formatters.h"
#include "monitor/ReadingTable.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandScale.h"
#include "views/kit/ReadingColors.h"

#include <QFontMetricsF>
#include <QLocale>

#include <optional>
#include <utility>

#include <algorithm>
#include <cmath>

namespace moravel::ActivityChartModel {

namespace {

// A value the machine did not have (NaN) is missing, never zero.
QList<double> valuesOf(SampleWindow window, const ChartLine& line)
{
    QList<double> values;
    values.reserve(static_cast<qsizetype>(window.size()));
    for (const MetricSample& sample : window) {
        const double value = sample[line.series] / line.divisor;
        values.append(std::isfinite(value) ? value : NAN);
    }
    return values;
}

bool hasAnyValue(const QList<double>& values)
{
    return std::any_of(values.begin(), values.end(), [](double value) { return !std::isnan(value); });
}

// The highest value the tab's lines reach, at least 1; a line drawn only
// while charging counts where its sample was taken while charging.
double peakOf(SampleWindow window, const TabPart& tab)
{
    double peak = 1.0;
    for (const MetricSample& sample : window) {
        for (const ChartLine& line : tab.lines) {
            const double value = sample[line.series] / line.divisor;
            if ((!line.whileCharging || sample.isCharging) && std::isfinite(value))
                peak = std::max(peak, value);
        }
    }
    return peak;
}

const TabPart& tabOf(MetricKind metric)
{
    static const TabPart none;
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

QList<ChartLine> shownLines(MetricKind metric, bool charging)
{
    QList<ChartLine> lines;
    for (const ChartLine& line : tabOf(metric).lines) {
        if (!line.whileCharging || charging)
            lines.append(line);
    }
    return lines;
}

QList<ActivitySeries> chartSeries(SampleWindow window, MetricKind metric)
{
    QList<ActivitySeries> series;
    for (const ChartLine& line : shownLines(metric, !window.empty() && window.back().isCharging)) {
        QList<double> values = valuesOf(window, line);
        if (hasAnyValue(values))
            series.append({std::move(values), toneColor(line.tone), line.dashed});
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
    // Steps close enough together that the line uses most of the height (a
    // 97 °C reading is drawn on 120°, not 200°), each with a round half.
    constexpr double steps[] = {1, 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10};
    const double ratio = candidate / magnitude;
    const double* step = std::find_if(std::begin(steps), std::end(steps), [ratio](double s) { return ratio <= s; });
    return magnitude * (step == std::end(steps) ? 10 : *step);
}

YDomain yDomain(SampleWindow window, MetricKind metric)
{
    const TabPart& tab = tabOf(metric);
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
    if (metric == MetricKind::network && isReal && whole >= 1000) {
        // Kilobytes a second, said in the largest unit that keeps the figure short.
        const bool giga = whole >= 1e6;
        const double shown = whole / (giga ? 1e6 : 1e3);
        const int decimals = shown < 10 && shown != std::trunc(shown) ? 1 : 0;
        return MetricFormat::fixed(shown, decimals) + (giga ? QLatin1Char('G') : QLatin1Char('M'));
    }
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

QFont axisLabelFont()
{
    return Fonts::figures(TextSize::caption);
}

QRectF plotRect(const QSizeF& canvas)
{
    // The top value's label is centred on the top line: room for its upper half.
    const double top = std::max(px(2), QFontMetricsF(axisLabelFont()).height() / 2);
    return {px(30), top, std::max(canvas.width() - px(32), 1.0), std::max(canvas.height() - top - px(2), 1.0)};
}

QList<QPolygonF> seriesRuns(SampleWindow window, const QList<double>& values, const QDateTime& windowEnd,
                            double upper, const QRectF& plot)
{
    const qsizetype count = std::min(static_cast<qsizetype>(window.size()), values.size());
    const double top = std::max(upper, 0.001);
    const qint64 startMs = windowEnd.toMSecsSinceEpoch() - static_cast<qint64>(kAxisSpanSeconds) * 1000;
    const auto endRun = [&plot](QList<QPolygonF>& runs, QPolygonF& run) {
        if (run.size() == 1)
            run.append({std::min(run[0].x() + px(0.5), plot.right()), run[0].y()});
        if (!run.isEmpty())
            runs.append(std::exchange(run, {}));
    };
    QList<QPolygonF> runs;
    QPolygonF run;
    std::optional<qint64> previousMs;
    for (qsizetype i = 0; i < count; ++i) {
        const QDateTime& time = window[static_cast<size_t>(i)].time;
        const qint64 ms = time.isValid() ? time.toMSecsSinceEpoch() : startMs;
        if (previousMs && static_cast<double>(ms - *previousMs) > kGapSeconds * 1000)
            endRun(runs, run);
        previousMs = ms;
        if (std::isnan(values[i])) {
            endRun(runs, run);
            continue;
        }
        const double t = std::clamp(static_cast<double>(ms - startMs) / 1000.0 / kAxisSpanSeconds, 0.0, 1.0);
        const double v = std::clamp(values[i] / top, 0.0, 1.0);
        run.append({plot.left() + t * plot.width(), plot.bottom() - v * plot.height()});
    }
    endRun(runs, run);
    return runs;
}

QList<QLineF> strokeSegments(const QPolygonF& points, bool dashed)
{
    const double dashOn = px(5);
    const double dashOff = px(4);
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
    double leftInElement = dashOn;
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
                leftInElement = on ? dashOn : dashOff;
            }
        }
    }
    return segments;
}

}  // namespace moravel::ActivityChartModel
