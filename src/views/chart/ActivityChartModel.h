#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/ReadingTable.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QLineF>
#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <array>
#include <span>

namespace moravel {

// The rules behind the activity chart, kept apart from painting so that the
// scale, labels and series choice can be checked directly.
namespace ActivityChartModel {

inline constexpr qsizetype kWindowLength = 300;
inline constexpr double kAxisSpanSeconds = 300;
// Samples further apart than this have a gap between them (the machine was
// out of reach, or the computer asleep): the line is not drawn across it.
inline constexpr double kGapSeconds = 2.5;

using SampleWindow = std::span<const MetricSample>;

struct ActivitySeries {
    QList<double> values;  // one per sample of the window, in chart units; NaN where missing
    QColor color;
    bool dashed = false;

    friend bool operator==(const ActivitySeries&, const ActivitySeries&) = default;
};

struct YDomain {
    double lower = 0;
    double upper = 0;

    friend bool operator==(const YDomain&, const YDomain&) = default;
};

// The newest samples the chart draws: at most the last 300. The window views
// the history, so the history must outlive it (a temporary is refused).
SampleWindow chartWindow(const MetricHistory& history);
SampleWindow chartWindow(const MetricHistory&& history) = delete;

// The tab's lines that are drawn: the one drawn only while charging only then.
QList<ChartLine> shownLines(MetricKind metric, bool charging);
// The shown lines that have something to draw: a line without a single value
// in the window (no power figure on a desktop) is left out.
QList<ActivitySeries> chartSeries(SampleWindow window, MetricKind metric);
YDomain yDomain(SampleWindow window, MetricKind metric);
// Rounds a positive candidate up to 1, 2 or 5 times a power of ten.
double roundUpToStep(double candidate);

// The right edge of the time axis, truncated to a whole second: the newest
// sample's time, or `now` for an empty window.
QDateTime windowEnd(SampleWindow window, const QDateTime& now);

QString unitSuffix(MetricKind metric);
QString axisLabel(double value, MetricKind metric);
// "HH:mm:ss" in the local time zone whatever the user's locale.
QString timeLabel(const QDateTime& time);
// Labels for the start, middle and end of the time axis.
std::array<QString, 3> timeLabels(const QDateTime& windowEnd);

// The font of the value labels left of the plot.
QFont axisLabelFont();
// The plot area inside a canvas, leaving 30 points on the left for value
// labels and room above for the top one.
QRectF plotRect(const QSizeF& canvas);
// The stroke points of one series, one polyline per run of samples: a
// missing value or a gap in time ends a run, so nothing is drawn there. A
// run of one sample becomes a half-pixel stub.
QList<QPolygonF> seriesRuns(SampleWindow window, const QList<double>& values, const QDateTime& windowEnd,
                            double upper, const QRectF& plot);

// The straight pieces a series is stroked with: every segment of the path,
// or for a dashed series the "on" parts of a 5-on, 4-off pattern that runs
// on across corners.
QList<QLineF> strokeSegments(const QPolygonF& points, bool dashed);

}  // namespace ActivityChartModel

}  // namespace moravel
