#include "views/dashboard/ExpandedHeader.h"

#include "views/kit/DashboardLayout.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandIconButton.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/SymbolIcons.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace moravel {

namespace {

constexpr int kSidePadding = 2;
constexpr int kSpacing = 7;
constexpr double kLiveSize = 9;
constexpr double kLiveIconGap = 3;
constexpr double kStatusSize = 12.5;
constexpr double kSmallestStatusSize = 10;

QFont statusFont(double size = kStatusSize)
{
    return Fonts::rounded(size, QFont::DemiBold);
}

// The verdict keeps its fixed frame; where the desktop's font runs wider than
// the frame allows, the text is set a little smaller rather than cut short.
QFont fittedStatusFont(const QString& text, double width)
{
    double size = kStatusSize;
    QFont font = statusFont(size);
    while (size > kSmallestStatusSize && QFontMetricsF(font).horizontalAdvance(text) > width) {
        size -= 0.5;
        font = statusFont(size);
    }
    return font;
}

QFont liveFont()
{
    return Fonts::monospaced(kLiveSize, QFont::Medium);
}

}  // namespace

ExpandedHeader::ExpandedHeader(QWidget* parent)
    : QWidget(parent),
      pin_(new IslandIconButton(QStringLiteral("pin"), this)),
      settings_(new IslandIconButton(QStringLiteral("gearshape"), this))
{
    setPinned(false);
    settings_->setToolTip(QStringLiteral("Settings"));
    settings_->setAccessibleName(QStringLiteral("Settings"));
}

QSize ExpandedHeader::sizeHint() const
{
    return {DashboardLayout::contentWidth, rowHeight};
}

void ExpandedHeader::setStatus(const QString& status)
{
    if (status == status_)
        return;
    status_ = status;
    describeStatus();
    update(statusRect());
}

void ExpandedHeader::setStatusDetail(const QString& detail)
{
    if (detail == statusDetail_)
        return;
    statusDetail_ = detail;
    setToolTip(detail);
    describeStatus();
}

void ExpandedHeader::describeStatus()
{
    setAccessibleDescription(statusDetail_.isEmpty() ? status_ : status_ + QStringLiteral(": ") + statusDetail_);
}

void ExpandedHeader::setMachineName(const QString& name)
{
    if (name == machineName_)
        return;
    machineName_ = name;
    update();
}

QString ExpandedHeader::badgeText() const
{
    return machineName_.isEmpty() ? QStringLiteral("Live") : machineName_;
}

void ExpandedHeader::setPinned(bool pinned)
{
    pin_->setSymbol(pinned ? QStringLiteral("pin.fill") : QStringLiteral("pin"));
    const QString tip = pinned ? QStringLiteral("Unpin island") : QStringLiteral("Keep island open");
    pin_->setToolTip(tip);
    pin_->setAccessibleName(tip);
}

QRect ExpandedHeader::statusRect() const
{
    return {kSidePadding, 0, statusWidth, height()};
}

void ExpandedHeader::resizeEvent(QResizeEvent*)
{
    const int buttonTop = (height() - settings_->height()) / 2;
    settings_->move(width() - kSidePadding - settings_->width(), buttonTop);
    pin_->move(settings_->x() - kSpacing - pin_->width(), buttonTop);
}

void ExpandedHeader::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect status = statusRect();
    if (event->rect().intersects(status)) {
        const QFont font = fittedStatusFont(status_, status.width());
        painter.setFont(font);
        painter.setPen(IslandPalette::primary());
        painter.drawText(status, Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(font).elidedText(status_, Qt::ElideRight, status.width()));
    }

    // The badge changes only with the machine watched; it is otherwise only
    // drawn again when something over it asks for it.
    const double liveLeft = status.right() + 1 + kSpacing;
    const QRectF live(liveLeft, 0, std::max(60.0, pin_->x() - kSpacing - liveLeft), height());
    if (!event->rect().intersects(live.toAlignedRect()))
        return;
    const double icon = symbolPixelSize(kLiveSize);
    SymbolFont::shared().draw(painter, u"waveform.path.ecg", QRectF(live.left(), 0, icon, height()), kLiveSize,
                              IslandPalette::secondary());
    painter.setFont(liveFont());
    painter.setPen(IslandPalette::secondary());
    const QRectF text(live.left() + icon + kLiveIconGap, 0, live.width() - icon - kLiveIconGap, height());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(liveFont()).elidedText(badgeText(), Qt::ElideMiddle, text.width()));
}

}  // namespace moravel
