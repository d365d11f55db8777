#include "views/collapsed/CollapsedIslandView.h"

#include "island/IslandState.h"
#include "monitor/SystemMonitor.h"
#include "views/collapsed/CollapsedReadings.h"
#include "views/kit/ReadingColors.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>
#include <mutex>

namespace moravel {

namespace {

// The readings are read out as one element; their pieces are not separate.
class CollapsedIslandAccessible : public QAccessibleWidget {
public:
    explicit CollapsedIslandAccessible(CollapsedIslandView* view) : QAccessibleWidget(view, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return QString::fromLatin1(CollapsedReadings::accessibleName);
        case QAccessible::Value:
            return static_cast<const CollapsedIslandView*>(widget())->accessibilitySummary();
        default:
            return QAccessibleWidget::text(t);
        }
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(CollapsedIslandView::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new CollapsedIslandAccessible(static_cast<CollapsedIslandView*>(object));
    return nullptr;
}

void installAccessibleFactory()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(accessibleFactory); });
}

}  // namespace

CollapsedIslandView::CollapsedIslandView(SystemMonitor& monitor, IslandState& state, QWidget* parent)
    : QWidget(parent), monitor_(monitor), state_(state)
{
    installAccessibleFactory();
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

QString CollapsedIslandView::accessibilitySummary() const
{
    return CollapsedReadings::accessibilitySummary(state_.visibleCollapsedMetricKinds(), monitor_.snapshot());
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
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, accessibilitySummary());
        QAccessible::updateAccessibility(&changed);
    }
}

bool CollapsedIslandView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (!showPowerToolTip(help->pos(), help->globalPos())) {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

bool CollapsedIslandView::showPowerToolTip(const QPoint& position, const QPoint& globalPosition)
{
    const std::optional<QString> tip = CollapsedReadings::powerToolTip(monitor_.snapshot());
    const std::optional<QRectF> reading = readingLayout().readingRect(MetricKind::power);
    if (!tip || !reading || !reading->contains(position))
        return false;
    QToolTip::showText(globalPosition, *tip, this, reading->toAlignedRect());
    return true;
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
