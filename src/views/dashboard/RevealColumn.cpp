#include "views/dashboard/RevealColumn.h"

#include "views/kit/IslandMotion.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QVariantAnimation>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace moravel {

RevealColumn::RevealColumn(QWidget* host, int steps)
    : QObject(host), host_(host), progress_(static_cast<size_t>(steps), 0.0)
{
    for (int step = 1; step <= steps; ++step) {
        auto* animation = new QVariantAnimation(this);
        animation->setDuration(revealMilliseconds);
        animation->setEasingCurve(IslandMotion::opening());
        connect(animation, &QVariantAnimation::valueChanged, this,
                [this, step](const QVariant& value) { setStepProgress(step, value.toDouble()); });
        animations_.push_back(animation);
    }
}

void RevealColumn::addRow(QWidget* widget, int step, bool slides)
{
    rows_.push_back(Row{widget, step, slides, {}, nullptr});
    applyLook(rows_.back());
}

void RevealColumn::addDivider(int step)
{
    rows_.push_back(Row{nullptr, step, false, {}, nullptr});
}

void RevealColumn::place(const QRect& content, const std::function<int(QWidget*)>& heightOf)
{
    int top = content.top();
    for (Row& row : rows_) {
        const int height = row.widget ? heightOf(row.widget) : 1;
        row.frame = QRect(content.left(), top, content.width(), height);
        top += height;
        applyLook(row);
    }
    host_->update();
}

double RevealColumn::stepProgress(int step) const
{
    return progress_.at(static_cast<size_t>(step - 1));
}

void RevealColumn::setPhase(int phase, bool animated)
{
    phase_ = phase;
    for (int step = 1; step <= static_cast<int>(animations_.size()); ++step) {
        QVariantAnimation* animation = animations_[static_cast<size_t>(step - 1)];
        const double target = phase >= step ? 1.0 : 0.0;
        const bool running = animation->state() == QAbstractAnimation::Running;
        if (running ? animation->endValue().toDouble() == target : stepProgress(step) == target)
            continue;
        animation->stop();
        if (!animated) {
            setStepProgress(step, target);
            continue;
        }
        animation->setStartValue(stepProgress(step));
        animation->setEndValue(target);
        animation->start();
    }
}

void RevealColumn::finish()
{
    for (int step = 1; step <= static_cast<int>(animations_.size()); ++step) {
        QVariantAnimation* animation = animations_[static_cast<size_t>(step - 1)];
        if (animation->state() != QAbstractAnimation::Running)
            continue;
        animation->stop();
        setStepProgress(step, animation->endValue().toDouble());
    }
}

void RevealColumn::setStepProgress(int step, double progress)
{
    progress_[static_cast<size_t>(step - 1)] = std::clamp(progress, 0.0, 1.0);
    for (Row& row : rows_) {
        if (row.step == step)
            applyLook(row);
    }
}

void RevealColumn::applyLook(Row& row)
{
    const double progress = stepProgress(row.step);
    if (!row.widget) {
        host_->update(row.frame);
        return;
    }
    const double slide = row.slides ? -px(slideDistance) * (1 - progress) : 0;
    row.widget->setGeometry(row.frame.translated(0, static_cast<int>(std::lround(slide))));
    row.widget->setVisible(progress > 0);
    const double opacity = progress * (dimmed_ && row.step > 1 ? dimmedOpacity : 1);
    // A fade costs an offscreen pass, so a row only has an effect while it
    // fades, or stays dimmed.
    const bool fading = opacity > 0 && opacity < 1;
    if (fading && !row.fade) {
        row.fade = new QGraphicsOpacityEffect(row.widget);
        row.widget->setGraphicsEffect(row.fade);
    } else if (!fading && row.fade) {
        row.widget->setGraphicsEffect(nullptr);  // deletes the effect
        row.fade = nullptr;
    }
    if (row.fade)
        row.fade->setOpacity(opacity);
}

void RevealColumn::setDimmed(bool dimmed)
{
    if (dimmed == dimmed_)
        return;
    dimmed_ = dimmed;
    for (Row& row : rows_)
        applyLook(row);
}

void RevealColumn::paintDividers(QPainter& painter) const
{
    for (const Row& row : rows_) {
        const double progress = stepProgress(row.step);
        if (!row.widget && progress > 0)
            painter.fillRect(row.frame, IslandPalette::withOpacity(IslandPalette::divider(), progress));
    }
}

}  // namespace moravel
