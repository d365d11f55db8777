#include "views/chart/ActivitySection.h"

#include "views/chart/ActivityChart.h"
#include "views/kit/DashboardLayout.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr int kRowSpacing = 5;
constexpr double kTitleGap = 8;
constexpr double kDetailGap = 14;
constexpr double kLegendFrame = 180;
constexpr double kLegendItemWidth = 82;
constexpr double kLegendSpacing = 8;
constexpr double kCapsuleWidth = 12;
constexpr double kCapsuleHeight = 2;
constexpr double kCapsuleGap = 4;

QFont titleFont()
{
    return Fonts::words(TextSize::emphasis, QFont::DemiBold);
}

QFont spanFont()
{
    return Fonts::words(TextSize::small, QFont::Medium);
}

constexpr std::array<const char*, 3> kRangeTitles{"5 min", "1 h", "24 h"};
constexpr double kRangeGap = 10;

QFont legendFont()
{
    return Fonts::words(TextSize::small, QFont::Medium);
}

}  // namespace

ActivitySection::ActivitySection(QWidget* parent) : QWidget(parent), chart_(new ActivityChart(this)) {}

int ActivitySection::titleRowHeight()
{
    const double height = std::max({QFontMetricsF(titleFont()).height(), QFontMetricsF(spanFont()).height(),
                                    QFontMetricsF(legendFont()).height()});
    return static_cast<int>(std::ceil(height));
}

int ActivitySection::preferredHeight()
{
    return pxInt(verticalPadding) + titleRowHeight() + pxInt(kRowSpacing + chartHeight + verticalPadding);
}

QSize ActivitySection::sizeHint() const
{
    return {DashboardLayout::contentPixels(), preferredHeight()};
}

void ActivitySection::resizeEvent(QResizeEvent*)
{
    const int chartTop = pxInt(verticalPadding) + titleRowHeight() + pxInt(kRowSpacing);
    chart_->setGeometry(0, chartTop, width(), std::max(height() - chartTop - pxInt(verticalPadding), 0));
}

QRect ActivitySection::legendRect() const
{
    return QRectF(width() - px(kLegendFrame), px(verticalPadding), px(kLegendFrame), titleRowHeight()).toAlignedRect();
}

void ActivitySection::setLegend(const QList<LegendEntry>& entries)
{
    if (entries == legend_)
        return;
    legend_ = entries;
    update(legendRect());
}

void ActivitySection::setDetail(const QString& detail)
{
    if (detail == detail_)
        return;
    detail_ = detail;
    update(titleRowRect());
}

void ActivitySection::setRange(ChartRange range)
{
    if (range == range_)
        return;
    range_ = range;
    chart_->setRange(range);
    update(titleRowRect());
}

QRect ActivitySection::rangeRect(ChartRange range) const
{
    const QFontMetricsF metrics(spanFont());
    double left = QFontMetricsF(titleFont()).horizontalAdvance(QStringLiteral("Activity")) + px(kTitleGap);
    for (size_t i = 0; i < static_cast<size_t>(range); ++i)
        left += metrics.horizontalAdvance(QString::fromLatin1(kRangeTitles[i])) + px(kRangeGap);
    const double width = metrics.horizontalAdvance(QString::fromLatin1(kRangeTitles[static_cast<size_t>(range)]));
    return QRectF(left, px(verticalPadding), width, titleRowHeight()).toAlignedRect();
}

void ActivitySection::mousePressEvent(QMouseEvent* event)
{
    for (ChartRange range : {ChartRange::fiveMinutes, ChartRange::hour, ChartRange::day}) {
        // A little slack around the short titles, so they are easy to hit.
        const int slack = pxInt(4);
        if (rangeRect(range).adjusted(-slack, -slack, slack, slack).contains(event->position().toPoint()))
            emit rangeChosen(range);
    }
}

QRect ActivitySection::titleRowRect() const
{
    return QRect(0, pxInt(verticalPadding), width(), titleRowHeight());
}

void ActivitySection::paintLegendItem(QPainter& painter, const QRectF& frame, const LegendEntry& entry)
{
    const QRectF capsule(frame.left(), frame.center().y() - px(kCapsuleHeight) / 2, px(kCapsuleWidth),
                         px(kCapsuleHeight));
    painter.setPen(Qt::NoPen);
    painter.setBrush(entry.color);
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);

    const QFont font = legendFont();
    const QRectF label(capsule.right() + px(kCapsuleGap), frame.top(),
                       frame.right() - capsule.right() - px(kCapsuleGap), frame.height());
    painter.setFont(font);
    painter.setPen(IslandPalette::secondary());
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(font).elidedText(entry.label, Qt::ElideRight, label.width()));
}

void ActivitySection::paintEvent(QPaintEvent* event)
{
    const QRect row = titleRowRect();
    if (!event->rect().intersects(row))
        return;  // only the chart changed; it paints itself
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // "Activity" and the ranges share a baseline; the chosen range reads in the title's colour.
    const QFontMetricsF titleMetrics(titleFont());
    const double baseline = row.top() + (row.height() + titleMetrics.ascent() - titleMetrics.descent()) / 2;
    const QString title = QStringLiteral("Activity");
    painter.setFont(titleFont());
    painter.setPen(IslandPalette::primary());
    painter.drawText(QPointF(0, baseline), title);
    painter.setFont(spanFont());
    for (ChartRange range : {ChartRange::fiveMinutes, ChartRange::hour, ChartRange::day}) {
        painter.setPen(range == range_ ? IslandPalette::primary() : IslandPalette::secondary());
        const QString text = QString::fromLatin1(kRangeTitles[static_cast<size_t>(range)]);
        painter.drawText(QPointF(rangeRect(range).left(), baseline), text);
    }
    painter.setPen(IslandPalette::secondary());

    // Trailing-aligned inside its frame: the last entry ends at the right edge.
    const auto count = static_cast<double>(legend_.size());
    double x = width() - px(count * kLegendItemWidth + std::max(0.0, count - 1) * kLegendSpacing);
    if (!detail_.isEmpty()) {
        const double left = rangeRect(ChartRange::day).right() + 1 + px(kDetailGap);
        const double room = x - px(kDetailGap) - left;
        painter.drawText(QPointF(left, baseline),
                         QFontMetricsF(spanFont()).elidedText(detail_, Qt::ElideRight, std::max(room, 0.0)));
    }
    for (const LegendEntry& entry : legend_) {
        paintLegendItem(painter, QRectF(x, row.top(), px(kLegendItemWidth), row.height()), entry);
        x += px(kLegendItemWidth + kLegendSpacing);
    }
}

}  // namespace moravel
