#include "views/kit/FocusRing.h"

#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

namespace moravel::FocusRing {

namespace {

constexpr double kWidth = 1.5;

bool keyboardMoved = false;

QWidget* keyboardWidget()
{
    if (QWidget* grabber = QWidget::keyboardGrabber())
        return grabber->window()->focusWidget() ? grabber->window()->focusWidget() : grabber;
    return QApplication::focusWidget();
}

void setKeyboardMoved(bool moved)
{
    if (moved == keyboardMoved)
        return;
    keyboardMoved = moved;
    if (QWidget* widget = keyboardWidget())
        widget->update();
}

bool movesFocus(int key)
{
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

// Sees every key and press of the application before its widgets do.
class Watcher final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && movesFocus(static_cast<QKeyEvent*>(event)->key()))
            setKeyboardMoved(true);
        else if (event->type() == QEvent::MouseButtonPress)
            setKeyboardMoved(false);
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void install()
{
    static Watcher* watcher = [] {
        auto* w = new Watcher(qApp);
        qApp->installEventFilter(w);
        return w;
    }();
    Q_UNUSED(watcher);
}

void showForKeyboard()
{
    setKeyboardMoved(true);
}

bool hasKeyboard(const QWidget* widget)
{
    if (widget->hasFocus())
        return true;
    const QWidget* grabber = QWidget::keyboardGrabber();
    return grabber && grabber->window() == widget->window() && widget->window()->focusWidget() == widget;
}

bool isShown(const QWidget* widget)
{
    return keyboardMoved && hasKeyboard(widget);
}

void paint(QPainter& painter, const QRectF& rect, double radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const double width = px(kWidth);
    painter.setPen(QPen(IslandPalette::cyan(), width));
    const double inset = width / 2;
    painter.drawRoundedRect(rect.adjusted(inset, inset, -inset, -inset), radius, radius);
    painter.restore();
}

}  // namespace moravel::FocusRing
