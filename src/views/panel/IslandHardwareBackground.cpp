#include "views/panel/IslandHardwareBackground.h"

#include "views/kit/IslandPalette.h"
#include "views/panel/NotchHardwareShape.h"

#include <QPainter>

namespace moravel {

namespace {
constexpr double kPlainCornerRadius = 12;
}

IslandHardwareBackground::IslandHardwareBackground(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void IslandHardwareBackground::setNotch(double notchWidth, double notchDepth)
{
    if (notchWidth == notchWidth_ && notchDepth == notchDepth_)
        return;
    notchWidth_ = notchWidth;
    notchDepth_ = notchDepth;
    update();
}

QPainterPath IslandHardwareBackground::bodyPath(const QRectF& rect, double notchWidth, double notchDepth)
{
    if (notchWidth > 0 && notchDepth > 0)
        return NotchHardwareShape::path(rect, NotchHardwareShape::radiusForNotchDepth(notchDepth));
    // Circular corners stand in for continuous ones; at 12 px the difference
    // is below a pixel.
    QPainterPath path;
    path.addRoundedRect(rect, kPlainCornerRadius, kPlainCornerRadius);
    return path;
}

void IslandHardwareBackground::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(bodyPath(QRectF(rect()), notchWidth_, notchDepth_), IslandPalette::background());
}

}  // namespace moravel
