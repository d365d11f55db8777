#include "views/settings/SettingsButtons.h"

#include "views/kit/AccessibleParts.h"
#include "views/kit/FocusRing.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPainter>

namespace moravel {

namespace {

void prepareButton(QAbstractButton& button)
{
    // Reached with Tab, never focused by a click; Space presses it. Escape
    // still reaches the island, which watches every key press.
    button.setFocusPolicy(Qt::TabFocus);
    FocusRing::install();
    button.setCursor(Qt::PointingHandCursor);
    button.setAttribute(Qt::WA_TranslucentBackground);
}

// Pressed buttons dim a little, as plain buttons do.
QColor whilePressed(const QAbstractButton& button, const QColor& color)
{
    return button.isDown() ? IslandPalette::withOpacity(color, 0.7) : color;
}

// A push button, or a radio button while it is one of a row of choices.
class SettingsCapsuleAccessible final : public QAccessibleWidget {
public:
    explicit SettingsCapsuleAccessible(QWidget* capsule) : QAccessibleWidget(capsule, QAccessible::Button) {}

    QAccessible::Role role() const override
    {
        return capsule()->selected() ? QAccessible::RadioButton : QAccessible::Button;
    }
    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        return t == QAccessible::Name && own.isEmpty() ? capsule()->text() : own;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = capsule()->selected().has_value();
        state.checked = capsule()->selected().value_or(false);
        return state;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == pressAction() && capsule()->isEnabled())
            capsule()->click();
    }

private:
    SettingsCapsuleButton* capsule() const { return static_cast<SettingsCapsuleButton*>(widget()); }
};

}  // namespace

SettingsTextButton::SettingsTextButton(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
    : QAbstractButton(parent), color_(color), disabledColor_(IslandPalette::secondary())
{
    prepareButton(*this);
    setText(text);
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SettingsTextButton::setDisabledColor(const QColor& color)
{
    disabledColor_ = color;
    update();
}

QColor SettingsTextButton::textColor() const
{
    return isEnabled() ? color_ : disabledColor_;
}

QSize SettingsTextButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + pxInt(2), metrics.height()};
}

void SettingsTextButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(whilePressed(*this, textColor()));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
    if (FocusRing::isShown(this))
        FocusRing::paint(painter, QRectF(rect()), px(3));
}

SettingsCapsuleButton::SettingsCapsuleButton(const QString& text, int height, QWidget* parent)
    : QAbstractButton(parent), height_(height), textColor_(IslandPalette::primary()), fill_(IslandPalette::surface())
{
    IslandAccessibility::provide(staticMetaObject, [](QWidget* capsule) -> QAccessibleInterface* {
        return new SettingsCapsuleAccessible(capsule);
    });
    prepareButton(*this);
    setText(text);
    setFixedHeight(pxInt(height));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsCapsuleButton::setAppearance(const QFont& font, const QColor& textColor, const QColor& fill)
{
    setFont(font);
    textColor_ = textColor;
    fill_ = fill;
    update();
}

void SettingsCapsuleButton::setSelected(bool selected)
{
    if (selected_ == selected)
        return;
    selected_ = selected;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void SettingsCapsuleButton::setHorizontalPadding(int padding)
{
    horizontalPadding_ = padding;
    setSizePolicy(padding > 0 ? QSizePolicy::Fixed : QSizePolicy::Expanding, QSizePolicy::Fixed);
    updateGeometry();
}

QSize SettingsCapsuleButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * pxInt(horizontalPadding_), pxInt(height_)};
}

QSize SettingsCapsuleButton::minimumSizeHint() const
{
    return horizontalPadding_ > 0 ? sizeHint() : pxSize(height_, height_);
}

void SettingsCapsuleButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    const double radius = bounds.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(whilePressed(*this, fill_));
    painter.drawRoundedRect(bounds, radius, radius);

    painter.setFont(font());
    painter.setPen(whilePressed(*this, textColor_));
    painter.drawText(bounds, Qt::AlignCenter, text());
    if (FocusRing::isShown(this))
        FocusRing::paint(painter, bounds, radius);
}

}  // namespace moravel
