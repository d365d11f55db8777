#include "island/IslandPanelController.h"

#include "island/IslandPanel.h"
#include "views/IslandMotion.h"
#include "views/IslandRootView.h"

#include <QApplication>
#include <QEasingCurve>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace moravel {

namespace {

}  // namespace

IslandPanelController::IslandPanelController(Services services, std::unique_ptr<ScreenEnvironment> screens,
                                             std::optional<QString> islandExpandedEnvironment, QObject* parent)
    : QObject(parent), state_(services.defaults, services.scheduler, std::move(islandExpandedEnvironment)),
      screens_(std::move(screens)), panel_(std::make_unique<IslandPanel>())
{
    const QSizeF size = state_.displayGeometry().panelSize(state_.isExpanded(), state_.visibleCollapsedMetricKinds());
    panel_->resize(static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height())));

    auto* layout = new QVBoxLayout(panel_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    rootView_ = new IslandRootView(
        IslandRootView::Services{services.monitor, state_, services.updater, services.updateCheckCoordinator,
                                 services.scheduler, services.loginItem},
        panel_.get());
    layout->addWidget(rootView_);
    observeState();
}

IslandPanelController::~IslandPanelController()
{
    if (eventMonitorInstalled_ && qApp)
        qApp->removeEventFilter(this);
}

QRect IslandPanelController::frameFor(const QRect& screenFrame, const QSizeF& panelSize)
{
    // Centred on the screen (not on the notch), top edge on the screen's top edge.
    // X11 windows have whole-pixel sizes, so a fractional width is rounded up.
    const double midX = screenFrame.x() + screenFrame.width() / 2.0;
    const int x = static_cast<int>(std::round(midX - panelSize.width() * 0.5));
    return QRect(x, screenFrame.y(), static_cast<int>(std::ceil(panelSize.width())),
                 static_cast<int>(std::ceil(panelSize.height())));
}

void IslandPanelController::updateFrame(bool expanded, bool animated)
{
    const std::optional<PanelScreen> screen = preferredScreen(*screens_);
    if (!screen)
        return;
    const IslandDisplayGeometry geometry = IslandDisplayGeometry::measure(screen->description);
    if (geometry != state_.displayGeometry())
        state_.setDisplayGeometry(geometry);
    const QRect frame = frameFor(screen->frame, geometry.panelSize(expanded, state_.visibleCollapsedMetricKinds()));
    targetFrame_ = frame;
    if (!animated) {
        if (frameAnimation_)
            frameAnimation_->stop();
        panel_->setGeometry(frame);
        return;
    }
    animateTo(frame, expanded);
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
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return QObject::eventFilter(watched, event);
    // Any modifiers still count as Escape; the settings view keeps the key.
    if (state_.isInteractionPresented())
        return false;
    state_.setLockedOpen(false);
    state_.requestCollapse(true);
    return true;
}

}  // namespace moravel
