#pragma once

#include <QPoint>
#include <QWidget>

namespace moravel {

// Under XWayland a press on the bare desktop reaches no X11 client, so the
// pointer watch never sees it. While the settings are open there, this
// invisible window of the desktop type lies over the desktop's background,
// below every window (the window manager keeps it there), and reports a
// press on it. It never takes the keyboard, which stays with the island.
class DesktopClickCatcher final : public QWidget {
    Q_OBJECT

public:
    // Whether presses on the desktop go unseen: X11 through XWayland.
    static bool isNeeded();

    explicit DesktopClickCatcher(QWidget* parent = nullptr);

signals:
    void pressed(const QPoint& globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace moravel
