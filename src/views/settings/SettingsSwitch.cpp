#include "views/settings/SettingsSwitch.h"

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
}

}  // namespace moravel
