#include "views/dashboard/HealthRail.h"

#include "views/kit/AccessibleParts.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
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

QFont labelFont()
{
    return Fonts::words(TextSize::caption, QFont::Medium);
}

QFont valueFont()
{
    return Fonts::figures(TextSize::emphasis, QFont::DemiBold);
}

QFont detailFont()
{
    return Fonts::figures(TextSize::caption);
}

// The gauges as labelled values: the reading's title and what it reads.
class HealthRailAccessible final : public AccessibleWidgetWithParts {
public:
    explicit HealthRailAccessible(QWidget* rail)
        : AccessibleWidgetWithParts(rail, QAccessible::Grouping, QStringLiteral("Gauges"))
    {
    }

    QList<int> partKeys() const override { return {0, 1, 2, 3}; }
    AccessiblePart part(int key) const override
    {
        const HealthMetricView& gauge = static_cast<const HealthRail*>(widget())->gauge(key);
        AccessiblePart part;
        part.name = gauge.metric().name;
        part.text = gauge.metric().spoken;
        part.rect = gauge.geometry();
        return part;
    }
};

}  // namespace

HealthMetricView::HealthMetricView(QWidget* parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
}

int HealthMetricView::contentHeight()
{
    // Every gauge has room for a detail line under its value, so that their
    // captions and values line up across the rail.
    const double text = QFontMetricsF(labelFont()).height() + QFontMetricsF(valueFont()).height()
                        + QFontMetricsF(detailFont()).height();
    return static_cast<int>(std::ceil(std::max<double>(text, symbolPixelSize(15))));
}

QSize HealthMetricView::sizeHint() const
{
    return {pxInt(kGaugeWidth), contentHeight()};
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
    const QRectF iconRect(px(kHorizontalPadding), 0, px(kIconFrame), rowHeight);
    SymbolFont::shared().draw(painter, metric_.icon, iconRect, 15, IslandPalette::secondary());

    // The stack starts at the same height in every gauge, detail line or not.
    const QFontMetricsF labelMetrics(labelFont());
    const QFontMetricsF valueMetrics(valueFont());
    const QFontMetricsF detailMetrics(detailFont());
    const double x = iconRect.right() + px(kSpacing);
    const double room = width() - x - px(kHorizontalPadding);
    const double top = std::max(0.0, (rowHeight - contentHeight()) / 2);

    painter.setFont(labelFont());
    painter.setPen(IslandPalette::secondary());
    const QRectF labelRect(x, top, room, labelMetrics.height());
    painter.drawText(labelRect, Qt::AlignLeft | Qt::AlignVCenter, metric_.label);

    painter.setFont(valueFont());
    painter.setPen(metric_.accent);
    const QRectF valueRect(x, labelRect.bottom(), room, valueMetrics.height());
    painter.drawText(valueRect, Qt::AlignLeft | Qt::AlignVCenter, metric_.value);
    if (!metric_.detail.isEmpty()) {
        painter.setFont(detailFont());
        painter.setPen(IslandPalette::secondary());
        painter.drawText(QRectF(x, valueRect.bottom(), room, detailMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         metric_.detail);
    }
}

HealthRail::HealthRail(QWidget* parent) : QWidget(parent)
{
    IslandAccessibility::provide(staticMetaObject,
                                 [](QWidget* rail) -> QAccessibleInterface* { return new HealthRailAccessible(rail); });
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

int HealthRail::preferredHeight()
{
    return 2 * pxInt(kRailPadding) + std::max(pxInt(kDividerHeight), HealthMetricView::contentHeight());
}

QSize HealthRail::sizeHint() const
{
    return {4 * pxInt(kGaugeWidth) + 3, preferredHeight()};
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
        gauges_[i]->move(static_cast<int>(i) * (pxInt(kGaugeWidth) + 1), top);
}

void HealthRail::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int divider = pxInt(kDividerHeight);
    const int top = (height() - divider) / 2;
    for (int i = 1; i < 4; ++i)
        painter.fillRect(QRect(i * (pxInt(kGaugeWidth) + 1) - 1, top, 1, divider), IslandPalette::divider());
}

}  // namespace moravel
