#include "island/IslandDisplayGeometry.h"

#include "island/CollapsedMetricLayout.h"

#include <algorithm>

namespace moravel {

namespace {

constexpr double plainCollapsedHeight = 40;
constexpr double plainMinimumCollapsedWidth = 112;
constexpr double plainRowPadding = 30;
constexpr double notchPadding = 18;
constexpr double sidesPadding = 28;
constexpr double expandedWidth = 580;
constexpr double expandedHeight = 440;
constexpr double expandedDepthOffset = 8 - 22;
constexpr double shoulderDivisor = 3.8;
constexpr double shoulderMaximum = 10;

}  // namespace

IslandDisplayGeometry IslandDisplayGeometry::measure(const std::optional<ScreenDescription>& screen)
{
    if (!screen || !(screen->topInset > 0))
        return {};
    if (!screen->auxiliaryTopLeftArea || !screen->auxiliaryTopRightArea)
        return {};
    const double width = std::max(screen->auxiliaryTopRightArea->left() - screen->auxiliaryTopLeftArea->right(), 0.0);
    if (!(width > 0))
        return {};
    return {width, screen->topInset};
}

double IslandDisplayGeometry::shoulderWidth() const
{
    return hasNotch() ? std::min(notchDepth / shoulderDivisor, shoulderMaximum) : 0;
}

QSizeF IslandDisplayGeometry::collapsedSize(const QList<MetricKind>& visibleKinds) const
{
    if (hasNotch()) {
        // Both sides take the width of the wider one, so the notch stays centred.
        const double side = CollapsedMetricLayout::widerSideWidth(visibleKinds);
        return {notchWidth + notchPadding + 2 * side + sidesPadding, notchDepth};
    }
    if (visibleKinds.isEmpty())
        return {plainMinimumCollapsedWidth, plainCollapsedHeight};
    const double width = CollapsedMetricLayout::rowWidth(visibleKinds) + plainRowPadding;
    return {std::max(width, plainMinimumCollapsedWidth), plainCollapsedHeight};
}

QSizeF IslandDisplayGeometry::panelSize(bool expanded, const QList<MetricKind>& visibleKinds) const
{
    QSizeF size;
    if (expanded) {
        const double depthExcess = hasNotch() ? std::max(notchDepth + expandedDepthOffset, 0.0) : 0.0;
        size = {expandedWidth, expandedHeight + depthExcess};
    } else {
        size = collapsedSize(visibleKinds);
    }
    size.rwidth() += 2 * shoulderWidth();
    return size;
}

}  // namespace moravel
