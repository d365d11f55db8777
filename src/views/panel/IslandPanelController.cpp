#include "views/panel/IslandPanelController.h"

#include "monitor/SystemMonitor.h"
#include "views/collapsed/CollapsedIslandPainter.h"
#include "views/dashboard/DashboardRules.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/kit/AccessibleAnnouncer.h"
#include "views/kit/IslandMotion.h"
#include "views/kit/IslandScale.h"
#include "views/kit/IslandToolTips.h"
#include "views/panel/IslandPanel.h"
#include "views/panel/IslandRootView.h"

#include <QApplication>
#include <QEasingCurve>
#include <QKeyEvent>
#include <QVariantAnimation>
#include <QWindow>

#include <cmath>

namespace moravel {

namespace {

// Long enough for the window manager to withdraw and show the island again.
constexpr double crossingSettleSeconds = 0.5;
// Long enough for the window manager to publish the work areas after a change.
constexpr double reservationSettleSeconds = 0.5;

}  // namespace

IslandPanelController::IslandPanelController(Services services, std::unique_ptr<ScreenEnvironment> screens,
                                             std::unique_ptr<WindowSystem> windows,
                                             std::optional<QString> islandExpandedEnvironment,
                                             IslandWindowMode mode, QObject* parent)
    : QObject(parent), state_(services.defaults, services.scheduler, std::move(islandExpandedEnvironment)),
      monitor_(services.monitor), screens_(std::move(screens)), windows_(std::move(windows)), mode_(mode),
      windowPolicy_(state_, *windows_, services.scheduler), hoverGate_(screens_->pointerPosition()),
      panel_(std::make_unique<IslandPanel>(mode)),
      toolTips_(std::make_unique<IslandToolTips>(services.scheduler)), scheduler_(services.scheduler)
{
    if (const std::optional<PanelScreen> screen = preferredScreen(*screens_)) {
        const QRect area = islandPlacementArea(screen->frame, screen->workArea, false);
        screenArea_ = area;
        const IslandDisplayGeometry geometry = fittedGeometry(*screen, area);
        IslandScale::setFactor(geometry.scale);
        state_.setDisplayGeometry(geometry);
    }
    const QSizeF size = panelSize(state_.isExpanded());
    const QSize whole(static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height())));
    rootView_ = new IslandRootView(
        IslandRootView::Services{services.monitor, state_, services.updater, services.updateCheckCoordinator,
                                 services.scheduler, services.loginItem, services.alerts, services.history,
                                 services.sourceSelector, [this] { return screenArea_; },
                                 [this](QWidget* window) { moveKeyboardTo(window); }},
        panel_.get());
    settle(QRect(panel_->pos(), whole));
    // Whatever else resizes the window (a window manager), the body fills it.
    connect(panel_.get(), &IslandPanel::resized, this, [this] {
        if (!isAnimatingFrame())
            rootView_->placeInWindow(panel_->rect());
    });
    followVerdict(services.monitor);
    observeState();
    // A screen, the primary one, or a panel changed: the island follows at once.
    screens_->setChangeHandler([this] { updateFrame(state_.isExpanded(), false); });
    connect(windows_.get(), &WindowSystem::reservationsChanged, this,
            [this] { updateFrame(state_.isExpanded(), false); });
    connect(&windowPolicy_, &IslandWindowPolicy::stepsAsideChanged, this, [this](bool stepsAside) {
        if (stepsAside)
            panel_->hide();
        else if (orderedFront_)
            panel_->orderFront();
    });
    connect(&windowPolicy_, &IslandWindowPolicy::keyboardReleased, this,
            [this] { crossingsIgnoredUntil_ = scheduler_.monotonicSeconds() + crossingSettleSeconds; });
    // Nothing keeps an unmanaged window above the others but Moravel.
    connect(windows_.get(), &WindowSystem::stackingChanged, this, [this] {
        if (mode_ == IslandWindowMode::unmanaged && panel_->isVisible())
            panel_->raise();
    });
}

IslandPanelController::~IslandPanelController()
{
    // The views may still change the snapshot while they go; the verdict no
    // longer follows it then.
    delete verdictAnnouncer_;
    if (eventMonitorInstalled_ && qApp)
        qApp->removeEventFilter(this);
}

