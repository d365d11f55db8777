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
constexpr double plainTopPadding = 22;
constexpr double belowNotch = 8;
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

QSizeF IslandDisplayGeometry::collapsedSize(const QList<MetricKind>& visibleKinds,
                                            const CollapsedMetricLayout::WidthOf& widthOf) const
{
    if (hasNotch()) {
        // Both sides take the width of the wider one, so the notch stays centred.
        const double side = CollapsedMetricLayout::widerSideWidth(visibleKinds, widthOf);
        return {notchWidth + (notchPadding + 2 * side + sidesPadding) * scale, notchDepth};
    }
    const double width = visibleKinds.isEmpty() ? 0 : CollapsedMetricLayout::rowWidth(visibleKinds, widthOf);
    return QSizeF(std::max(width + plainRowPadding, plainMinimumCollapsedWidth), plainCollapsedHeight) * scale;
}

double IslandDisplayGeometry::expandedTopPadding() const
{
    return hasNotch() ? notchDepth + belowNotch * scale : plainTopPadding * scale;
}

QSizeF IslandDisplayGeometry::expandedSize() const
{
    const double depthExcess = std::max(expandedTopPadding() - plainTopPadding * scale, 0.0);
    return {expandedWidth * scale, expandedHeight * scale + depthExcess};
}

QSizeF IslandDisplayGeometry::panelSize(bool expanded, const QList<MetricKind>& visibleKinds,
                                        const CollapsedMetricLayout::WidthOf& widthOf) const
{
    QSizeF size = expanded ? expandedSize() : collapsedSize(visibleKinds, widthOf);
    size.rwidth() += 2 * shoulderWidth();
    return size;
}

}  // namespace moravel
