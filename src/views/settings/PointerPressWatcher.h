#pragma once

#include <QObject>
#include <QPoint>

#include <memory>

namespace moravel {

// While it exists, reports every press of a pointer button anywhere on the
// desktop (X11: XInput 2 raw events on the root window) without taking the
// press from the window it is meant for. Elsewhere it reports nothing.
class PointerPressWatcher final : public QObject {
    Q_OBJECT

public:
    explicit PointerPressWatcher(QObject* parent = nullptr);
    ~PointerPressWatcher() override;

signals:
    // A press of the left, middle or right button; the pointer's position then.
    void pressed(const QPoint& globalPosition);

private:
    class X11Listener;
    std::unique_ptr<X11Listener> listener_;
};

}  // namespace moravel
