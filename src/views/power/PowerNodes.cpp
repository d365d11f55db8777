#include "views/power/PowerNodes.h"

#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/power/PowerBranchShape.h"
#include "views/kit/SymbolIcons.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

// Points, at the island's size factor.
constexpr double kSpacing = 5;
constexpr double kNodeIconFrame = 22;
constexpr double kNodeIconSize = 16;
constexpr double kNodeLineSpacing = 1;
constexpr double kDestinationIconFrame = 14;
constexpr double kDestinationIconSize = TextSize::small;
constexpr double kConnectorWidth = 28;
constexpr double kDestinationSpacing = 3;

QFont nodeValueFont()
{
    return Fonts::figures(TextSize::body, QFont::DemiBold);
}

QFont destinationValueFont()
{
    return Fonts::figures(TextSize::small, QFont::DemiBold);
}

QFont captionFont()
{
    return Fonts::words(TextSize::caption);
}

int ceilToInt(double value)
{
    return static_cast<int>(std::ceil(value - 1e-9));
}

}  // namespace

PowerContentView::PowerContentView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PowerContentView::setContent(const PowerNodeContent& content)
{
    if (content == content_)
        return;
    const bool resized = content.value != content_.value || content.label != content_.label;
    content_ = content;
    if (resized)
        updateGeometry();
    update();
}

int PowerNode::rowHeight()
{
    const double text =
        QFontMetricsF(nodeValueFont()).height() + px(kNodeLineSpacing) + QFontMetricsF(captionFont()).height();
    return ceilToInt(std::max<double>(text, symbolPixelSize(kNodeIconSize)));
}

QSize PowerNode::sizeHint() const
{
    const QFontMetricsF value(nodeValueFont());
    const QFontMetricsF caption(captionFont());
    const double textWidth = std::max(value.horizontalAdvance(content_.value), caption.horizontalAdvance(content_.label));
    return {ceilToInt(px(kNodeIconFrame + kSpacing) + textWidth), rowHeight()};
}

void PowerNode::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    SymbolFont::shared().draw(painter, content_.icon, QRectF(0, 0, px(kNodeIconFrame), bounds.height()),
                              kNodeIconSize, content_.color);

    const QFontMetricsF value(nodeValueFont());
    const QFontMetricsF caption(captionFont());
    const double stack = value.height() + px(kNodeLineSpacing) + caption.height();
    const double left = px(kNodeIconFrame + kSpacing);
    const double top = (bounds.height() - stack) / 2;
    const double width = std::max(0.0, bounds.width() - left);
    painter.setFont(nodeValueFont());
    painter.setPen(content_.color);
    painter.drawText(QRectF(left, top, width, value.height()), Qt::AlignLeft | Qt::AlignVCenter, content_.value);
    painter.setFont(captionFont());
    painter.setPen(IslandPalette::secondary());
    painter.drawText(QRectF(left, top + value.height() + px(kNodeLineSpacing), width, caption.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, content_.label);
}

int PowerDestination::rowHeight()
{
    const double text = std::max(QFontMetricsF(destinationValueFont()).height(), QFontMetricsF(captionFont()).height());
    return ceilToInt(std::max<double>(text, symbolPixelSize(kDestinationIconSize)));
}

int PowerDestination::stackHeight()
{
    return 2 * rowHeight() + pxInt(kDestinationSpacing);
}

QSize PowerDestination::sizeHint() const
{
    const QFontMetricsF value(destinationValueFont());
    const QFontMetricsF caption(captionFont());
    const double width = px(kDestinationIconFrame + kSpacing) + value.horizontalAdvance(content_.value) + px(kSpacing)
                         + caption.horizontalAdvance(content_.label);
    return {ceilToInt(width), rowHeight()};
}

void PowerDestination::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double h = height();
    SymbolFont::shared().draw(painter, content_.icon, QRectF(0, 0, px(kDestinationIconFrame), h),
                              kDestinationIconSize, content_.color);

    const QFontMetricsF value(destinationValueFont());
    double x = px(kDestinationIconFrame + kSpacing);
    const double valueWidth = value.horizontalAdvance(content_.value);
    painter.setFont(destinationValueFont());
    painter.setPen(content_.color);
    painter.drawText(QRectF(x, 0, valueWidth + 1, h), Qt::AlignLeft | Qt::AlignVCenter, content_.value);
    x += valueWidth + px(kSpacing);
    painter.setFont(captionFont());
    painter.setPen(IslandPalette::secondary());
    painter.drawText(QRectF(x, 0, std::max(0.0, width() - x), h), Qt::AlignLeft | Qt::AlignVCenter, content_.label);
}

PowerBranchConnector::PowerBranchConnector(QWidget* parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize PowerBranchConnector::sizeHint() const
{
    return {pxInt(kConnectorWidth), PowerDestination::stackHeight()};
}

void PowerBranchConnector::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(IslandPalette::mint(), px(1.3));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(PowerBranchShape::path(QRectF(rect())));
}

}  // namespace moravel
