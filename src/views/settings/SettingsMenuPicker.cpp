#include "views/settings/SettingsMenuPicker.h"

#include "views/kit/FocusRing.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace moravel {

namespace {
constexpr int kHeight = 22;
constexpr int kArrowBoxWidth = 16;
constexpr int kTextInset = 8;
constexpr double kCornerRadius = 5;

QString menuStyleSheet()
{
    const QColor mint = IslandPalette::mint();
    return QStringLiteral("QAbstractItemView { background: #1e1e1e; color: #f2f2f2; border: 1px solid #3a3a3a;"
                          " outline: 0; selection-background-color: %1; selection-color: black; }")
        .arg(mint.name());
}
}  // namespace

SettingsMenuPicker::SettingsMenuPicker(QWidget* parent) : QComboBox(parent)
{
    setFont(Fonts::words(TextSize::emphasis, QFont::Medium));
    // Reached with Tab, never focused by a click; Space opens the menu and the
    // arrows choose, as in any combo box.
    setFocusPolicy(Qt::TabFocus);
    FocusRing::install();
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    view()->setStyleSheet(menuStyleSheet());
    view()->setFont(font());
}

QSize SettingsMenuPicker::sizeHint() const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int index = 0; index < count(); ++index)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(index)));
    return {widest + pxInt(kTextInset + 12 + kArrowBoxWidth + 3), pxInt(kHeight)};
}

void SettingsMenuPicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.4);

    const QRectF field = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(IslandPalette::divider(), 1));
    painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.1f));
    painter.drawRoundedRect(field, px(kCornerRadius), px(kCornerRadius));

    const QRectF arrowBox(width() - px(kArrowBoxWidth + 3), px(3), px(kArrowBoxWidth), height() - px(6));
    painter.setPen(Qt::NoPen);
    painter.setBrush(IslandPalette::mint());
    painter.drawRoundedRect(arrowBox, px(3.5), px(3.5));

    // Up and down chevrons: the menu opens around the chosen entry.
    const QPointF centre = arrowBox.center();
    const auto at = [&centre](double x, double y) { return centre + QPointF(px(x), px(y)); };
    QPainterPath chevrons;
    chevrons.moveTo(at(-3, -1.5));
    chevrons.lineTo(at(0, -4.5));
    chevrons.lineTo(at(3, -1.5));
    chevrons.moveTo(at(-3, 1.5));
    chevrons.lineTo(at(0, 4.5));
    chevrons.lineTo(at(3, 1.5));
    painter.setPen(QPen(IslandPalette::background(), px(1.4), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(chevrons);

    painter.setFont(font());
    painter.setPen(IslandPalette::primary());
    painter.drawText(QRectF(px(kTextInset), 0, arrowBox.left() - px(kTextInset + 4), height()),
                     Qt::AlignLeft | Qt::AlignVCenter, currentText());
    if (FocusRing::isShown(this))
        FocusRing::paint(painter, field, px(kCornerRadius));
}

}  // namespace moravel
