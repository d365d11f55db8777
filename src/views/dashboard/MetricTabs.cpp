#include "views/dashboard/MetricTabs.h"

#include "monitor/ReadingTable.h"
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
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr double kVerticalPadding = 4;
constexpr double kTabHeight = 24;
constexpr double kTabSpacing = 4;
constexpr double kTabPadding = 11;
QFont titleFont(bool selected)
{
    return Fonts::words(TextSize::small, selected ? QFont::DemiBold : QFont::Medium);
}

QString titleOf(MetricKind kind)
{
    return ReadingTable::tabTitle(kind);
}

QRectF lerp(const QRectF& from, const QRectF& to, double t)
{
    const auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return {mix(from.x(), to.x()), mix(from.y(), to.y()), mix(from.width(), to.width()),
            mix(from.height(), to.height())};
}

const QString selectAction = QStringLiteral("select");

// A page tab list of page tabs, each keyed by its reading.
class MetricTabsAccessible final : public AccessibleWidgetWithParts {
public:
    explicit MetricTabsAccessible(QWidget* tabs) : AccessibleWidgetWithParts(tabs, QAccessible::PageTabList) {}

    QList<int> partKeys() const override
    {
        QList<int> keys;
        for (MetricKind kind : tabs().available())
            keys.append(static_cast<int>(kind));
        return keys;
    }
    AccessiblePart part(int key) const override
    {
        const auto kind = static_cast<MetricKind>(key);
        const bool selected = kind == tabs().selected();
        AccessiblePart part;
        part.role = QAccessible::PageTab;
        part.name = titleOf(kind);
        part.rect = tabs().tabRect(kind).toAlignedRect();
        part.state = IslandAccessibility::focusableState(widget(), selected);
        part.state.selectable = true;
        part.state.selected = selected;
        part.actions = {selectAction};
        return part;
    }
    void doPartAction(int key, const QString& action) override
    {
        if (action == selectAction)
            emit const_cast<MetricTabs&>(tabs()).tabClicked(static_cast<MetricKind>(key));
    }

private:
    const MetricTabs& tabs() const { return *static_cast<const MetricTabs*>(widget()); }
};

}  // namespace

MetricTabs::MetricTabs(QWidget* parent)
    : QWidget(parent), available_(ReadingTable::tabs()), glide_(new QVariantAnimation(this))
{
    // Before anything asks for the interface (naming the widget does).
    IslandAccessibility::provide(staticMetaObject,
                                 [](QWidget* tabs) -> QAccessibleInterface* { return new MetricTabsAccessible(tabs); });
    // Reached with Tab, never focused by a click; the arrows then switch tabs.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QStringLiteral("Chart tabs"));
    FocusRing::install();
    // The animation runs on plain time; the spring shapes the way there.
    glide_->setStartValue(0.0);
    glide_->setEndValue(1.0);
    glide_->setDuration(static_cast<int>(std::ceil(highlightSpring.settleDuration() * 1000)));
    connect(glide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const double seconds = value.toDouble() * glide_->duration() / 1000.0;
        const double t = value.toDouble() >= 1 ? 1.0 : highlightSpring.position(seconds);
        setHighlight(lerp(glideFrom_, tabRect(selected_), t));
    });
    highlight_ = tabRect(selected_);
    appear_ = new QVariantAnimation(this);
    appear_->setStartValue(0.0);
    appear_->setEndValue(1.0);
    appear_->setDuration(appearMilliseconds);
    connect(appear_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(appear_, &QVariantAnimation::finished, this, [this] { appearing_.clear(); });
}

QSize MetricTabs::sizeHint() const
{
    return {DashboardLayout::contentPixels(), pxInt(rowHeight)};
}

QRectF MetricTabs::tabRect(MetricKind kind) const
{
    double x = 0;
    for (MetricKind each : available_) {
        // Measured in the selected weight either way, so that no tab moves
        // when the selection does.
        const double width = QFontMetricsF(titleFont(true)).horizontalAdvance(titleOf(each)) + px(2 * kTabPadding);
        if (each == kind)
            return {x, px(kVerticalPadding), std::ceil(width), px(kTabHeight)};
        x += std::ceil(width) + px(kTabSpacing);
    }
    return {};
}

