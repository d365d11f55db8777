#include "views/chart/ActivityChart.h"

#include "monitor/ReadingTable.h"
#include "views/chart/ActivityChartModel.h"
#include "views/kit/DashboardLayout.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include "views/chart/ChartSummary.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace moravel {

namespace Model = ActivityChartModel;

namespace {

constexpr int kChartHeight = 96;
constexpr double kTimeRowSpacing = 2;
constexpr double kPlotLeft = 30;
constexpr double kPlotRightInset = 2;

bool sameSample(const MetricSample& a, const MetricSample& b)
{
    // Bit for bit: an absent value (NaN) equals itself here.
    return a.id == b.id && a.time == b.time && a.isCharging == b.isCharging
           && std::memcmp(a.values.data(), b.values.data(), sizeof a.values) == 0;
}

bool sameHistory(const MetricHistory& a, const MetricHistory& b)
{
    if (a.isSharedWith(b))
        return true;
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameSample);
}

QPen gridPen(double opacity)
{
    QPen pen(QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity)), 1);
    pen.setDashPattern({3, 4});
    pen.setDashOffset(0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// Series are stroked as separate straight pieces with square caps: Qt
// rasterises those on its fast line path, about five times quicker than a
// round-joined polyline. At 1.5 px the square ends and the overlapping caps at
// the corners differ from round caps and joins by under a quarter pixel.
QPen seriesPen(const QColor& color)
{
    QPen pen(color, px(1.5));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setMiterLimit(10);
    return pen;
}

QFont timeFont()
{
    return Fonts::figures(TextSize::caption, QFont::Medium);
}

// The chart reads as one element: its name and the tab with its sample count.
class ActivityChartAccessible : public QAccessibleWidget {
public:
    explicit ActivityChartAccessible(ActivityChart* chart) : QAccessibleWidget(chart, QAccessible::Chart) {}

    QString text(QAccessible::Text t) const override
    {
        const auto* chart = static_cast<const ActivityChart*>(widget());
        switch (t) {
        case QAccessible::Name:
            return ReadingTable::tabTitle(chart->metric()) + QStringLiteral(" chart");
        case QAccessible::Description:
            return chart->accessibleSummary();
        default:
            return QAccessibleWidget::text(t);
        }
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(ActivityChart::staticMetaObject.className()) && object && object->isWidgetType())
        return new ActivityChartAccessible(static_cast<ActivityChart*>(object));
    return nullptr;
}

void installAccessibleFactory()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(accessibleFactory); });
}

}  // namespace

