#include "views/collapsed/CollapsedIslandView.h"

#include "island/IslandState.h"
#include "monitor/ReadingTable.h"
#include "monitor/SystemMonitor.h"
#include "views/collapsed/CollapsedReadings.h"
#include "views/kit/AccessibleAnnouncer.h"
#include "views/kit/AccessibleParts.h"
#include "views/kit/ReadingColors.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace moravel {

namespace {

// The readings, each an element of its own: its title as name, what it shows
// as text, keyed by its kind.
class CollapsedIslandAccessible final : public AccessibleWidgetWithParts {
public:
    explicit CollapsedIslandAccessible(QWidget* view)
        : AccessibleWidgetWithParts(view, QAccessible::Grouping, QStringLiteral("Readings"))
    {
    }

    QList<int> partKeys() const override
    {
        QList<int> keys;
        for (MetricKind kind : view().content().kinds)
            keys.append(static_cast<int>(kind));
        return keys;
    }
    AccessiblePart part(int key) const override
    {
        const auto kind = static_cast<MetricKind>(key);
        AccessiblePart part;
        part.role = QAccessible::StaticText;
        part.name = QLatin1String(ReadingTable::of(kind).title);
        part.text = view().spokenReading(kind);
        part.rect = view().readingLayout().readingRect(kind).value_or(QRectF()).toAlignedRect();
        return part;
    }

private:
    const CollapsedIslandView& view() const { return *static_cast<const CollapsedIslandView*>(widget()); }
};

}  // namespace

CollapsedIslandView::CollapsedIslandView(SystemMonitor& monitor, IslandState& state, Scheduler& scheduler,
                                         QWidget* parent)
    : QWidget(parent), monitor_(monitor), state_(state), announcer_(new AccessibleAnnouncer(scheduler, this))
{
    IslandAccessibility::provide(staticMetaObject,
                                 [](QWidget* view) -> QAccessibleInterface* { return new CollapsedIslandAccessible(view); });
    connect(&monitor_, &SystemMonitor::snapshotChanged, this, &CollapsedIslandView::contentChanged);
    connect(&monitor_, &SystemMonitor::sourceReachabilityChanged, this, qOverload<>(&QWidget::update));
    connect(&state_, &IslandState::collapsedMetricPreferencesChanged, this, &CollapsedIslandView::layoutChanged);
    connect(&state_, &IslandState::displayGeometryChanged, this, &CollapsedIslandView::layoutChanged);
}

CollapsedContent CollapsedIslandView::content() const
{
    return {monitor_.snapshot(), state_.visibleCollapsedMetricKinds(), state_.displayGeometry()};
}

CollapsedIslandLayout CollapsedIslandView::readingLayout() const
{
    return CollapsedIslandPainter::layout(content(), QRectF(rect()));
}

QString CollapsedIslandView::spokenReading(MetricKind kind) const
{
    return CollapsedReadings::spokenReading(kind, state_.visibleCollapsedMetricKinds(), monitor_.snapshot());
}

QSize CollapsedIslandView::sizeHint() const
{
    const QSizeF size = state_.displayGeometry().collapsedSize(
        state_.visibleCollapsedMetricKinds(), CollapsedIslandPainter::widthsFor(monitor_.snapshot()));
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

QString CollapsedIslandView::readingText(MetricKind kind, const SystemSnapshot& snapshot)
{
    using namespace CollapsedReadings;
    return fleetMachineOf(kind, snapshot).value_or(QString()) + styledText(kind, snapshot);
}

QString CollapsedIslandView::styledText(MetricKind kind, const SystemSnapshot& snapshot)
{
    using namespace CollapsedReadings;
    switch (ReadingTable::of(kind).collapsed->style) {
    case CollapsedStyle::network:
        if (!snapshot.network)
            return {};
        return downloadText(snapshot.network->downloadBytesPerSecond)
               + uploadText(snapshot.network->uploadBytesPerSecond);
    case CollapsedStyle::load:
        return ReadingTable::valueText(kind, snapshot) + readingColor(kind, snapshot).name();
    case CollapsedStyle::disk:
        return ReadingTable::valueText(kind, snapshot) + ReadingTable::of(kind).gaugeDetail(snapshot);
    case CollapsedStyle::power: {
        if (!hasBatteryReading(snapshot))
            return {};
        const PowerReadingTexts texts = powerReadingTexts(snapshot);
        return texts.label + texts.watts + texts.batteryIcon + texts.battery + QString::number(texts.isOnAdapter);
    }
    }
    return {};
}

void CollapsedIslandView::layoutChanged()
{
    drawnReadings_.clear();
    updateGeometry();
    update();
    contentChanged();
}

void CollapsedIslandView::contentChanged()
{
    const SystemSnapshot& snapshot = monitor_.snapshot();
    const CollapsedIslandLayout layout = readingLayout();
    if (layout.frame.size() != drawnFrame_) {
        // A reading came or went (the battery's, another machine's): the row is laid out anew.
        drawnFrame_ = layout.frame.size();
        drawnReadings_.clear();
        updateGeometry();
    }
    QList<QString> readings;
    readings.reserve(layout.readings.size());
    for (const auto& reading : layout.readings)
        readings.append(readingText(reading.kind, snapshot));
    if (!readings.isEmpty())
        readings.first() += CollapsedReadings::fleetDownText(snapshot).value_or(QString());
    if (readings.size() != drawnReadings_.size()) {
        update();
    } else {
        // A reading's rectangle is one line high; repaint its whole column.
        for (qsizetype i = 0; i < readings.size(); ++i) {
            if (readings[i] != drawnReadings_[i]) {
                const QRectF column = layout.readings[i].rect;
                update(QRectF(column.left() - 1, 0, column.width() + 2, height()).toAlignedRect());
            }
        }
    }
    drawnReadings_ = std::move(readings);
    announceReadings();
}

void CollapsedIslandView::announceReadings()
{
    if (!QAccessible::isActive())
        return;
    auto* accessible = static_cast<AccessibleWidgetWithParts*>(QAccessible::queryAccessibleInterface(this));
    for (MetricKind kind : state_.visibleCollapsedMetricKinds())
        announcer_->update(accessible->partInterface(static_cast<int>(kind)), QAccessible::TextUpdated,
                           spokenReading(kind));
}

std::optional<ToolTip> CollapsedIslandView::toolTipAt(const QPoint& position) const
{
    const std::optional<QString> tip = CollapsedReadings::powerToolTip(monitor_.snapshot());
    const std::optional<QRectF> reading = readingLayout().readingRect(MetricKind::power);
    if (!tip || !reading || !reading->contains(position))
        return std::nullopt;
    return ToolTip{*tip, reading->toAlignedRect().translated(mapToGlobal(QPoint(0, 0)))};
}

void CollapsedIslandView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Another machine out of reach: its last readings, greyed.
    if (!monitor_.isSourceReachable())
        painter.setOpacity(dimmedOpacity);
    CollapsedIslandPainter::paint(painter, QRectF(rect()), content());
}

void CollapsedIslandView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        isPressed_ = true;
    event->accept();
}

void CollapsedIslandView::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = isPressed_;
    isPressed_ = false;
    event->accept();
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        state_.toggleLockedOpen();
}

}  // namespace moravel
