#pragma once

#include "island/IslandPanelScreens.h"
#include "island/IslandState.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>
#include <optional>

class QVariantAnimation;

namespace moravel {

class DefaultsStore;
class IslandPanel;
class IslandRootView;
class LoginItem;
class Scheduler;
class SystemMonitor;
class UpdateCheckCoordinator;
class Updater;

// Owns the island's state and its window: keeps the panel centred on the top
// edge of the screen under the pointer, animates its size as the island opens
// and closes, and closes it on Escape.
class IslandPanelController final : public QObject {
    Q_OBJECT

public:
    struct Services {
        SystemMonitor& monitor;
        Updater& updater;
        UpdateCheckCoordinator& updateCheckCoordinator;
        DefaultsStore& defaults;
        Scheduler& scheduler;
        LoginItem& loginItem;
    };

    IslandPanelController(Services services, std::unique_ptr<ScreenEnvironment> screens,
                          std::optional<QString> islandExpandedEnvironment, QObject* parent = nullptr);
    ~IslandPanelController() override;

    IslandState& state() { return state_; }
    IslandPanel& panel() { return *panel_; }

    // Places the panel for a state: at once, or with the opening or closing animation.
    void updateFrame(bool expanded, bool animated);
    // Where the panel is, or is animating to.
    QRect targetFrame() const { return targetFrame_; }
    bool isAnimatingFrame() const;
    // Escape closes and unpins the island, unless an interaction is presented.
    void installEventMonitor();

    // The frame the panel is placed at (or animating to) for a screen.
    static QRect frameFor(const QRect& screenFrame, const QSizeF& panelSize);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void observeState();
    void animateTo(const QRect& frame, bool expanding);

    IslandState state_;
    std::unique_ptr<ScreenEnvironment> screens_;
    std::unique_ptr<IslandPanel> panel_;
    IslandRootView* rootView_ = nullptr;
    QPointer<QVariantAnimation> frameAnimation_;
    QRect targetFrame_;
    bool eventMonitorInstalled_ = false;
};

}  // namespace moravel
