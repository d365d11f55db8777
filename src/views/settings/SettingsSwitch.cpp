#include "views/settings/SettingsSwitch.h"

#include "views/kit/IslandPalette.h"
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
}  // namespace

SettingsSwitch::SettingsSwitch(const QString& label, QWidget* parent) : QAbstractButton(parent)
{
    setText(label);
    setCheckable(true);
    setFont(SettingsStyle::toggleLabelFont());
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SettingsSwitch::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text()) + kLabelSpacing + static_cast<int>(kTrackWidth);
    return {width, std::max(metrics.height(), static_cast<int>(kTrackHeight) + 2)};
}

QSize SettingsSwitch::minimumSizeHint() const
{
    return sizeHint();
}

QRectF SettingsSwitch::trackRect() const
{
    return {width() - kTrackWidth, (height() - kTrackHeight) / 2, kTrackWidth, kTrackHeight};
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
    painter.drawText(QRectF(0, 0, track.left() - kLabelSpacing, height()), Qt::AlignLeft | Qt::AlignVCenter, text());

    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? IslandPalette::mint() : QColor::fromRgbF(1, 1, 1, 0.16f));
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);

    const double knobSide = track.height() - 2 * kKnobInset;
    const double knobX = isChecked() ? track.right() - kKnobInset - knobSide : track.left() + kKnobInset;
    painter.setBrush(isDown() ? QColor(220, 220, 220) : QColor(Qt::white));
    painter.drawEllipse(QRectF(knobX, track.top() + kKnobInset, knobSide, knobSide));
}

}  // namespace moravel
