#pragma once

#include "views/panel/IslandPanelScreens.h"
#include "island/HoverGate.h"
#include "island/IslandState.h"
#include "island/IslandWindowMode.h"
#include "island/IslandWindowPolicy.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>
#include <optional>

class QVariantAnimation;

namespace moravel {

class AccessibleAnnouncer;

class AlertCenter;
class DefaultsStore;
class HistoryRecorder;
class IslandPanel;
class IslandToolTips;
class IslandRootView;
class LoginItem;
class Scheduler;
class SourceSelector;
class SystemMonitor;
class UpdateCheckCoordinator;
class Updater;

// Owns the island's state and its window: keeps the panel centred at the top
// of the primary screen's work area (below any top panel, unless it is drawn
// around a notch), reserves the collapsed island's room so that maximised
// windows start below it, animates its size as the island opens and closes,
// closes it on Escape, and hides it while a fullscreen window is active there.
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
        AlertCenter* alerts = nullptr;
        HistoryRecorder* history = nullptr;
        SourceSelector* sourceSelector = nullptr;
    };

    IslandPanelController(Services services, std::unique_ptr<ScreenEnvironment> screens,
                          std::unique_ptr<WindowSystem> windows, std::optional<QString> islandExpandedEnvironment,
                          IslandWindowMode mode = IslandWindowMode::dock, QObject* parent = nullptr);
    ~IslandPanelController() override;

    IslandState& state() { return state_; }
    IslandPanel& panel() { return *panel_; }

    // Shows the panel without activating it, unless a fullscreen window keeps it aside.
    void orderFront();

    // Places the panel for a state: at once, or with the opening or closing animation.
    void updateFrame(bool expanded, bool animated);
    // Where the panel is, or is animating to.
    QRect targetFrame() const { return targetFrame_; }
    // The collapsed frame whose room the island reserves, while it does.
    std::optional<QRect> reservedFrame() const { return reservedFrame_; }
    bool isAnimatingFrame() const;
    // Escape closes and unpins the island, unless an interaction is presented;
    // a press on the island gives it the keyboard; the pointer entering,
    // moving over and leaving the island count for hovering.
    void installEventMonitor();

    // Gives the island the keyboard, as a press on it does: for an island
    // opened from a keyboard shortcut.
    void takeKeyboard() { takeFocus(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followVerdict(SystemMonitor& monitor);
    void observeState();
    void placeOn(const PanelScreen& screen, bool expanded, bool animated);
    // The panel's size in either state, for the state's geometry.
    QSizeF panelSize(bool expanded) const;
    // The screen's geometry at the island's size: the one chosen, or the
    // screen's default, made smaller where the open island would not fit
    // the area it hangs in.
    IslandDisplayGeometry fittedGeometry(const PanelScreen& screen, const QRect& area) const;
    QRect workAreaOf(const PanelScreen& screen) const;
    void reserveRoom(const std::optional<QRect>& collapsedFrame);
    void publishReservation(const std::optional<QRect>& frame);
    // Puts the window at `frame`, the body filling it.
    void settle(const QRect& frame);
    void animateTo(const QRect& frame, bool expanding);
    bool handleEscape();
    void takeFocus();
    void pinnedChanged(bool pinned);
    void pointerCrossed(std::optional<bool> inside);
    void pointerMoved(QPoint globalPosition);
    bool isOverBody(QPoint globalPosition) const;
    bool ignoresCrossings() const;

    IslandState state_;
    SystemMonitor& monitor_;
    std::unique_ptr<ScreenEnvironment> screens_;
    std::unique_ptr<WindowSystem> windows_;
    IslandWindowMode mode_;
    IslandWindowPolicy windowPolicy_;
    HoverGate hoverGate_;
    std::unique_ptr<IslandPanel> panel_;
    std::unique_ptr<IslandToolTips> toolTips_;
    AccessibleAnnouncer* verdictAnnouncer_ = nullptr;
    IslandRootView* rootView_ = nullptr;
    QPointer<QVariantAnimation> frameAnimation_;
    QRect targetFrame_;
    // The work area of the island's screen, for the windows it opens.
    QRect screenArea_;
    QSizeF collapsedSize_;
    std::optional<QRect> reservedFrame_;
    std::optional<QRect> pendingReservation_;
    TaskSlot reservationTask_;
    Scheduler& scheduler_;
    // Letting go of the keyboard withdraws the island and shows it again,
    // which brings crossings and, under XWayland, a motion of a pointer that
    // has not moved: until then they do not count for hovering.
    double crossingsIgnoredUntil_ = 0;
    // The pointer was last seen over the body, not only over the window.
    bool pointerOverBody_ = false;
    bool eventMonitorInstalled_ = false;
    bool orderedFront_ = false;
};

}  // namespace moravel