void MetricTabs::setAvailable(const QList<MetricKind>& kinds)
{
    // A hidden row is shown at once in the table's order. On a shown row the
    // tabs present keep their places: one that comes later (the sensors,
    // read a second after the rest) fades in after them, never pushing them
    // along under the pointer.
    const bool shown = isVisible();
    QList<MetricKind> placed;
    for (MetricKind kind : available_) {
        if (shown && kinds.contains(kind))
            placed.append(kind);
    }
    const qsizetype kept = placed.size();
    for (MetricKind kind : kinds) {
        if (!placed.contains(kind))
            placed.append(kind);
    }
    if (placed == available_)
        return;
    appearing_ = placed.sliced(kept);
    if (!shown)
        appearing_.clear();
    available_ = placed;
    pressedTab_ = -1;
    glide_->stop();
    setHighlight(tabRect(selected_));
    appear_->stop();
    if (!appearing_.isEmpty())
        appear_->start();
    update();
}

void MetricTabs::setSelected(MetricKind kind, bool animated)
{
    if (kind == selected_)
        return;
    selected_ = kind;
    IslandAccessibility::reportFocus(this, static_cast<int>(kind));
    glide_->stop();
    if (!animated) {
        setHighlight(tabRect(kind));
        update();
        return;
    }
    glideFrom_ = highlight_;
    glide_->start();
    update();
}

void MetricTabs::showEvent(QShowEvent*)
{
    // Out of sight, tabs that came late take their places in the table's order.
    QList<MetricKind> ordered;
    for (MetricKind kind : ReadingTable::tabs()) {
        if (available_.contains(kind))
            ordered.append(kind);
    }
    available_ = ordered;
    setHighlight(tabRect(selected_));
}

bool MetricTabs::isAnimating() const
{
    return glide_->state() == QAbstractAnimation::Running;
}

void MetricTabs::finishAnimation()
{
    glide_->stop();
    setHighlight(tabRect(selected_));
    appear_->stop();
    appearing_.clear();
    update();
}

void MetricTabs::setHighlight(const QRectF& rect)
{
    if (rect == highlight_)
        return;
    const QRect dirty = highlight_.united(rect).toAlignedRect().adjusted(-1, -1, 1, 1);
    highlight_ = rect;
    update(dirty);
}

int MetricTabs::tabAt(const QPointF& position) const
{
    for (qsizetype i = 0; i < available_.size(); ++i) {
        if (tabRect(available_[i]).contains(position))
            return static_cast<int>(i);
    }
    return -1;
}

void MetricTabs::mousePressEvent(QMouseEvent* event)
{
    pressedTab_ = event->button() == Qt::LeftButton ? tabAt(event->position()) : -1;
    event->setAccepted(pressedTab_ >= 0);
}

void MetricTabs::mouseReleaseEvent(QMouseEvent* event)
{
    const int released = tabAt(event->position());
    const bool clicked = event->button() == Qt::LeftButton && released >= 0 && released == pressedTab_;
    pressedTab_ = -1;
    if (clicked)
        emit tabClicked(available_[released]);
}

void MetricTabs::keyPressEvent(QKeyEvent* event)
{
    // Left and Right ask for the neighbouring tab, Home and End for the
    // first and last; the owner selects it. Enter and Space press the
    // focused tab, the selected one, as a click on it does.
    if (isPressKey(event->key())) {
        emit tabClicked(selected_);
        return;
    }
    const qsizetype at = available_.indexOf(selected_);
    const std::optional<qsizetype> wanted = choiceAfterKey(event->key(), at, available_.size());
    if (!wanted) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (*wanted != at && *wanted >= 0)
        emit tabClicked(available_[*wanted]);
}

void MetricTabs::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.1f));
    const double radius = highlight_.height() / 2;
    painter.drawRoundedRect(highlight_, radius, radius);

    for (MetricKind kind : available_) {
        const bool selected = kind == selected_;
        painter.setOpacity(appearing_.contains(kind) ? appear_->currentValue().toDouble() : 1.0);
        painter.setFont(titleFont(selected));
        painter.setPen(selected ? IslandPalette::primary() : IslandPalette::secondary());
        painter.drawText(tabRect(kind), Qt::AlignCenter, titleOf(kind));
    }
    if (FocusRing::isShown(this))
        FocusRing::paint(painter, highlight_, radius);
}

}  // namespace moravel