void IslandPanelController::followVerdict(SystemMonitor& monitor)
{
    // Assistive technologies hear the verdict as the island's description, collapsed too.
    IslandPanel* panel = panel_.get();
    auto* announcer = verdictAnnouncer_ = new AccessibleAnnouncer(scheduler_, this);
    const auto tell = [panel, announcer, &monitor] {
        const QString verdict = headerStatus(monitor.snapshot(), monitor.machineName(), monitor.isSourceReachable());
        panel->setVerdict(verdict);
        announcer->update(panel, QAccessible::DescriptionChanged, verdict);
    };
    connect(&monitor, &SystemMonitor::snapshotChanged, announcer, tell);
    connect(&monitor, &SystemMonitor::sourceReachabilityChanged, announcer, tell);
    tell();
}

void IslandPanelController::orderFront()
{
    orderedFront_ = true;
    if (!windowPolicy_.stepsAside())
        panel_->orderFront();
}

void IslandPanelController::updateFrame(bool expanded, bool animated)
{
    if (const std::optional<PanelScreen> screen = preferredScreen(*screens_))
        placeOn(*screen, expanded, animated);
}

QSizeF IslandPanelController::panelSize(bool expanded) const
{
    const IslandDisplayGeometry& geometry = state_.displayGeometry();
    if (!expanded)
        return geometry.panelSize(false, state_.visibleCollapsedMetricKinds(),
                                  CollapsedIslandPainter::widthsFor(monitor_.snapshot()));
    QSizeF size = ExpandedIslandView::sizeFor(geometry, monitor_.snapshot());
    size.rwidth() += 2 * geometry.shoulderWidth();
    return size;
}

IslandDisplayGeometry IslandPanelController::fittedGeometry(const PanelScreen& screen, const QRect& area) const
{
    IslandDisplayGeometry geometry = IslandDisplayGeometry::measure(screen.description);
    geometry.scale = state_.sizePercent().value_or(defaultIslandSizePercent(screen.devicePixelRatio)) / 100.0;
    // A small logical screen (1280x720 at 200 %): the open island is drawn
    // smaller until it fits, with a little room to spare below it.
    const QSizeF room(area.width(), area.height() - 8);
    for (int attempt = 0; attempt < 3; ++attempt) {
        IslandScale::setFactor(geometry.scale);
        QSizeF open = ExpandedIslandView::sizeFor(geometry, monitor_.snapshot());
        open.rwidth() += 2 * geometry.shoulderWidth();
        const double fit = std::min(room.width() / open.width(), room.height() / open.height());
        if (fit >= 1)
            break;
        geometry.scale = std::floor(geometry.scale * fit * 100) / 100;
    }
    IslandScale::setFactor(state_.displayGeometry().scale);
    return geometry;
}

QRect IslandPanelController::workAreaOf(const PanelScreen& screen) const
{
    // Where the window system knows what the panels reserve, its own reckoning
    // counts: the toolkit's covers only a single screen.
    if (const std::optional<DesktopReservations> reservations = windows_->reservations())
        return monitorWorkArea(screen.frame, *reservations, reservedFrame_);
    return screen.workArea;
}

void IslandPanelController::reserveRoom(const std::optional<QRect>& collapsedFrame)
{
    // An unmanaged window's strut is not read by any window manager.
    const bool reserves = collapsedFrame && state_.keepsWindowsClear() && mode_ == IslandWindowMode::dock;
    const std::optional<QRect> frame = reserves ? collapsedFrame : std::nullopt;
    if (frame == reservedFrame_ || (frame && frame == pendingReservation_))
        return;
    reservationTask_.cancel();
    pendingReservation_.reset();
    // Only narrower or wider where it was: the room changes at once.
    if (frame && reservedFrame_ && frame->top() == reservedFrame_->top() && frame->intersects(*reservedFrame_))
        return publishReservation(frame);
    publishReservation(std::nullopt);
    if (!frame)
        return;
    // Elsewhere (another monitor, a panel added or gone): the work area is
    // read again without the island's own room before it is reserved there,
    // since a work area that ends below the island tells nothing of the
    // panels above it.
    pendingReservation_ = frame;
    reservationTask_.arm(scheduler_, reservationSettleSeconds, this, [this] {
        publishReservation(std::exchange(pendingReservation_, std::nullopt));
    });
}

