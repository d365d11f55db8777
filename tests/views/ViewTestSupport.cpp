#include "ViewTestSupport.h"

#include "testsupport/Application.h"
#include "views/collapsed/CollapsedIslandPainter.h"
#include "views/kit/IslandPalette.h"
#include "views/settings/SettingsButtons.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

namespace moravel::testing {

namespace {
// Every widget test runs in the one offscreen application.
class ViewApplication final : public ::testing::Environment {
public:
    void SetUp() override { fixtures::ensureApplication<QApplication>(); }
};
[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new ViewApplication);
}  // namespace

QImage renderWidget(QWidget& widget, const QColor& backdrop)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(backdrop);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QImage renderCollapsed(const CollapsedContent& content, const QRectF& bounds)
{
    QImage image(bounds.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    CollapsedIslandPainter::paint(painter, bounds, content);
    return image;
}

int countPixels(const QImage& image, const QColor& color, const QRect& area, int tolerance)
{
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    const QRect bounded = area.intersected(plain.rect());
    int count = 0;
    for (int y = bounded.top(); y <= bounded.bottom(); ++y) {
        for (int x = bounded.left(); x <= bounded.right(); ++x) {
            const QColor pixel = plain.pixelColor(x, y);
            if (std::abs(pixel.red() - color.red()) <= tolerance &&
                std::abs(pixel.green() - color.green()) <= tolerance &&
                std::abs(pixel.blue() - color.blue()) <= tolerance &&
                (color.alpha() < 255 || pixel.alpha() == 255))
                ++count;
        }
    }
    return count;
}

int countPixels(const QImage& image, const QColor& color, int tolerance)
{
    return countPixels(image, color, image.rect(), tolerance);
}

void sendMouse(QWidget& widget, QEvent::Type type, QPointF position)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, position, widget.mapToGlobal(position), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void click(QWidget& widget, QPointF press, QPointF release)
{
    sendMouse(widget, QEvent::MouseButtonPress, press);
    sendMouse(widget, QEvent::MouseButtonRelease, release);
}

void click(QWidget& widget, QPointF at)
{
    click(widget, at, at);
}

void hover(QWidget& widget, QPoint at)
{
    QWidget& window = *widget.window();
    window.winId();
    const QPoint inWindow = widget.mapTo(&window, at);
    QMouseEvent event(QEvent::MouseMove, inWindow, inWindow, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(window.windowHandle(), &event);
}

void pressKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&widget, &event);
}

void typeKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers)
{
    pressKey(widget, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(&widget, &release);
}

bool showsSelectedChoice(QWidget& chip)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&chip);
    const bool read = accessible && accessible->role() == QAccessible::RadioButton && accessible->state().checked;
    const bool drawn = static_cast<SettingsCapsuleButton&>(chip).fill() == IslandPalette::mint();
    EXPECT_EQ(read, drawn) << chip.objectName().toStdString();
    return read && drawn;
}

QStringList selectedChoices(const QWidget& parent, const QStringList& names)
{
    QStringList selected;
    for (const QString& name : names) {
        auto* chip = parent.findChild<SettingsCapsuleButton*>(name);
        EXPECT_NE(chip, nullptr) << name.toStdString();
        if (chip && showsSelectedChoice(*chip))
            selected.append(name);
    }
    return selected;
}

}  // namespace moravel::testing
