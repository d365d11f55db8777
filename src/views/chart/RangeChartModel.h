#pragma once

#include "history/MinuteBuckets.h"
#include "island/ChartRange.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QRectF>

#include <array>

namespace moravel {

// The activity chart's longer ranges: the last hour from the one-second
// history, the last day from the minute buckets. Each is cut into equal bins
// of wall-clock time; a line shows each bin's average, a faint band its
// minimum to maximum. A bin without data leaves a gap.

namespace RangeChartModel {

struct Band {
    QList<double> minimum;  // per bin, in chart units; NaN where the bin has no data
    QList<double> mean;
    QList<double> maximum;
    QColor color;
    bool dashed = false;
};

struct Frame {
    QDateTime end;          // the right edge of the time axis
    double spanSeconds = 0;
    QList<Band> bands;
    double upper = 1;       // the top of the value axis
};

double spanSeconds(ChartRange range);

Frame fromSamples(const MetricHistory& history, MetricKind metric, ChartRange range, const QDateTime& end);
// `charging` decides the lines drawn only while charging: buckets do not say.
Frame fromBuckets(const QList<MinuteBucket>& buckets, MetricKind metric, ChartRange range, const QDateTime& end,
                  bool charging);

// "HH:mm" at the start, middle and end of the axis, in local time.
std::array<QString, 3> timeLabels(const Frame& frame);
// The x of each bin's centre inside the plot.
double binX(qsizetype bin, qsizetype binCount, const QRectF& plot);

}  // namespace RangeChartModel

}  // namespace moravel
