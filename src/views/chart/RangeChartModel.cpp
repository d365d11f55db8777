#include "views/chart/RangeChartModel.h"

#include "monitor/ReadingTable.h"
#include "views/chart/ActivityChartModel.h"
#include "views/kit/ReadingColors.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace moravel::RangeChartModel {

namespace {

// About two pixels a bin across the chart's width.
constexpr qsizetype kBinCount = 240;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Accumulator {
    QList<double> minimum = QList<double>(kBinCount, kNaN);
    QList<double> maximum = QList<double>(kBinCount, kNaN);
    QList<double> sum = QList<double>(kBinCount, 0.0);
    QList<double> weight = QList<double>(kBinCount, 0.0);

    void add(qsizetype bin, double low, double mean, double high, double w)
    {
        if (!std::isfinite(mean) || w <= 0)
            return;
        minimum[bin] = std::isnan(minimum[bin]) ? low : std::min(minimum[bin], low);
        maximum[bin] = std::isnan(maximum[bin]) ? high : std::max(maximum[bin], high);
        sum[bin] += mean * w;
        weight[bin] += w;
    }
};

// Which bin a moment falls in, or -1 outside the range.
qsizetype binOf(double seconds, const QDateTime& end, double span)
{
    const double fromStart = seconds - (static_cast<double>(end.toSecsSinceEpoch()) - span);
    if (fromStart < 0 || fromStart >= span)
        return -1;
    return static_cast<qsizetype>(fromStart / span * kBinCount);
}

Frame finish(const QList<ChartLine>& lines, QList<Accumulator>& sums, MetricKind metric, ChartRange range,
             const QDateTime& end)
{
    Frame frame{end, spanSeconds(range), {}, 1};
    double peak = 1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        Accumulator& a = sums[i];
        Band band{a.minimum, QList<double>(kBinCount, kNaN), a.maximum, toneColor(lines[i].tone), lines[i].dashed};
        for (qsizetype bin = 0; bin < kBinCount; ++bin) {
            if (a.weight[bin] > 0) {
                band.mean[bin] = a.sum[bin] / a.weight[bin];
                peak = std::max(peak, band.maximum[bin]);
            }
        }
        frame.bands.append(band);
    }
    const auto& tab = ReadingTable::of(metric).tab;
    // The scale of the five-minute chart, over the bands' maxima.
    frame.upper = !tab || tab->isPercent
                      ? 100
                      : ActivityChartModel::roundUpToStep(std::max(peak * 1.12, tab->minimumTop));
    return frame;
}

}  // namespace

double spanSeconds(ChartRange range)
{
    switch (range) {
    case ChartRange::fiveMinutes:
        return 300;
    case ChartRange::hour:
        return 3600;
    case ChartRange::day:
        return secondsPerDay;
    }
    return 300;
}

Frame fromSamples(const MetricHistory& history, MetricKind metric, ChartRange range, const QDateTime& end)
{
    const bool charging = !history.isEmpty() && history.last().isCharging;
    const QList<ChartLine> lines = ActivityChartModel::shownLines(metric, charging);
    QList<Accumulator> sums(lines.size());
    for (const MetricSample& sample : history) {
        const qsizetype bin = binOf(sample.time.toMSecsSinceEpoch() / 1000.0, end, spanSeconds(range));
        for (qsizetype i = 0; bin >= 0 && i < lines.size(); ++i) {
            const double value = sample[lines[i].series] / lines[i].divisor;
            sums[i].add(bin, value, value, value, 1);
        }
    }
    return finish(lines, sums, metric, range, end);
}

Frame fromBuckets(const QList<MinuteBucket>& buckets, MetricKind metric, ChartRange range, const QDateTime& end,
                  bool charging)
{
    const QList<ChartLine> lines = ActivityChartModel::shownLines(metric, charging);
    QList<Accumulator> sums(lines.size());
    for (const MinuteBucket& bucket : buckets) {
        const qsizetype bin = binOf(static_cast<double>(bucket.minute) + 30, end, spanSeconds(range));
        for (qsizetype i = 0; bin >= 0 && i < lines.size(); ++i) {
            const SeriesSummary& s = bucket[lines[i].series];
            const double d = lines[i].divisor;
            sums[i].add(bin, s.minimum / d, s.mean / d, s.maximum / d, bucket.sampleCount);
        }
    }
    return finish(lines, sums, metric, range, end);
}

std::array<QString, 3> timeLabels(const Frame& frame)
{
    const auto label = [](const QDateTime& t) {
        return QLocale::c().toString(t.toLocalTime(), QStringLiteral("HH:mm"));
    };
    const auto span = static_cast<qint64>(frame.spanSeconds);
    return {label(frame.end.addSecs(-span)), label(frame.end.addSecs(-span / 2)), label(frame.end)};
}

double binX(qsizetype bin, qsizetype binCount, const QRectF& plot)
{
    return plot.left() + (static_cast<double>(bin) + 0.5) / static_cast<double>(binCount) * plot.width();
}

}  // namespace moravel::RangeChartModel