ActivityChart::ActivityChart(QWidget* parent)
    : QWidget(parent), clock_([] { return QDateTime::currentDateTimeUtc(); })
{
    installAccessibleFactory();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ActivityChart::setHistory(const MetricHistory& history)
{
    if (sameHistory(history, history_))
        return;
    history_ = history;
    update();
}

void ActivityChart::setMetric(MetricKind metric)
{
    if (metric == metric_)
        return;
    metric_ = metric;
    notifyAccessibleValue();
    update();
}

void ActivityChart::setClock(Clock clock)
{
    clock_ = std::move(clock);
    update();
}

QString ActivityChart::accessibleSummary() const
{
    const QDateTime end = Model::windowEnd(Model::chartWindow(history_), clock_());
    return ChartSummary::text(metric_, range_, ChartSummary::lines(metric_, range_, history_, buckets_, end));
}

void ActivityChart::notifyAccessibleValue()
{
    // Said again when the reader chooses another tab or range; the figures
    // are read afresh whenever the reader asks, never pushed every second.
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

QSize ActivityChart::sizeHint() const
{
    return {DashboardLayout::contentPixels(), pxInt(kChartHeight)};
}

QSize ActivityChart::minimumSizeHint() const
{
    return {pxInt(kPlotLeft + kPlotRightInset) + 1, pxInt(kChartHeight)};
}

double ActivityChart::timeRowHeight() const
{
    return QFontMetricsF(timeFont()).height();
}

void ActivityChart::drawChart(QPainter& painter, const QSizeF& canvas, const MetricHistory& history,
                              MetricKind metric, const QDateTime& windowEnd)
{
    const Model::SampleWindow window = Model::chartWindow(history);
    const QRectF plot = Model::plotRect(canvas);
    const double upper = Model::yDomain(window, metric).upper;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    drawGrid(painter, plot, upper, metric);

    for (const Model::ActivitySeries& series : Model::chartSeries(window, metric)) {
        painter.setPen(seriesPen(series.color));
        for (const QPolygonF& run : Model::seriesRuns(window, series.values, windowEnd, upper, plot))
            painter.drawLines(Model::strokeSegments(run, series.dashed));
    }
    painter.restore();
}

void ActivityChart::drawGrid(QPainter& painter, const QRectF& plot, double upper, MetricKind metric)
{
    const QFont labelFont = Model::axisLabelFont();
    const QFontMetricsF labelMetrics(labelFont);
    painter.setFont(labelFont);
    for (const double fraction : {0.0, 0.5, 1.0}) {
        const double y = plot.bottom() - fraction * plot.height();
        painter.setPen(gridPen(0.1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        const QString label = Model::axisLabel(fraction * upper, metric);
        const double width = labelMetrics.horizontalAdvance(label);
        const QRectF labelRect(plot.left() - px(4) - width, y - labelMetrics.height() / 2, width,
                               labelMetrics.height());
        painter.setPen(IslandPalette::secondary());
        painter.drawText(labelRect, Qt::AlignRight | Qt::AlignVCenter, label);
    }

    painter.setPen(gridPen(0.07));
    for (const double x : {plot.left(), plot.left() + 0.5 * plot.width(), plot.right()})
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
}

void ActivityChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const double rowHeight = timeRowHeight();
    const QSizeF canvas(width(), std::max(0.0, height() - px(kTimeRowSpacing) - rowHeight));
    const QDateTime end = Model::windowEnd(Model::chartWindow(history_), clock_());
    std::array<QString, 3> labels;
    if (range_ == ChartRange::fiveMinutes) {
        drawChart(painter, canvas, history_, metric_, end);
        labels = Model::timeLabels(end);
    } else {
        labels = paintRange(painter, canvas, end);
    }

    const QRectF row(px(kPlotLeft), height() - rowHeight, std::max(0.0, width() - px(kPlotLeft + kPlotRightInset)),
                     rowHeight);
    painter.setFont(timeFont());
    painter.setPen(IslandPalette::secondary());
    painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, labels[0]);
    painter.drawText(row, Qt::AlignHCenter | Qt::AlignVCenter, labels[1]);
    painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter, labels[2]);
}

void ActivityChart::setRange(ChartRange range)
{
    if (range == range_)
        return;
    range_ = range;
    notifyAccessibleValue();
    update();
}

void ActivityChart::setMinuteBuckets(const QList<MinuteBucket>& buckets)
{
    buckets_ = buckets;
    if (range_ == ChartRange::day)
        update();
}

std::array<QString, 3> ActivityChart::paintRange(QPainter& painter, const QSizeF& canvas, const QDateTime& end)
{
    namespace Range = RangeChartModel;
    const bool charging = !history_.isEmpty() && history_.last().isCharging;
    const Range::Frame frame = range_ == ChartRange::day
                                   ? Range::fromBuckets(buckets_, metric_, range_, end, charging)
                                   : Range::fromSamples(history_, metric_, range_, end);
    const QRectF plot = Model::plotRect(canvas);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    drawGrid(painter, plot, frame.upper, metric_);
    const auto y = [&](double value) {
        return plot.bottom() - std::clamp(value / std::max(frame.upper, 0.001), 0.0, 1.0) * plot.height();
    };
    for (const Range::Band& band : frame.bands) {
        const qsizetype count = band.mean.size();
        // Each run of bins with data is one band and one line; a gap breaks both.
        for (qsizetype start = 0; start < count;) {
            if (std::isnan(band.mean[start])) {
                ++start;
                continue;
            }
            qsizetype stop = start;
            while (stop < count && !std::isnan(band.mean[stop]))
                ++stop;
            QPolygonF outline;
            QPolygonF line;
            for (qsizetype bin = start; bin < stop; ++bin) {
                const double x = Range::binX(bin, count, plot);
                outline.append({x, y(band.maximum[bin])});
                line.append({x, y(band.mean[bin])});
            }
            for (qsizetype bin = stop - 1; bin >= start; --bin)
                outline.append({Range::binX(bin, count, plot), y(band.minimum[bin])});
            painter.setPen(Qt::NoPen);
            painter.setBrush(IslandPalette::withOpacity(band.color, 0.18));
            painter.drawPolygon(outline);
            if (line.size() == 1)
                line.append(line[0] + QPointF(px(0.5), 0));
            painter.setPen(seriesPen(band.color));
            painter.drawLines(Model::strokeSegments(line, band.dashed));
            start = stop;
        }
    }
    painter.restore();
    return Range::timeLabels(frame);
}

}  // namespace moravel
