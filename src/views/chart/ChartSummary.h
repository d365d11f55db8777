#pragma once

#include "history/MinuteBuckets.h"
#include "island/ChartRange.h"
#include "monitor/Formatters.h"
#include "monitor/MetricTypes.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace moravel::ChartSummary {

// One line of the chart as a screen reader hears it: the newest figure and
// the highest and lowest over the range, in the series' own unit (NaN where
// there is none).
struct Line {
    QString name;
    FigureUnit unit = FigureUnit::percent;
    double now = 0;
    double highest = 0;
    double lowest = 0;

    friend bool operator==(const Line&, const Line&) = default;
};

// "5 minutes", "1 hour", "24 hours".
QString rangeName(ChartRange range);

// The tab's lines over the range (the charging line only while charging),
// named by `names` in order where given, else by their legend. The five
// minutes and the hour come from the seconds of `history`, the day from
// `buckets`; "now" is the newest second either way.
QList<Line> lines(MetricKind metric, ChartRange range, const MetricHistory& history,
                  const QList<MinuteBucket>& buckets, const QDateTime& end, const QStringList& names = {});

// "CPU over 5 minutes: now 23 percent, highest 71, lowest 4". A line named
// otherwise than the tab says its name ("Sensors over 1 hour: CPU now 52
// degrees Celsius, ..."); several lines are joined by "; ". Percentages and
// degrees give the unit once; other units with each figure.
QString text(MetricKind metric, ChartRange range, const QList<Line>& lines);

}  // namespace moravel::ChartSummary
