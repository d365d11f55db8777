#pragma once

#include <QWidget>

namespace moravel {

// The island's window: frameless and translucent, above every other window on
// every workspace, out of the taskbar, pager and window switcher. It never
// takes focus by appearing or resizing, only when clicked, so that Escape
// reaches Moravel after a click.
class IslandPanel final : public QWidget {
    Q_OBJECT

public:
    explicit IslandPanel(QWidget* parent = nullptr);

    // Shows the panel without activating it.
    void orderFront();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void setX11WindowProperties();
};

}  // namespace moravel
