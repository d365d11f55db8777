#include "views/settings/SettingsStepper.h"

#include "views/kit/AccessibleParts.h"
#include "views/kit/FocusRing.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsStyle.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace moravel {

namespace {
constexpr int kEndWidth = 22;

// A spin button whose value is the text shown, with its unit.
class SettingsStepperAccessible final : public AccessibleWidgetWithParts {
public:
    explicit SettingsStepperAccessible(QWidget* stepper) : AccessibleWidgetWithParts(stepper, QAccessible::SpinBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<const SettingsStepper*>(widget())->valueText();
        return AccessibleWidgetWithParts::text(t);
    }
    QList<int> partKeys() const override { return {}; }
    AccessiblePart part(int) const override { return {}; }
};

}  // namespace

SettingsStepper::SettingsStepper(QWidget* parent) : QWidget(parent)
{
    IslandAccessibility::provide(staticMetaObject, [](QWidget* stepper) -> QAccessibleInterface* {
        return new SettingsStepperAccessible(stepper);
    });
    setFixedSize(pxSize(stepperWidth, stepperHeight));
    setFont(SettingsStyle::captionFont());
    // Reached with Tab, never focused by a click; Escape still reaches the
    // island, which watches every key press.
    setFocusPolicy(Qt::TabFocus);
    FocusRing::install();
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
    if (FocusRing::isShown(this))
        FocusRing::paint(painter, QRectF(rect()), height() / 2.0);
}

void SettingsStepper::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (lowerRect().contains(at))
        step(-1);
    else if (raiseRect().contains(at))
        step(1);
}

void SettingsStepper::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up: step(1); break;
    case Qt::Key_Down: step(-1); break;
    case Qt::Key_PageUp: step(pageSteps); break;
    case Qt::Key_PageDown: step(-pageSteps); break;
    default: QWidget::keyPressEvent(event); break;
    }
}

void SettingsStepper::step(int steps)
{
    if (steps < 0 ? canLower_ : canRaise_)
        emit stepped(steps);
}

}  // namespace moravel
