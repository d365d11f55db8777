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

// Semibold fixed-pitch figures for every reading, so digits keep their width.
QFont baseFont();
// "SYS" / "BAT".
QFont powerLabelFont();
// The height of one line of readings.
double readingHeight();

// How wide each reading is drawn for the snapshot: a reading that shows only
// a dash takes less room than one that shows figures.
CollapsedMetricLayout::WidthOf widthsFor(const SystemSnapshot& snapshot);
// Whether a frame `width` points wide shows the reading's figures whole, at
// their size or set a little smaller, with nothing cut: the width the reading
// table reserves must, for the widest figures the reading can show.
bool showsWhole(MetricKind kind, const SystemSnapshot& snapshot, double width);
CollapsedIslandLayout layout(const CollapsedContent& content, const QRectF& bounds);

// Draws the readings and separators into `bounds`; the body behind them is
// the root view's. A reading never loses its unit: where the desktop's font
// runs wider than its frame, its text is set a little smaller to fit.
void paint(QPainter& painter, const QRectF& bounds, const CollapsedContent& content);

}  // namespace CollapsedIslandPainter

}  // namespace moravel
