#pragma once

#include "history/MinuteBuckets.h"
#include "monitor/MetricTypes.h"
#include "views/chart/RangeChartModel.h"

#include <QDateTime>
#include <QWidget>

#include <functional>

class QPainter;

namespace moravel {

// The dashboard's live chart of the last five minutes of the selected tab:
// one or two line series over a dashed grid, value labels on the left and
// three clock times underneath. Everything is recomputed from the history and
// the tab on each paint.
class ActivityChart : public QWidget {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    explicit ActivityChart(QWidget* parent = nullptr);

    void setHistory(const MetricHistory& history);
    void setMetric(MetricKind metric);
    // The time the axis ends at while there is no sample yet.
    void setClock(Clock clock);
    // Five minutes draws the history sample by sample; the hour and the day
    // draw averages with their min-max band, the day from `buckets`.
    void setRange(ChartRange range);
    void setMinuteBuckets(const QList<MinuteBucket>& buckets);
    ChartRange range() const { return range_; }

    const MetricHistory& history() const { return history_; }
    MetricKind metric() const { return metric_; }
    // "CPU over 5 minutes: now 23 percent, highest 71, lowest 4".
    QString accessibleSummary() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Grid, value labels and series inside a canvas of the given size.
    static void drawChart(QPainter& painter, const QSizeF& canvas, const MetricHistory& history, MetricKind metric,
                          const QDateTime& windowEnd);
    // The dashed grid and its value labels, up to `upper`.
    static void drawGrid(QPainter& painter, const QRectF& plot, double upper, MetricKind metric);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double timeRowHeight() const;
    void notifyAccessibleValue();
    std::array<QString, 3> paintRange(QPainter& painter, const QSizeF& canvas, const QDateTime& end);

    MetricHistory history_;
    MetricKind metric_ = MetricKind::overview;
    Clock clock_;
    ChartRange range_ = ChartRange::fiveMinutes;
    QList<MinuteBucket> buckets_;
};

}  // namespace moravel