void IslandPanelController::publishReservation(const std::optional<QRect>& frame)
{
    if (frame == reservedFrame_)
        return;
    reservedFrame_ = frame;
    windows_->setStrut(static_cast<WindowId>(panel_->winId()),
                       frame ? std::optional<Strut>(islandStrut(*frame)) : std::nullopt);
}

void IslandPanelController::placeOn(const PanelScreen& screen, bool expanded, bool animated)
{
    const IslandDisplayGeometry measured = IslandDisplayGeometry::measure(screen.description);
    const QRect workArea = workAreaOf(screen);
    const QRect area = islandPlacementArea(screen.frame, workArea, measured.hasNotch());
    screenArea_ = islandPlacementArea(screen.frame, workArea, false);
    const IslandDisplayGeometry geometry = fittedGeometry(screen, area);
    if (geometry != state_.displayGeometry()) {
        // The views lay out again at the new size as the geometry changes.
        IslandScale::setFactor(geometry.scale);
        state_.setDisplayGeometry(geometry);
    }
    windowPolicy_.setIslandScreen(screen.frame);
    const QRect frame = islandFrame(area, panelSize(expanded));
    // The open island floats over windows: only the collapsed one's room is kept.
    reserveRoom(expanded ? islandFrame(area, panelSize(false)) : frame);
    targetFrame_ = frame;
    collapsedSize_ = panelSize(false);
    if (!animated) {
        if (frameAnimation_)
            frameAnimation_->stop();
        settle(frame);
        return;
    }
    animateTo(frame, expanded);
}

bool IslandPanelController::isAnimatingFrame() const
{
    return frameAnimation_ && frameAnimation_->state() == QAbstractAnimation::Running;
}

void IslandPanelController::settle(const QRect& frame)
{
    panel_->setGeometry(frame);
    rootView_->placeInWindow(panel_->rect());
}

