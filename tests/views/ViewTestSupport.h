#pragma once

#include "monitor/SystemMonitor.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "testsupport/FakeSource.h"
#include "testsupport/Snapshots.h"
#include "testsupport/StubLoginItem.h"
#include "testsupport/StubUpdater.h"
#include "updates/UpdateCheckCoordinator.h"

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QRect>

class QWidget;

namespace moravel::testing {

// What the island's views work with: choices kept in memory, virtual time,
// an updater and a login item that touch nothing, and a monitor reading a
// fake source.
struct ViewServices {
    MemoryDefaultsStore defaults;
    VirtualScheduler scheduler;
    fixtures::StubUpdater updater;
    UpdateCheckCoordinator coordinator{scheduler};
    fixtures::StubLoginItem loginItem;
    std::shared_ptr<fixtures::FakeSource> telemetry = std::make_shared<fixtures::FakeSource>();
    SystemMonitor monitor{scheduler, telemetry};
};

// Renders a widget and its children into an image of its size, over the
// given backdrop (transparent by default; black as on the island).
QImage renderWidget(QWidget& widget, const QColor& backdrop = Qt::transparent);

// Counts pixels in `area` within `tolerance` per channel of `color`
// (compared unpremultiplied, opaque pixels only when the colour is opaque).
int countPixels(const QImage& image, const QColor& color, const QRect& area, int tolerance = 24);
int countPixels(const QImage& image, const QColor& color, int tolerance = 24);

// A left-button press, move or release at `position` in the widget's frame.
void sendMouse(QWidget& widget, QEvent::Type type, QPointF position);
// A left-button click: pressed at `press`, let go at `release`.
void click(QWidget& widget, QPointF press, QPointF release);
void click(QWidget& widget, QPointF at);
// The pointer moving, no button held, to `at` in the widget's frame: told to
// its window, as the window system tells it.
void hover(QWidget& widget, QPoint at);

}  // namespace moravel::testing
