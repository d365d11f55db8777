#include "views/chart/ActivitySection.h"

#include "views/chart/ActivityChart.h"
#include "views/chart/ChartSummary.h"
#include "views/kit/AccessibleParts.h"
#include "views/kit/ChoiceKeys.h"
#include "views/kit/DashboardLayout.h"
#include "views/kit/FocusRing.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QFontMetricsF>
#include <QKeyEvent>
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

constexpr std::array<ChartRange, 3> kRanges{ChartRange::fiveMinutes, ChartRange::hour, ChartRange::day};
// Part keys past the range choices: the details list and its items.
constexpr int kDetailsKey = 10;
constexpr int kFirstDetailKey = 100;

// The range choices as radio buttons, the details as a list, then the chart.
class ActivitySectionAccessible final : public AccessibleWidgetWithParts {
public:
    explicit ActivitySectionAccessible(QWidget* section)
        : AccessibleWidgetWithParts(section, QAccessible::Grouping, QStringLiteral("Activity"))
    {
    }

    QList<int> partKeys() const override
    {
        QList<int> keys;
        for (ChartRange range : kRanges)
            keys.append(static_cast<int>(range));
        if (!section().spokenDetails().isEmpty())
            keys.append(kDetailsKey);
        return keys;
    }
    AccessiblePart part(int key) const override
    {
        AccessiblePart part;
        if (key == kDetailsKey) {
            part.role = QAccessible::List;
            part.name = QStringLiteral("Details");
            part.rect = section().detailRect().toAlignedRect();
            for (qsizetype i = 0; i < section().spokenDetails().size(); ++i)
                part.children.append(kFirstDetailKey + static_cast<int>(i));
        } else if (key >= kFirstDetailKey) {
            const SpokenDetail detail = section().spokenDetails().value(key - kFirstDetailKey);
            part.role = QAccessible::ListItem;
            part.name = detail.name;
            part.text = detail.value;
            part.rect = section().detailRect().toAlignedRect();
        } else {
            const auto range = static_cast<ChartRange>(key);
            const bool chosen = range == section().range();
            part.role = QAccessible::RadioButton;
            part.name = ChartSummary::rangeName(range);
            part.rect = section().rangeRect(range);
            part.state = IslandAccessibility::focusableState(widget(), chosen);
            part.state.checkable = true;
            part.state.checked = chosen;
            part.actions = {QAccessibleActionInterface::pressAction()};
        }
        return part;
    }
    void doPartAction(int key, const QString& action) override
    {
        if (key < kDetailsKey && action == QAccessibleActionInterface::pressAction())
            emit const_cast<ActivitySection&>(section()).rangeChosen(static_cast<ChartRange>(key));
    }
    bool listsChildWidgets() const override { return true; }

private:
    const ActivitySection& section() const { return *static_cast<const ActivitySection*>(widget()); }
};

}  // namespace

ActivitySection::ActivitySection(QWidget* parent) : QWidget(parent), chart_(new ActivityChart(this))
{
    // Reached with Tab, never focused by a click.
    setFocusPolicy(Qt::TabFocus);
    FocusRing::install();
    IslandAccessibility::provide(staticMetaObject, [](QWidget* section) -> QAccessibleInterface* {
        return new ActivitySectionAccessible(section);
    });
}

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

void ActivitySection::setDetail(const QString& detail, const QList<SpokenDetail>& spoken)
{
    spokenDetails_ = spoken;
    if (detail == detail_)
        return;
    detail_ = detail;
    update(titleRowRect());
}

double ActivitySection::legendLeft() const
{
    // Trailing-aligned inside its frame: the last entry ends at the right edge.
    const auto count = static_cast<double>(legend_.size());
    return width() - px(count * kLegendItemWidth + std::max(0.0, count - 1) * kLegendSpacing);
}

QRectF ActivitySection::detailRect() const
{
    const double left = rangeRect(ChartRange::day).right() + 1 + px(kDetailGap);
    return {left, px(verticalPadding), std::max(legendLeft() - px(kDetailGap) - left, 0.0),
            static_cast<double>(titleRowHeight())};
}

void ActivitySection::setRange(ChartRange range)
{
    if (range == range_)
        return;
    range_ = range;
    chart_->setRange(range);
    IslandAccessibility::reportFocus(this, static_cast<int>(range));
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

void ActivitySection::keyPressEvent(QKeyEvent* event)
{
    // Left and Right ask for the neighbouring range, Home and End for the
    // shortest and longest; the owner chooses it. Enter and Space press
    // the focused one, the chosen one.
    if (isPressKey(event->key())) {
        emit rangeChosen(range_);
        return;
    }
    const qsizetype at = static_cast<qsizetype>(range_);
    const std::optional<qsizetype> wanted = choiceAfterKey(event->key(), at, static_cast<qsizetype>(kRanges.size()));
    if (!wanted) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (*wanted != at)
        emit rangeChosen(kRanges[static_cast<size_t>(*wanted)]);
}

void ActivitySection::mousePressEvent(QMouseEvent* event)
{
    for (ChartRange range : kRanges) {
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
    for (ChartRange range : kRanges) {
        painter.setPen(range == range_ ? IslandPalette::primary() : IslandPalette::secondary());
        const QString text = QString::fromLatin1(kRangeTitles[static_cast<size_t>(range)]);
        painter.drawText(QPointF(rangeRect(range).left(), baseline), text);
    }
    if (FocusRing::isShown(this))
        FocusRing::paint(painter, QRectF(rangeRect(range_)).adjusted(-px(4), -px(1), px(4), px(1)), px(4));
    painter.setPen(IslandPalette::secondary());

    double x = legendLeft();
    if (!detail_.isEmpty()) {
        const QRectF detail = detailRect();
        painter.drawText(QPointF(detail.left(), baseline),
                         QFontMetricsF(spanFont()).elidedText(detail_, Qt::ElideRight, detail.width()));
    }
    for (const LegendEntry& entry : legend_) {
        paintLegendItem(painter, QRectF(x, row.top(), px(kLegendItemWidth), row.height()), entry);
        x += px(kLegendItemWidth + kLegendSpacing);
    }
}

}  // namespace moravel
