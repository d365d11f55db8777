#include "views/panel/IslandRootView.h"

#include "island/IslandState.h"
#include "monitor/SystemMonitor.h"
#include "views/collapsed/CollapsedIslandView.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/panel/IslandHardwareBackground.h"
#include "support/Scheduler.h"
#include "views/kit/IslandMotion.h"
#include "views/kit/IslandScale.h"

#include <QEasingCurve>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>
#include <vector>

namespace moravel {

namespace {

IslandRootView::LayerLook mix(IslandRootView::LayerLook from, IslandRootView::LayerLook to, double progress)
{
    return {from.opacity + (to.opacity - from.opacity) * progress, from.offset + (to.offset - from.offset) * progress};
}

// An opacity effect renders the layer through an extra buffer, so it is only
// switched on while the layer is not fully opaque.
void applyOpacity(QGraphicsOpacityEffect* effect, double opacity)
{
    effect->setOpacity(opacity);
    effect->setEnabled(opacity < 0.999);
}

}  // namespace

IslandRootView::LayerLook IslandRootView::collapsedLook(bool showsExpandedContent)
{
    return showsExpandedContent ? LayerLook{0, px(-6)} : LayerLook{1, 0};
}

IslandRootView::LayerLook IslandRootView::expandedLook(bool showsExpandedContent)
{
    return showsExpandedContent ? LayerLook{1, 0} : LayerLook{0, px(-10)};
}

IslandRootView::IslandRootView(Services services, QWidget* parent) : QWidget(parent), services_(services)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);

    background_ = new IslandHardwareBackground(this);
    background_->setAttribute(Qt::WA_TransparentForMouseEvents);
    collapsed_ = new CollapsedIslandView(services.monitor, services.state, services.scheduler, this);
    collapsedOpacity_ = new QGraphicsOpacityEffect(collapsed_);
    collapsed_->setGraphicsEffect(collapsedOpacity_);

    IslandState& state = services.state;
    const bool shows = state.showsExpandedContent();
    collapsedNow_ = collapsedLook(shows);
    expandedNow_ = expandedLook(shows);
    const auto geometry = state.displayGeometry();
    background_->setNotch(geometry.notchWidth, geometry.notchDepth);

    connect(&state, &IslandState::displayGeometryChanged, this, [this](const IslandDisplayGeometry& g) {
        background_->setNotch(g.notchWidth, g.notchDepth);
        placeLayers();
        shapeWindow(true);
        // Laid out anew at another size, after whatever click changed it has been handled.
        if (g.scale != builtAtScale_)
            services_.scheduler.runAfter(0, this, [this] { rebuildExpandedLayer(); });
    });
    connect(&state, &IslandState::isExpandedChanged, this, [this] { syncExpandedLayer(); });
    connect(&state, &IslandState::showsExpandedContentChanged, this, [this](bool showsContent) {
        syncExpandedLayer();
        animateLayers(showsContent);
    });
    syncExpandedLayer();
    applyLooks();
}

IslandRootView::~IslandRootView() = default;

ExpandedIslandView* IslandRootView::expandedLayer() const
{
    return expanded_.data();
}

void IslandRootView::syncExpandedLayer()
{
    IslandState& state = services_.state;
    const bool present = state.isExpanded() || state.showsExpandedContent();
    if (present && !expanded_) {
        // Each opening starts the dashboard afresh, invisible until the content is shown.
        expanded_ = new ExpandedIslandView(services_, this);
        builtAtScale_ = state.displayGeometry().scale;
        connect(expanded_, &ExpandedIslandView::preferredSizeChanged, this, [this] {
            placeLayers();
            emit expandedSizeChanged();
        });
        expandedOpacity_ = new QGraphicsOpacityEffect(expanded_);
        expanded_->setGraphicsEffect(expandedOpacity_);
        if (!fade_)
            expandedNow_ = expandedLook(state.showsExpandedContent());
        placeLayers();
        applyLooks();
        expanded_->show();
        background_->lower();
    } else if (!present && expanded_) {
        // Removed at once: its fade, if still running, is cut short here.
        delete expanded_;
        expandedOpacity_ = nullptr;
    }
}

