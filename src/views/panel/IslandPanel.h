#pragma once

#include "island/IslandWindowMode.h"

#include <QWidget>

namespace moravel {

// The island's window: frameless, shadowless and translucent, above every
// other window on every workspace, out of the taskbar, pager and window
// switcher. It never takes focus by appearing or resizing; the controller
// gives it focus when it is clicked, so that Escape reaches Moravel. As a
// dock, the window manager keeps it so; unmanaged (override-redirect), no
// window manager places, frames or tiles it.
class IslandPanel final : public QWidget {
    Q_OBJECT

public:
    explicit IslandPanel(IslandWindowMode mode = IslandWindowMode::dock, QWidget* parent = nullptr);

    // Shows the panel without activating it.
    void orderFront();

    // What assistive technologies hear of the island as a whole, beside its
    // name "Moravel": the dashboard's verdict.
    void setVerdict(const QString& verdict) { verdict_ = verdict; }
    const QString& verdict() const { return verdict_; }

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setX11WindowProperties();

    IslandWindowMode mode_;
    QString verdict_;
};

}  // namespace moravel
