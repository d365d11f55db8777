#include "views/settings/SettingsSwitch.h"

#include "views/kit/AccessibleParts.h"
#include "views/kit/FocusRing.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsStyle.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace moravel {

namespace {
constexpr double kTrackWidth = 28;
constexpr double kTrackHeight = 16;
constexpr double kKnobInset = 2;
constexpr int kLabelSpacing = 10;

// A check box named by its label, ticked while on; its action toggles it.
class SettingsSwitchAccessible final : public QAccessibleWidget {
public:
    explicit SettingsSwitchAccessible(QWidget* toggle) : QAccessibleWidget(toggle, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        return t == QAccessible::Name && own.isEmpty() ? button()->text() : own;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }
    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString& action) override
    {
        if (action == toggleAction() && button()->isEnabled())
            button()->click();
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

}  // namespace

SettingsSwitch::SettingsSwitch(const QString& label, QWidget* parent) : QAbstractButton(parent)
{
    IslandAccessibility::provide(staticMetaObject, [](QWidget* toggle) -> QAccessibleInterface* {
        return new SettingsSwitchAccessible(toggle);
    });
    setText(label);
    setCheckable(true);
    setFont(SettingsStyle::toggleLabelFont());
    // Reached with Tab, never focused by a click; Space toggles it.
    setFocusPolicy(Qt::TabFocus);
    FocusRing::install();
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SettingsSwitch::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text()) + pxInt(kLabelSpacing + kTrackWidth);
    return {width, std::max(metrics.height(), pxInt(kTrackHeight + 2))};
}

QSize SettingsSwitch::minimumSizeHint() const
{
    return sizeHint();
}

QRectF SettingsSwitch::trackRect() const
{
    return {width() - px(kTrackWidth), (height() - px(kTrackHeight)) / 2, px(kTrackWidth), px(kTrackHeight)};
}

void SettingsSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(SettingsStyle::disabledOpacity);

    const QRectF track = trackRect();
    painter.setFont(font());
    painter.setPen(IslandPalette::primary());
    painter.drawText(QRectF(0, 0, track.left() - px(kLabelSpacing), height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());

    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? IslandPalette::mint() : QColor::fromRgbF(1, 1, 1, 0.16f));
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);

    const double inset = px(kKnobInset);
    const double knobSide = track.height() - 2 * inset;
    const double knobX = isChecked() ? track.right() - inset - knobSide : track.left() + inset;
    painter.setBrush(isDown() ? QColor(220, 220, 220) : QColor(Qt::white));
    painter.drawEllipse(QRectF(knobX, track.top() + inset, knobSide, knobSide));
    if (FocusRing::isShown(this))
        FocusRing::paint(painter, track, track.height() / 2);
}

}  // namespace moravel
