#include "views/dashboard/ExpandedHeader.h"

#include "views/kit/AccessibleParts.h"
#include "views/kit/DashboardLayout.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandIconButton.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/kit/SymbolIcons.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace moravel {

namespace {

constexpr int kSidePadding = 2;
constexpr int kSpacing = 7;
constexpr double kLiveSize = TextSize::small;
constexpr double kLiveIconGap = 3;
constexpr double kUnpinnedAngle = 45;  // degrees
constexpr double kStatusSize = TextSize::heading;
constexpr double kSmallestStatusSize = TextSize::body;

QFont statusFont(double size = kStatusSize)
{
    return Fonts::words(size, QFont::DemiBold);
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
    return Fonts::words(kLiveSize, QFont::Medium);
}

enum PartKey { verdictKey, badgeKey };

// The verdict as a heading and the badge as a label, then the two buttons.
class ExpandedHeaderAccessible final : public AccessibleWidgetWithParts {
public:
    explicit ExpandedHeaderAccessible(QWidget* header) : AccessibleWidgetWithParts(header, QAccessible::Grouping) {}

    QList<int> partKeys() const override { return {verdictKey, badgeKey}; }
    AccessiblePart part(int key) const override
    {
        const auto* header = static_cast<const ExpandedHeader*>(widget());
        AccessiblePart part;
        part.role = key == verdictKey ? QAccessible::Heading : QAccessible::StaticText;
        part.name = key == verdictKey ? header->status() : header->badgeText();
        part.rect = key == verdictKey ? header->statusRect() : header->badgeRect().toAlignedRect();
        if (key == verdictKey)
            part.description = header->statusDetail();
        return part;
    }
    bool listsChildWidgets() const override { return true; }
};

}  // namespace

ExpandedHeader::ExpandedHeader(QWidget* parent)
    : QWidget(parent),
      pin_(new IslandIconButton(QStringLiteral("pin"), this)),
      settings_(new IslandIconButton(QStringLiteral("gearshape"), this))
{
    IslandAccessibility::provide(staticMetaObject,
                                 [](QWidget* header) -> QAccessibleInterface* { return new ExpandedHeaderAccessible(header); });
    setPinned(false);
    settings_->setToolTip(QStringLiteral("Settings"));
    settings_->setAccessibleName(QStringLiteral("Settings"));
}

QSize ExpandedHeader::sizeHint() const
{
    return {DashboardLayout::contentPixels(), pxInt(rowHeight)};
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
    // Unpinned, the pin lies tilted; pinned, it stands upright and lit.
    pin_->setOn(pinned, kUnpinnedAngle);
    const QString tip = pinned ? QStringLiteral("Unpin island") : QStringLiteral("Keep island open");
    pin_->setToolTip(tip);
    pin_->setAccessibleName(tip);
}

QRect ExpandedHeader::statusRect() const
{
    return {pxInt(kSidePadding), 0, pxInt(statusWidth), height()};
}

QRectF ExpandedHeader::badgeRect() const
{
    const double left = statusRect().right() + 1 + px(kSpacing);
    return {left, 0, std::max(px(60), pin_->x() - px(kSpacing) - left), static_cast<double>(height())};
}

void ExpandedHeader::resizeEvent(QResizeEvent*)
{
    const int buttonTop = (height() - settings_->height()) / 2;
    settings_->move(width() - pxInt(kSidePadding) - settings_->width(), buttonTop);
    pin_->move(settings_->x() - pxInt(kSpacing) - pin_->width(), buttonTop);
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
    const QRectF live = badgeRect();
    if (!event->rect().intersects(live.toAlignedRect()))
        return;
    const double icon = symbolPixelSize(kLiveSize);
    SymbolFont::shared().draw(painter, u"waveform.path.ecg", QRectF(live.left(), 0, icon, height()), kLiveSize,
                              IslandPalette::secondary());
    painter.setFont(liveFont());
    painter.setPen(IslandPalette::secondary());
    const QRectF text(live.left() + icon + px(kLiveIconGap), 0, live.width() - icon - px(kLiveIconGap), height());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(liveFont()).elidedText(badgeText(), Qt::ElideMiddle, text.width()));
}

}  // namespace moravel
