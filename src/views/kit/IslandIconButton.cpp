#include "views/kit/IslandIconButton.h"

#include "views/kit/FocusRing.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/kit/SymbolIcons.h"

#include <QKeyEvent>
#include <QPainter>

namespace moravel {

namespace {
constexpr int kButtonSide = 24;
constexpr double kGlyphSize = 11;
}  // namespace

IslandIconButton::IslandIconButton(const QString& symbol, QWidget* parent) : QAbstractButton(parent), symbol_(symbol)
{
    setFixedSize(sizeHint());
    // Reached with Tab, never focused by a click.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::ArrowCursor);
    FocusRing::install();
}

void IslandIconButton::keyPressEvent(QKeyEvent* event)
{
    // Space presses it as for any button; Enter does too.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        click();
    else
        QAbstractButton::keyPressEvent(event);
}

void IslandIconButton::setSymbol(const QString& symbol)
{
    if (symbol == symbol_)
        return;
    symbol_ = symbol;
    update();
}

void IslandIconButton::setOn(bool on, double offAngle)
{
    if (on == on_ && offAngle == offAngle_)
        return;
    on_ = on;
    offAngle_ = offAngle;
    update();
}

QSize IslandIconButton::sizeHint() const
{
    return pxSize(kButtonSide, kButtonSide);
}

QRectF IslandIconButton::circleRect() const
{
    const QRectF frame(0, 0, px(kButtonSide), px(kButtonSide));
    QRectF circle = frame;
    circle.moveCenter(QRectF(rect()).center());
    return circle;
}

bool IslandIconButton::hitButton(const QPoint& pos) const
{
    const QRectF circle = circleRect();
    const QPointF offset = QPointF(pos) + QPointF(0.5, 0.5) - circle.center();
    const double radius = circle.width() / 2;
    return offset.x() * offset.x() + offset.y() * offset.y() <= radius * radius;
}

void IslandIconButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = circleRect();
    if (isDown() || on_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(on_ ? IslandPalette::withOpacity(IslandPalette::cyan(), isDown() ? 0.32 : 0.22)
                             : IslandPalette::surface());
        painter.drawEllipse(circle);
    }
    painter.save();
    if (!on_ && offAngle_ != 0) {
        painter.translate(circle.center());
        painter.rotate(offAngle_);
        painter.translate(-circle.center());
    }
    SymbolFont::shared().draw(painter, symbol_, circle, kGlyphSize,
                              on_ ? IslandPalette::cyan() : IslandPalette::secondary());
    painter.restore();
    if (FocusRing::isShown(this))
        FocusRing::paint(painter, circle, circle.width() / 2);
}

}  // namespace moravel
