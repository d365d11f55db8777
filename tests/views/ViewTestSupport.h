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
#include <QStringList>

#include <gtest/gtest.h>

#include <string>

class QWidget;

namespace moravel {
struct CollapsedContent;
}

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

    // A battery at `percent`, on the adapter or not, told to the monitor.
    void putOnBattery(int64_t percent, bool onAdapter)
    {
        BatteryRegistry registry;
        registry.currentCapacity = percent;
        registry.externalConnected = onAdapter;
        telemetry->battery = registry;
        monitor.powerSourceDidChange();
    }
};

// Renders a widget and its children into an image of its size, over the
// given backdrop (transparent by default; black as on the island).
QImage renderWidget(QWidget& widget, const QColor& backdrop = Qt::transparent);
// The collapsed island's content painted in `bounds` over its black body.
QImage renderCollapsed(const CollapsedContent& content, const QRectF& bounds);

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
// A key pressed on `widget`; typed: pressed and let go (a button acts on the release of Space).
void pressKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void typeKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// A gallery scene's name as a test's name.
template <typename Scene>
std::string sceneName(const ::testing::TestParamInfo<Scene>& info)
{
    return QString(info.param.name).replace(QLatin1Char('-'), QLatin1Char('_')).toStdString();
}

// Shown selected (filled in mint) and read so: a checked radio button.
bool showsSelectedChoice(QWidget& chip);
// Of the chips under `parent` with these object names, those shown selected.
QStringList selectedChoices(const QWidget& parent, const QStringList& names);

}  // namespace moravel::testing
