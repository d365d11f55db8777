#include "views/settings/SettingsSpinner.h"

#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>

namespace moravel {

namespace {
constexpr int kTurnMilliseconds = 900;
}

SettingsSpinner::SettingsSpinner(int side, QWidget* parent) : QWidget(parent), rotation_(new QVariantAnimation(this))
{
    setFixedSize(pxSize(side, side));
    setAttribute(Qt::WA_TranslucentBackground);
    rotation_->setStartValue(0.0);
    rotation_->setEndValue(360.0);
    rotation_->setDuration(kTurnMilliseconds);
    rotation_->setLoopCount(-1);
    connect(rotation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        angle_ = value.toDouble();
        update();
    });
}

bool SettingsSpinner::isSpinning() const
{
    return rotation_->state() == QAbstractAnimation::Running;
}

void SettingsSpinner::showEvent(QShowEvent*)
{
    rotation_->start();
}

void SettingsSpinner::hideEvent(QHideEvent*)
{
    rotation_->stop();
}

void SettingsSpinner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double pen = std::max(px(1.5), width() / 7.0);
    const QRectF ring = QRectF(rect()).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
    painter.setPen(QPen(IslandPalette::divider(), pen));
    painter.drawEllipse(ring);
    painter.setPen(QPen(IslandPalette::secondary(), pen, Qt::SolidLine, Qt::RoundCap));
    // Qt angles run counter-clockwise in sixteenths of a degree.
    painter.drawArc(ring, static_cast<int>(-angle_ * 16) + 90 * 16, -100 * 16);
}

}  // namespace moravel