void IslandRootView::rebuildExpandedLayer()
{
    if (!expanded_ || builtAtScale_ == services_.state.displayGeometry().scale)
        return;
    const bool settings = expanded_->showsSettings();
    delete expanded_;
    expandedOpacity_ = nullptr;
    syncExpandedLayer();
    if (expanded_ && settings)
        expanded_->openSettings();
    emit expandedSizeChanged();
}

void IslandRootView::animateLayers(bool showsExpandedContent)
{
    if (fade_)
        fade_->stop();
    const LayerLook collapsedFrom = collapsedNow_;
    const LayerLook expandedFrom = expandedNow_;
    const LayerLook collapsedTo = collapsedLook(showsExpandedContent);
    const LayerLook expandedTo = expandedLook(showsExpandedContent);

    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(showsExpandedContent ? IslandMotion::openingMilliseconds : IslandMotion::closingMilliseconds);
    animation->setEasingCurve(showsExpandedContent ? IslandMotion::opening() : IslandMotion::closing());
    connect(animation, &QVariantAnimation::valueChanged, this, [=, this](const QVariant& value) {
        const double progress = value.toDouble();
        collapsedNow_ = mix(collapsedFrom, collapsedTo, progress);
        expandedNow_ = mix(expandedFrom, expandedTo, progress);
        applyLooks();
    });
    fade_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);

    // Only the layer being shown takes the pointer, from the start of the change.
    collapsed_->setAttribute(Qt::WA_TransparentForMouseEvents, showsExpandedContent);
    if (expanded_)
        expanded_->setAttribute(Qt::WA_TransparentForMouseEvents, !showsExpandedContent);
}

void IslandRootView::finishTransitions()
{
    if (!fade_)
        return;
    fade_->setCurrentTime(fade_->duration());
    fade_->stop();
}

void IslandRootView::applyLooks()
{
    applyOpacity(collapsedOpacity_, collapsedNow_.opacity);
    if (expanded_)
        applyOpacity(expandedOpacity_, expandedNow_.opacity);
    placeLayers();
}

void IslandRootView::placeLayers()
{
    background_->setGeometry(rect());
    collapsed_->setGeometry(0, static_cast<int>(std::lround(collapsedNow_.offset)), width(), height());
    if (expanded_) {
        const QSize size = expanded_->sizeHint();
        expanded_->setGeometry((width() - size.width()) / 2, static_cast<int>(std::lround(expandedNow_.offset)),
                               size.width(), size.height());
        expanded_->setAttribute(Qt::WA_TransparentForMouseEvents, !services_.state.showsExpandedContent());
    }
    collapsed_->setAttribute(Qt::WA_TransparentForMouseEvents, services_.state.showsExpandedContent());
}

void IslandRootView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeLayers();
}

void IslandRootView::placeInWindow(const QRect& body)
{
    const bool resized = body.size() != size();
    setGeometry(body);
    shapeWindow(resized || body_.isEmpty());
}

QRegion IslandRootView::bodyRegion() const
{
    // The outline is filled as the background paints it, antialiased, and
    // every pixel it touches counts: each row of the body is one run.
    QImage coverage(size(), QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(IslandHardwareBackground::bodyPath(QRectF(rect()), background_->notchWidth(),
                                                            background_->notchDepth()),
                         Qt::black);
    }
    // Rows of equal runs (all but the corners) become one rectangle.
    std::vector<QRect> runs;
    for (int y = 0; y < coverage.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        int left = 0;
        while (left < coverage.width() && qAlpha(row[left]) == 0)
            ++left;
        int right = coverage.width() - 1;
        while (right >= left && qAlpha(row[right]) == 0)
            --right;
        if (left > right)
            continue;
        if (!runs.empty() && runs.back().bottom() == y - 1 && runs.back().left() == left &&
            runs.back().right() == right)
            runs.back().setBottom(y);
        else
            runs.emplace_back(QPoint(left, y), QPoint(right, y));
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

void IslandRootView::shapeWindow(bool outlineChanged)
{
    if (!parentWidget())
        return;
    if (outlineChanged)
        body_ = bodyRegion();
    window()->setMask(body_.translated(mapTo(window(), QPoint())));
}

}  // namespace moravel
