#include "views/power/PowerFlowSection.h"

#include "views/kit/DashboardLayout.h"
#include "views/kit/FocusRing.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandMotion.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/kit/SymbolIcons.h"
#include "views/power/PowerFlowDiagram.h"
#include "views/power/PowerFlowRules.h"

#include <QEasingCurve>
#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

// Points, at the island's size factor.
constexpr double kSectionSpacing = 6;
constexpr double kHeaderSpacing = 6;
constexpr double kStatusFrame = 300;
constexpr double kChevronSize = TextSize::small;

// A stiff, nearly critically damped spring (response 0.3 s, damping 0.9)
// settles in about 0.3 s without visible overshoot; this curve follows it.
constexpr int kRevealMilliseconds = 300;
QEasingCurve revealCurve()
{
    return IslandMotion::bezier({0.25, 0.6}, {0.35, 1.0});
}

QFont titleFont()
{
    return Fonts::words(TextSize::emphasis, QFont::DemiBold);
}

QFont statusFont()
{
    return Fonts::words(TextSize::small, QFont::Medium);
}

}  // namespace

PowerFlowHeader::PowerFlowHeader(QWidget* parent) : QAbstractButton(parent)
{
    // Reached with Tab, never focused by a click.
    setFocusPolicy(Qt::TabFocus);
    FocusRing::install();
    setAccessibleName(QStringLiteral("Power flow"));
}

int PowerFlowHeader::headerHeight()
{
    const double line = std::max({QFontMetricsF(titleFont()).height(), QFontMetricsF(statusFont()).height(),
                                  static_cast<double>(symbolPixelSize(kChevronSize))});
    return static_cast<int>(std::ceil(line));
}

QSize PowerFlowHeader::sizeHint() const
{
    return {DashboardLayout::contentPixels(), headerHeight()};
}

void PowerFlowHeader::setStatus(const QString& status)
{
    if (status == status_)
        return;
    status_ = status;
    update();
}

void PowerFlowHeader::keyPressEvent(QKeyEvent* event)
{
    // Space presses it as for any button; Enter does too.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        click();
    else
        QAbstractButton::keyPressEvent(event);
}

void PowerFlowHeader::setExpanded(bool expanded)
{
    if (expanded == expanded_)
        return;
    expanded_ = expanded;
    update();
}

QString PowerFlowHeader::chevronSymbol() const
{
    return expanded_ ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right");
}

void PowerFlowHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double h = height();
    const QFont title = titleFont();
    const QFontMetricsF titleMetrics(title);
    const QString titleText = QStringLiteral("Power flow");
    const double titleWidth = titleMetrics.horizontalAdvance(titleText);
    painter.setFont(title);
    painter.setPen(IslandPalette::primary());
    painter.drawText(QRectF(0, 0, titleWidth + 1, h), Qt::AlignLeft | Qt::AlignVCenter, titleText);

    const double chevron = symbolPixelSize(kChevronSize);
    SymbolFont::shared().draw(painter, chevronSymbol(), QRectF(titleWidth + px(kHeaderSpacing), 0, chevron, h),
                              kChevronSize, IslandPalette::primary());

    // The sentence has the rest of the row after the title, up to its frame.
    const QFont status = statusFont();
    painter.setFont(status);
    painter.setPen(IslandPalette::secondary());
    const double frame = std::min(px(kStatusFrame), width() - (titleWidth + 2 * px(kHeaderSpacing) + chevron));
    painter.drawText(QRectF(width() - frame, 0, frame, h), Qt::AlignRight | Qt::AlignVCenter,
                     QFontMetricsF(status).elidedText(status_, Qt::ElideRight, frame));
    if (FocusRing::isShown(this))
        FocusRing::paint(painter, QRectF(0, 0, titleWidth + px(kHeaderSpacing) + chevron + px(2), h), px(4));
}