void IslandPanelController::animateTo(const QRect& frame, bool expanding)
{
    // A new animation starts from wherever the body has got to.
    if (frameAnimation_)
        frameAnimation_->stop();
    const QRect from = rootView_->geometry().translated(panel_->pos());
    // A window resized while a compositor shows it is seen black, square or
    // stretched until it is painted again: the window takes the room of both
    // shapes once, and the body (with the window's shape) changes inside it.
    const QRect room = from.united(frame);
    panel_->setGeometry(room);
    rootView_->placeInWindow(from.translated(-room.topLeft()));
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(from);
    animation->setEndValue(frame);
    animation->setDuration(expanding ? IslandMotion::openingMilliseconds : IslandMotion::closingMilliseconds);
    animation->setEasingCurve(expanding ? IslandMotion::opening() : IslandMotion::closing());
    IslandRootView* body = rootView_;
    connect(animation, &QVariantAnimation::valueChanged, body,
            [body, room](const QVariant& value) { body->placeInWindow(value.toRect().translated(-room.topLeft())); });
    connect(animation, &QVariantAnimation::finished, this, [this, frame] { settle(frame); });
    frameAnimation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void IslandPanelController::observeState()
{
    connect(&state_, &IslandState::isExpandedChanged, this,
            [this](bool expanded) { updateFrame(expanded, true); });
    // Every write counts, even of an equal list; while expanded the collapsed
    // size is only recomputed when the island next collapses.
    connect(&state_, &IslandState::collapsedMetricPreferencesChanged, this, [this] {
        if (!state_.isExpanded())
            updateFrame(false, true);
    });
    connect(&state_, &IslandState::sizePercentChanged, this, [this] { updateFrame(state_.isExpanded(), false); });
    // A reading that comes or goes (another machine's, the battery's) changes
    // the collapsed row's width; the dashboard of a processor with more
    // cores its height.
    connect(&monitor_, &SystemMonitor::snapshotChanged, this, [this] {
        if (!state_.isExpanded() && panelSize(false) != collapsedSize_)
            updateFrame(false, true);
    });
    connect(rootView_, &IslandRootView::expandedSizeChanged, this, [this] {
        if (state_.isExpanded())
            updateFrame(true, false);
    });
    connect(&state_, &IslandState::keepsWindowsClearChanged, this, [this] { updateFrame(state_.isExpanded(), false); });
    connect(&state_, &IslandState::isLockedOpenChanged, this, &IslandPanelController::pinnedChanged);
}

void IslandPanelController::installEventMonitor()
{
    if (eventMonitorInstalled_ || !qApp)
        return;
    qApp->installEventFilter(this);
    eventMonitorInstalled_ = true;
}

bool IslandPanelController::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            return handleEscape();
        break;
    case QEvent::MouseButtonPress: {
        // A press travels up from the widget under the pointer; the first one on the island's window counts.
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == panel_.get() && !panel_->isActiveWindow())
            takeFocus();
        break;
    }
    case QEvent::MouseMove: {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == panel_.get() && !ignoresCrossings())
            pointerMoved(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        break;
    }
    case QEvent::Enter:
        if (watched == panel_.get() && !ignoresCrossings()) {
            pointerOverBody_ = isOverBody(static_cast<QEnterEvent*>(event)->globalPosition().toPoint());
            if (pointerOverBody_)
                pointerCrossed(hoverGate_.entered());
        }
        break;
    case QEvent::Leave:
        if (watched == panel_.get() && !ignoresCrossings()) {
            pointerOverBody_ = false;
            pointerCrossed(hoverGate_.left());
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool IslandPanelController::ignoresCrossings() const
{
    return scheduler_.monotonicSeconds() < crossingsIgnoredUntil_;
}

bool IslandPanelController::isOverBody(QPoint globalPosition) const
{
    return panel_->mask().contains(panel_->mapFromGlobal(globalPosition));
}

void IslandPanelController::pointerMoved(QPoint globalPosition)
{
    // The window is larger than the body while it changes shape; the pointer
    // in the clear part of it is not over the island.
    const bool over = isOverBody(globalPosition);
    if (over)
        pointerCrossed(hoverGate_.moved(globalPosition));
    else if (pointerOverBody_)
        pointerCrossed(hoverGate_.left());
    pointerOverBody_ = over;
}

void IslandPanelController::pointerCrossed(std::optional<bool> inside)
{
    if (inside)
        state_.setPointerInside(*inside);
}

bool IslandPanelController::handleEscape()
{
    // Any modifiers still count as Escape; the settings view keeps the key.
    if (state_.isInteractionPresented())
        return false;
    state_.setLockedOpen(false);
    state_.requestCollapse(true);
    // The pointer may still be reported where it pressed on the island.
    hoverGate_.closedByKeyboard(screens_->pointerPosition());
    if (state_.isPointerInside())
        state_.setPointerInside(false);
    return true;
}

void IslandPanelController::takeFocus()
{
    // Hovering never takes the keyboard; a press does, so that Escape reaches
    // the island. Docks are not focused by clicks on most window managers: ask.
    // An unmanaged island grabs the keyboard while pinned instead.
    if (mode_ == IslandWindowMode::unmanaged)
        return;
    windowPolicy_.islandTakesFocus();
    windows_->takeKeyboard(static_cast<WindowId>(panel_->winId()));
}

void IslandPanelController::moveKeyboardTo(QWidget* window)
{
    if (mode_ != IslandWindowMode::unmanaged) {
        if (window == panel_.get())
            takeFocus();
        else if (window)
            windows_->takeKeyboard(static_cast<WindowId>(window->winId()));
        return;
    }
    // The pinned island's grab passes to the settings and back; the toolkit
    // sends keys to its grabbing widget, so the settings' grab is their
    // window's, leaving the keys to the focused control.
    if (!state_.isLockedOpen())
        return;
    if (!window || window == panel_.get()) {
        panel_->grabKeyboard();
        return;
    }
    panel_->releaseKeyboard();
    window->activateWindow();
    if (QWindow* handle = window->windowHandle())
        handle->setKeyboardGrabEnabled(true);
}

void IslandPanelController::pinnedChanged(bool pinned)
{
    if (mode_ == IslandWindowMode::unmanaged) {
        // The grab ends with the pin, and the keyboard is where it was.
        if (pinned)
            panel_->grabKeyboard();
        else
            panel_->releaseKeyboard();
        return;
    }
    // Pinned without a press (an alert opened it): the island takes the keyboard too.
    if (pinned && !windows_->moravelHasFocus())
        takeFocus();
}

}  // namespace moravel
