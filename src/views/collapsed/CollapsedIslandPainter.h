#pragma once

#include "island/CollapsedMetricConfiguration.h"
#include "island/IslandDisplayGeometry.h"
#include "monitor/MetricTypes.h"
#include "views/collapsed/CollapsedIslandLayout.h"

#include <QFont>
#include <QRectF>

class QPainter;

namespace moravel {

// Everything the collapsed island is drawn from.
struct CollapsedContent {
    SystemSnapshot snapshot;
    QList<MetricKind> kinds;  // the visible kinds, in list order
    IslandDisplayGeometry geometry;
};

namespace CollapsedIslandPainter {

inline constexpr double baseFontSize = 9.5;
inline constexpr double powerLabelFontSize = 7.5;

// Semibold fixed-pitch text for every reading, so digits keep their width.
QFont baseFont();
// "SYS" / "BAT".
QFont powerLabelFont();
// The height of one line of readings.
double readingHeight();

CollapsedIslandLayout layout(const CollapsedContent& content, const QRectF& bounds);

// Draws the readings and separators into `bounds`; the body behind them is
// the root view's. Text too wide for its reading's frame is elided.
void paint(QPainter& painter, const QRectF& bounds, const CollapsedContent& content);

}  // namespace CollapsedIslandPainter

}  // namespace moravel
