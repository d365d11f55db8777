#include "views/power/PowerNodes.h"

#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/power/PowerBranchShape.h"
#include "views/kit/SymbolIcons.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr double kSpacing = 5;
constexpr double kNodeIconFrame = 22;
constexpr double kNodeLineSpacing = 1;
constexpr double kDestinationIconFrame = 17;
constexpr int kConnectorWidth = 28;
constexpr int kConnectorHeight = 35;

QFont nodeValueFont()
{
    return Fonts::monospaced(9.5, QFont::DemiBold);
}

QFont destinationValueFont()
{
    return Fonts::monospaced(9, QFont::DemiBold);
}

QFont captionFont()
{
    return Fonts::monospaced(8, QFont::Normal);
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

QSize PowerNode::sizeHint() const
{
    const QFontMetricsF value(nodeValueFont());
    const QFontMetricsF caption(captionFont());
    const double textWidth = std::max(value.horizontalAdvance(content_.value), caption.horizontalAdvance(content_.label));
    const double textHeight = value.height() + kNodeLineSpacing + caption.height();
    return {ceilToInt(kNodeIconFrame + kSpacing + textWidth),
            ceilToInt(std::max<double>(textHeight, symbolPixelSize(16)))};
}

void PowerNode::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    SymbolFont::shared().draw(painter, content_.icon, QRectF(0, 0, kNodeIconFrame, bounds.height()), 16,
                              content_.color);

    const QFontMetricsF value(nodeValueFont());
    const QFontMetricsF caption(captionFont());
    const double stack = value.height() + kNodeLineSpacing + caption.height();
    const double left = kNodeIconFrame + kSpacing;
    const double top = (bounds.height() - stack) / 2;
    const double width = std::max(0.0, bounds.width() - left);
    painter.setFont(nodeValueFont());
    painter.setPen(content_.color);
    painter.drawText(QRectF(left, top, width, value.height()), Qt::AlignLeft | Qt::AlignVCenter, content_.value);
    painter.setFont(captionFont());
    painter.setPen(IslandPalette::secondary());
    painter.drawText(QRectF(left, top + value.height() + kNodeLineSpacing, width, caption.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, content_.label);
}

QSize PowerDestination::sizeHint() const
{
    const QFontMetricsF value(destinationValueFont());
    const QFontMetricsF caption(captionFont());
    const double width = kDestinationIconFrame + kSpacing + value.horizontalAdvance(content_.value) + kSpacing +
                         caption.horizontalAdvance(content_.label);
    const double height = std::max({value.height(), caption.height(), static_cast<double>(symbolPixelSize(13))});
    return {ceilToInt(width), ceilToInt(height)};
}

void PowerDestination::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double h = height();
    SymbolFont::shared().draw(painter, content_.icon, QRectF(0, 0, kDestinationIconFrame, h), 13, content_.color);

    const QFontMetricsF value(destinationValueFont());
    double x = kDestinationIconFrame + kSpacing;
    const double valueWidth = value.horizontalAdvance(content_.value);
    painter.setFont(destinationValueFont());
    painter.setPen(content_.color);
    painter.drawText(QRectF(x, 0, valueWidth + 1, h), Qt::AlignLeft | Qt::AlignVCenter, content_.value);
    x += valueWidth + kSpacing;
    painter.setFont(captionFont());
    painter.setPen(IslandPalette::secondary());
    painter.drawText(QRectF(x, 0, std::max(0.0, width() - x), h), Qt::AlignLeft | Qt::AlignVCenter, content_.label);
}

PowerBranchConnector::PowerBranchConnector(QWidget* parent) : QWidget(parent)
{
    setFixedSize(kConnectorWidth, kConnectorHeight);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize PowerBranchConnector::sizeHint() const
{
    return {kConnectorWidth, kConnectorHeight};
}

void PowerBranchConnector::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(IslandPalette::mint(), 1.3);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(PowerBranchShape::path(QRectF(rect())));
}

}  // namespace moravel
