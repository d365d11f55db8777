#pragma once

#include "monitor/MetricTypes.h"

#include <QColor>
#include <QImage>
#include <QRect>

class QWidget;

namespace moravel::testing {

// The widget tests share one offscreen application, created on first use.
void ensureViewApplication();

// Renders a widget and its children into an image of its size, over the
// given backdrop (transparent by default; black as on the island).
QImage renderWidget(QWidget& widget, const QColor& backdrop = Qt::transparent);

// Counts pixels in `area` within `tolerance` per channel of `color`
// (compared unpremultiplied, opaque pixels only when the colour is opaque).
int countPixels(const QImage& image, const QColor& color, const QRect& area, int tolerance = 24);
int countPixels(const QImage& image, const QColor& color, int tolerance = 24);

MetricSample sampleAt(const QDateTime& time, double cpu = 0, double memory = 0);

}  // namespace moravel::testing