PowerFlowSection::PowerFlowSection(QWidget* parent)
    : QWidget(parent),
      header_(new PowerFlowHeader(this)),
      diagramClip_(new QWidget(this)),
      diagram_(new PowerFlowDiagram(diagramClip_)),
      animation_(new QVariantAnimation(this))
{
    animation_->setDuration(kRevealMilliseconds);
    animation_->setEasingCurve(revealCurve());
    connect(animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { applyProgress(value.toDouble()); });
    connect(header_, &QAbstractButton::clicked, this, &PowerFlowSection::toggled);
    setSnapshot(SystemSnapshot{});
    diagramClip_->hide();
    placeParts();
}

void PowerFlowSection::setSnapshot(const SystemSnapshot& snapshot)
{
    header_->setStatus(PowerFlow::powerStatus(snapshot));
    // A screen reader hears the diagram's figures in one sentence, on the
    // header too, so that they are there while the diagram is folded away.
    const QString spoken = PowerFlow::spokenFlow(snapshot);
    header_->setAccessibleDescription(spoken);
    diagram_->setAccessibleDescription(spoken);
    const int before = diagramHeight();
    diagram_->setContent(PowerFlow::diagram(snapshot));
    if (diagramHeight() != before) {
        placeParts();
        updateGeometry();
    }
}

bool PowerFlowSection::isAnimating() const
{
    return animation_->state() == QAbstractAnimation::Running;
}

void PowerFlowSection::finishTransition()
{
    if (!isAnimating())
        return;
    animation_->stop();
    applyProgress(showPowerFlow_ ? 1.0 : 0.0);
}

void PowerFlowSection::setShowPowerFlow(bool show, bool animated)
{
    if (show == showPowerFlow_)
        return;
    showPowerFlow_ = show;
    header_->setExpanded(show);
    animation_->stop();
    const double target = show ? 1.0 : 0.0;
    if (show) {
        diagramClip_->show();
        updateGeometry();
    }
    if (!animated) {
        applyProgress(target);
        return;
    }
    animation_->setStartValue(progress_);
    animation_->setEndValue(target);
    animation_->start();
}

int PowerFlowSection::diagramHeight() const
{
    return diagram_->sizeHint().height();
}

QSize PowerFlowSection::sizeHint() const
{
    // The diagram keeps its room until it has faded out completely.
    const bool diagramPresent = showPowerFlow_ || progress_ > 0;
    const int diagram = diagramPresent ? pxInt(kSectionSpacing) + diagramHeight() : 0;
    return {DashboardLayout::contentPixels(), PowerFlowHeader::headerHeight() + diagram};
}

int PowerFlowSection::openHeight()
{
    return PowerFlowHeader::headerHeight() + pxInt(kSectionSpacing) + PowerFlowDiagram::preferredHeight();
}

void PowerFlowSection::resizeEvent(QResizeEvent*)
{
    placeParts();
}

void PowerFlowSection::placeParts()
{
    const int headerHeight = PowerFlowHeader::headerHeight();
    header_->setGeometry(0, 0, width(), headerHeight);
    diagramClip_->setGeometry(0, headerHeight + pxInt(kSectionSpacing), width(), diagramHeight());
    applyProgress(progress_);
}

void PowerFlowSection::applyProgress(double progress)
{
    const bool wasPresent = progress_ > 0;
    progress_ = std::clamp(progress, 0.0, 1.0);
    const int h = diagramHeight();
    diagram_->setGeometry(0, static_cast<int>(std::lround(-(1.0 - progress_) * h)), diagramClip_->width(), h);

    // Drawing through an effect costs an offscreen pass; only pay it while
    // the diagram is fading.
    const bool fading = progress_ > 0 && progress_ < 1;
    if (fading && !fade_) {
        fade_ = new QGraphicsOpacityEffect(diagramClip_);
        diagramClip_->setGraphicsEffect(fade_);
    }
    if (fade_ && fading) {
        fade_->setOpacity(progress_);
    } else if (fade_) {
        diagramClip_->setGraphicsEffect(nullptr);
        fade_ = nullptr;
    }
    if (progress_ <= 0 && !showPowerFlow_) {
        diagramClip_->hide();
        if (wasPresent)
            updateGeometry();
    }
}

}  // namespace moravel
