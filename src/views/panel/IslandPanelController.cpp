#include "views/panel/IslandPanelController.h"

#include "monitor/SystemMonitor.h"
#include "views/collapsed/CollapsedIslandPainter.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/kit/IslandMotion.h"
#include "views/kit/IslandScale.h"
#include "views/panel/IslandPanel.h"
#include "views/panel/IslandRootView.h"

#include <QApplication>
#include <QEasingCurve>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace moravel {

IslandPanelController::IslandPanelController(Services services, std::unique_ptr<ScreenEnvironment> screens,
                                             std::unique_ptr<WindowSystem> windows,
                                             std::optional<QString> islandExpandedEnvironment, QObject* parent)
    : QObject(parent), state_(services.defaults, services.scheduler, std::move(islandExpandedEnvironment)),
      monitor_(services.monitor), screens_(std::move(screens)), windows_(std::move(windows)),
      windowPolicy_(state_, *windows_), panel_(std::make_unique<IslandPanel>())
{
    if (const std::optional<PanelScreen> screen = preferredScreen(*screens_)) {
        const QRect area = islandPlacementArea(screen->frame, screen->workArea, false);
        const IslandDisplayGeometry geometry = fittedGeometry(*screen, area);
        IslandScale::setFactor(geometry.scale);
        state_.setDisplayGeometry(geometry);
    }
    const QSizeF size = panelSize(state_.isExpanded());
    panel_->resize(static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height())));

    auto* layout = new QVBoxLayout(panel_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    rootView_ = new IslandRootView(
        IslandRootView::Services{services.monitor, state_, services.updater, services.updateCheckCoordinator,
                                 services.scheduler, services.loginItem, services.alerts, services.history,
                                 services.sourceSelector},
        panel_.get());
    layout->addWidget(rootView_);
    observeState();
    screens_->setChangeHandler([this] { screensChanged(); });
    connect(&windowPolicy_, &IslandWindowPolicy::stepsAsideChanged, this, [this](bool stepsAside) {
        if (stepsAside)
            panel_->hide();
        else if (orderedFront_)
            panel_->orderFront();
    });
}

IslandPanelController::~IslandPanelController()
{
    if (eventMonitorInstalled_ && qApp)
        qApp->removeEventFilter(this);
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

void IslandPanelController::placeOn(const PanelScreen& screen, bool expanded, bool animated)
{
    const IslandDisplayGeometry measured = IslandDisplayGeometry::measure(screen.description);
    const QRect area = islandPlacementArea(screen.frame, screen.workArea, measured.hasNotch());
    const IslandDisplayGeometry geometry = fittedGeometry(screen, area);
    if (geometry != state_.displayGeometry()) {
        // The views lay out again at the new size as the geometry changes.
        IslandScale::setFactor(geometry.scale);
        state_.setDisplayGeometry(geometry);
    }
    windowPolicy_.setIslandScreen(screen.frame);
    const QRect frame = islandFrame(area, panelSize(expanded));
    targetFrame_ = frame;
    collapsedSize_ = panelSize(false);
    if (!animated) {
        if (frameAnimation_)
            frameAnimation_->stop();
        panel_->setGeometry(frame);
        return;
    }
    animateTo(frame, expanded);
}

void IslandPanelController::screensChanged()
{
    // A panel added, moved or resized: the island follows on the screen it
    // is on, without moving to the one under the pointer.
    const QList<PanelScreen> screens = screens_->screens();
    for (const PanelScreen& screen : screens) {
        if (screen.frame.contains(targetFrame_.center()))
            return placeOn(screen, state_.isExpanded(), false);
    }
    updateFrame(state_.isExpanded(), false);
}

bool IslandPanelController::isAnimatingFrame() const
{
    return frameAnimation_ && frameAnimation_->state() == QAbstractAnimation::Running;
}

void IslandPanelController::animateTo(const QRect& frame, bool expanding)
{
    // A new animation starts from wherever the panel has got to.
    if (frameAnimation_)
        frameAnimation_->stop();
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(panel_->geometry());
    animation->setEndValue(frame);
    animation->setDuration(expanding ? IslandMotion::openingMilliseconds : IslandMotion::closingMilliseconds);
    animation->setEasingCurve(expanding ? IslandMotion::opening() : IslandMotion::closing());
    IslandPanel* panel = panel_.get();
    connect(animation, &QVariantAnimation::valueChanged, panel,
            [panel](const QVariant& value) { panel->setGeometry(value.toRect()); });
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
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        return handleEscape();
    // A press travels up from the widget under the pointer; the first one on the island's window counts.
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == panel_.get() && !panel_->isActiveWindow())
            takeFocus();
    }
    return QObject::eventFilter(watched, event);
}

bool IslandPanelController::handleEscape()
{
    // Any modifiers still count as Escape; the settings view keeps the key.
    if (state_.isInteractionPresented())
        return false;
    state_.setLockedOpen(false);
    state_.requestCollapse(true);
    return true;
}

void IslandPanelController::takeFocus()
{
    // Hovering never takes the keyboard; a press does, so that Escape reaches
    // the island. Docks are not focused by clicks on most window managers: ask.
    windowPolicy_.islandTakesFocus();
    panel_->activateWindow();
}

}  // namespace moravel
