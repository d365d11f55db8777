#pragma once

#include "monitor/ReadingTable.h"
#include "views/chart/RangeChartModel.h"
#include "views/dashboard/DashboardRules.h"

#include <QWidget>

namespace moravel {

class ActivityChart;

// "Activity" and its range choice ("5 min", "1 h", "24 h") over the chart, then the tab's detail (the
// swap in use on the Memory tab, say), and the legend that names the chart's
// series on the right of the title row. With the keyboard, Left and Right
// choose the range. Assistive technologies hear the choices as radio
// buttons and the details as a list of named values.
class ActivitySection final : public QWidget {
    Q_OBJECT

public:
    static constexpr int verticalPadding = 7;
    static constexpr int chartHeight = 96;

    explicit ActivitySection(QWidget* parent = nullptr);

    void setLegend(const QList<LegendEntry>& entries);
    const QList<LegendEntry>& legend() const { return legend_; }
    // The tab's detail as shown, and as a screen reader hears it.
    void setDetail(const QString& detail, const QList<SpokenDetail>& spoken = {});
    const QList<SpokenDetail>& spokenDetails() const { return spokenDetails_; }
    void setRange(ChartRange range);
    // Where each range's choice sits in the title row, in ChartRange order.
    QRect rangeRect(ChartRange range) const;
    ChartRange range() const { return range_; }
    // Where the detail is drawn.
    QRectF detailRect() const;
    const QString& detail() const { return detail_; }
    ActivityChart* chart() const { return chart_; }

    QSize sizeHint() const override;
    // Its height: the title row, the chart and their padding.
    static int preferredHeight();

    // One legend entry: a short coloured capsule, then its label.
    static void paintLegendItem(QPainter& painter, const QRectF& frame, const LegendEntry& entry);

signals:
    void rangeChosen(moravel::ChartRange range);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static int titleRowHeight();
    QRect legendRect() const;
    double legendLeft() const;

    QRect titleRowRect() const;

    QList<LegendEntry> legend_;
    QString detail_;
    QList<SpokenDetail> spokenDetails_;
    ChartRange range_ = ChartRange::fiveMinutes;
    ActivityChart* chart_ = nullptr;
};

}  // namespace moravel
