#pragma once

#include "island/CollapsedMetricConfiguration.h"
#include "island/IslandDisplayGeometry.h"

#include <QList>
#include <QRectF>

#include <optional>

namespace moravel {

// Where each part of the collapsed island goes, in logical pixels. Every
// reading has a fixed frame, so its neighbours never move when values change;
// the widths add up to exactly what the display geometry gives the collapsed
// panel. The constants are points, drawn at the geometry's scale.
struct CollapsedIslandLayout {
    struct Reading {
        MetricKind kind = MetricKind::network;
        QRectF rect;
    };

    static constexpr double notchPadding = 14;
    static constexpr double compactPadding = 15;
    static constexpr double notchGapExtra = 18;
    static constexpr double readingSpacing = 8;
    static constexpr double separatorWidth = 1;
    static constexpr double separatorHeight = 12;

    // The collapsed content, top centre of the space offered.
    QRectF frame;
    // The transparent spacer over the camera; only on a screen with a notch.
    std::optional<QRectF> notchGap;
    QList<Reading> readings;
    QList<QRectF> separators;

    // Notched screen: the kinds split into a run left of the camera (hugging it
    // from the left) and a run right of it; otherwise one centred row.
    // `readingHeight` is the height of one line of readings.
    static CollapsedIslandLayout make(const IslandDisplayGeometry& geometry, const QList<MetricKind>& kinds,
                                      const CollapsedMetricLayout::WidthOf& widthOf, const QRectF& bounds,
                                      double readingHeight);

    std::optional<QRectF> readingRect(MetricKind kind) const;
};

}  // namespace moravel
