#include "views/dashboard/HealthRail.h"

#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/SymbolIcons.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr int kGaugeWidth = 136;
constexpr int kRailPadding = 7;
constexpr int kDividerHeight = 28;
constexpr double kHorizontalPadding = 6;
constexpr double kIconFrame = 20;
constexpr double kSpacing = 5;
constexpr double kValueFrame = 82;

QFont labelFont()
{
    return Fonts::monospaced(8, QFont::Medium);
}

QFont valueFont()
{
    return Fonts::monospaced(10.5, QFont::DemiBold);
}

}  // namespace

HealthMetricView::HealthMetricView(QWidget* parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
}

int HealthMetricView::contentHeight()
{
    // Room for a detail line under the value, in the label's font.
    const double text = 2 * QFontMetricsF(labelFont()).height() + QFontMetricsF(valueFont()).height();
    return static_cast<int>(std::ceil(std::max<double>(text, symbolPixelSize(15))));
}

QSize HealthMetricView::sizeHint() const
{
    return {kGaugeWidth, contentHeight()};
}

void HealthMetricView::setMetric(const HealthMetric& metric)
{
    if (metric == metric_)
        return;
    metric_ = metric;
    update();
}

void HealthMetricView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double rowHeight = height();
    const QRectF iconRect(kHorizontalPadding, 0, kIconFrame, rowHeight);
    SymbolFont::shared().draw(painter, metric_.icon, iconRect, 15, IslandPalette::secondary());

    const QFontMetricsF labelMetrics(labelFont());
    const QFontMetricsF valueMetrics(valueFont());
    const double detailHeight = metric_.detail.isEmpty() ? 0 : labelMetrics.height();
    const double stackHeight = labelMetrics.height() + valueMetrics.height() + detailHeight;
    const double x = iconRect.right() + kSpacing;
    const double top = (rowHeight - stackHeight) / 2;

    painter.setFont(labelFont());
    painter.setPen(IslandPalette::secondary());
    const QRectF labelRect(x, top, kValueFrame, labelMetrics.height());
    painter.drawText(labelRect, Qt::AlignLeft | Qt::AlignVCenter,
                     labelMetrics.elidedText(metric_.label, Qt::ElideRight, kValueFrame));

    painter.setFont(valueFont());
    painter.setPen(metric_.accent);
    const QRectF valueRect(x, labelRect.bottom(), kValueFrame, valueMetrics.height());
    painter.drawText(valueRect, Qt::AlignLeft | Qt::AlignVCenter,
                     valueMetrics.elidedText(metric_.value, Qt::ElideRight, kValueFrame));
    if (detailHeight > 0) {
        painter.setFont(labelFont());
        painter.setPen(IslandPalette::secondary());
        const double detailWidth = width() - x - kHorizontalPadding;
        painter.drawText(QRectF(x, valueRect.bottom(), detailWidth, detailHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         labelMetrics.elidedText(metric_.detail, Qt::ElideRight, detailWidth));
    }
}

HealthRail::HealthRail(QWidget* parent) : QWidget(parent)
{
    for (HealthMetricView*& gauge : gauges_)
        gauge = new HealthMetricView(this);
    setSnapshot(SystemSnapshot{});
    placeGauges();
}

void HealthRail::setSnapshot(const SystemSnapshot& snapshot)
{
    const std::array<HealthMetric, 4> metrics = healthMetrics(snapshot);
    for (size_t i = 0; i < gauges_.size(); ++i)
        gauges_[i]->setMetric(metrics[i]);
}

QSize HealthRail::sizeHint() const
{
    const int row = std::max(kDividerHeight, HealthMetricView::contentHeight());
    return {4 * kGaugeWidth + 3, kRailPadding + row + kRailPadding};
}

void HealthRail::resizeEvent(QResizeEvent*)
{
    placeGauges();
}

void HealthRail::placeGauges()
{
    const int gaugeHeight = HealthMetricView::contentHeight();
    const int top = (height() - gaugeHeight) / 2;
    for (size_t i = 0; i < gauges_.size(); ++i)
        gauges_[i]->move(static_cast<int>(i) * (kGaugeWidth + 1), top);
}

void HealthRail::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int top = (height() - kDividerHeight) / 2;
    for (int i = 1; i < 4; ++i)
        painter.fillRect(QRect(i * (kGaugeWidth + 1) - 1, top, 1, kDividerHeight), IslandPalette::divider());
}

}  // namespace moravel
