#include "views/settings/SettingsStepper.h"

#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsStyle.h"

#include <QMouseEvent>
#include <QPainter>

namespace moravel {

namespace {
constexpr int kEndWidth = 22;
}

SettingsStepper::SettingsStepper(QWidget* parent) : QWidget(parent)
{
    setFixedSize(pxSize(stepperWidth, stepperHeight));
    setFont(SettingsStyle::captionFont());
    // Keyboard focus would take keys such as Escape away from the island.
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
}

void SettingsStepper::setValueText(const QString& text)
{
    if (text == valueText_)
        return;
    valueText_ = text;
    setAccessibleDescription(text);
    update();
}

void SettingsStepper::setLimits(bool canLower, bool canRaise)
{
    canLower_ = canLower;
    canRaise_ = canRaise;
    update();
}

QRect SettingsStepper::lowerRect() const
{
    return {0, 0, pxInt(kEndWidth), height()};
}

QRect SettingsStepper::raiseRect() const
{
    return {width() - pxInt(kEndWidth), 0, pxInt(kEndWidth), height()};
}

void SettingsStepper::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(SettingsStyle::disabledOpacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(IslandPalette::surface());
    painter.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);

    painter.setFont(font());
    painter.setPen(IslandPalette::primary());
    painter.drawText(rect().adjusted(pxInt(kEndWidth), 0, -pxInt(kEndWidth), 0), Qt::AlignCenter, valueText_);
    painter.setPen(canLower_ ? IslandPalette::mint() : IslandPalette::secondary());
    painter.drawText(lowerRect(), Qt::AlignCenter, QStringLiteral("\u2212"));
    painter.setPen(canRaise_ ? IslandPalette::mint() : IslandPalette::secondary());
    painter.drawText(raiseRect(), Qt::AlignCenter, QStringLiteral("+"));
}

void SettingsStepper::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (lowerRect().contains(at) && canLower_)
        emit stepped(-1);
    else if (raiseRect().contains(at) && canRaise_)
        emit stepped(1);
}

}  // namespace moravel
