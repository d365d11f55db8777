#pragma once

#include "monitor/MetricTypes.h"
#include "views/dashboard/HealthGauges.h"

#include <QWidget>

#include <array>

namespace moravel {

// One gauge: icon, short caption and the reading in its warning colour.
class HealthMetricView : public QWidget {
    Q_OBJECT
public:
    explicit HealthMetricView(QWidget* parent = nullptr);

    void setMetric(const HealthMetric& metric);
    const HealthMetric& metric() const { return metric_; }

    QSize sizeHint() const override;
    static int contentHeight();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    HealthMetric metric_;
};

// The row of four gauges under the chart, each 136 points wide, split by thin
// dividers. Only a gauge whose reading changed is repainted.
class HealthRail : public QWidget {
    Q_OBJECT
public:
    explicit HealthRail(QWidget* parent = nullptr);

    void setSnapshot(const SystemSnapshot& snapshot);
    const HealthMetricView& gauge(int index) const { return *gauges_.at(static_cast<size_t>(index)); }

    QSize sizeHint() const override;
    static int preferredHeight();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeGauges();

    std::array<HealthMetricView*, 4> gauges_{};
};

}  // namespace moravel
