#include "views/collapsed/CollapsedIslandPainter.h"

#include "monitor/Formatters.h"
#include "views/collapsed/CollapsedReadings.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/kit/ReadingColors.h"
#include "views/kit/SymbolIcons.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace moravel::CollapsedIslandPainter {

namespace {

// Points, drawn at the island's size factor.
constexpr double kLabelSpacing = 3;  // icon to its text
constexpr double kNetworkSpacing = 6;
constexpr double kNetworkValueWidth = 44;  // "↓999.9M" in the figures face, with a little to spare
constexpr double kPowerGroupSpacing = 4;
constexpr double kPowerInnerSpacing = 2;
constexpr double kSeparatorOpacity = 0.16;
// A font that runs wider than the frames allow is set smaller, down to this share.
constexpr double kSmallestFit = 0.75;

enum class RunAlignment { leading, centre, trailing };

// One icon or text of a reading, laid out left to right after `gapBefore`.
struct RunItem {
    QString content;
    bool isIcon = false;
    QFont font;
    QColor color;
    double gapBefore = 0;  // pixels
    double fixedWidth = -1;  // pixels; negative: as wide as the text
    Qt::Alignment alignment = Qt::AlignLeft;
    double width = 0;
    bool isElided = false;
};

double iconWidth()
{
    return symbolPixelSize(TextSize::body);
}

RunItem icon(const QString& name, const QColor& color, double gapBefore = 0)
{
    RunItem item;
    item.content = name;
    item.isIcon = true;
    item.color = color;
    item.gapBefore = px(gapBefore);
    return item;
}

RunItem text(const QString& value, const QFont& font, const QColor& color, double gapBefore)
{
    RunItem item;
    item.content = value;
    item.font = font;
    item.color = color;
    item.gapBefore = px(gapBefore);
    return item;
}

RunItem fixedText(const QString& value, const QColor& color, double gapBefore, double width)
{
    RunItem item = text(value, baseFont(), color, gapBefore);
    item.fixedWidth = px(width);
    item.alignment = Qt::AlignRight;
    return item;
}

double naturalWidth(const RunItem& item)
{
    return QFontMetricsF(item.font).horizontalAdvance(item.content);
}

// Gives each item its width. Where a text does not fit its fixed width, or
// the run its frame, the texts are set smaller until they do, down to
// kSmallestFit of their size; a run still too wide (a long machine name)
// then cuts its free-width texts short from the last one backwards.
double measure(QList<RunItem>& items, double available)
{
    double shrink = 1;
    double fixed = 0;
    double free = 0;
    for (const RunItem& item : items) {
        fixed += item.gapBefore + (item.isIcon ? iconWidth() : std::max(item.fixedWidth, 0.0));
        if (item.isIcon)
            continue;
        if (item.fixedWidth >= 0)
            shrink = std::min(shrink, item.fixedWidth / std::max(naturalWidth(item), 1.0));
        else
            free += naturalWidth(item);
    }
    if (free > 0 && fixed + free > available)
        shrink = std::min(shrink, std::max(available - fixed, 0.0) / free);
    shrink = std::max(shrink, kSmallestFit);

    double total = 0;
    for (RunItem& item : items) {
        if (!item.isIcon && shrink < 1)
            item.font.setPointSizeF(item.font.pointSizeF() * shrink);
        item.width = item.isIcon ? iconWidth() : item.fixedWidth >= 0 ? item.fixedWidth : naturalWidth(item);
        total += item.gapBefore + item.width;
    }
    double overflow = total - available;
    for (auto it = items.rbegin(); it != items.rend() && overflow > 0; ++it) {
        if (it->isIcon || it->fixedWidth >= 0)
            continue;
        const double cut = std::min(overflow, it->width);
        it->width -= cut;
        it->isElided = true;
        overflow -= cut;
        total -= cut;
    }
    return total;
}

// A reading's icons and texts, and how they sit in its frame.
struct Run {
    QList<RunItem> items;
    RunAlignment alignment = RunAlignment::centre;
};

void drawRun(QPainter& painter, const QRectF& frame, Run run)
{
    QList<RunItem>& items = run.items;
    const RunAlignment alignment = run.alignment;
    const double total = measure(items, frame.width());
    double x = frame.left();
    if (alignment == RunAlignment::trailing)
        x = frame.right() - total;
    else if (alignment == RunAlignment::centre)
        x = frame.center().x() - total / 2;

    painter.save();
    // A value beyond the widest the frames hold (an absurd reading) still
    // never reaches into its neighbour's frame.
    painter.setClipRect(QRectF(frame.left(), frame.top() - frame.height(), frame.width(), frame.height() * 3));
    for (const RunItem& item : items) {
        x += item.gapBefore;
        if (item.isIcon) {
            const QRectF box(x, frame.center().y() - item.width / 2, item.width, item.width);
            SymbolFont::shared().draw(painter, item.content, box, TextSize::body, item.color);
        } else if (item.width > 0) {
            const QString shown = item.isElided
                                      ? QFontMetricsF(item.font).elidedText(item.content, Qt::ElideRight, item.width)
                                      : item.content;
            painter.setFont(item.font);
            painter.setPen(item.color);
            painter.drawText(QRectF(x, frame.top(), item.width, frame.height()),
                             item.alignment | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        }
        x += item.width;
    }
    painter.restore();
}

// What leads a reading: its icon, or on a whole fleet the name of the
// machine it is from, which gives way first when room is short.
RunItem lead(MetricKind kind, const SystemSnapshot& snapshot, const QColor& color)
{
    if (const std::optional<QString> machine = CollapsedReadings::fleetMachineOf(kind, snapshot))
        return text(*machine, baseFont(), IslandPalette::secondary(), 0);
    return icon(QString::fromLatin1(ReadingTable::of(kind).icon), color);
}

// A reading's value; after a machine's name it keeps its room while the
// name gives way.
RunItem valueAfter(const RunItem& lead, const QString& content, const QColor& color, double gapBefore)
{
    RunItem item = text(content, baseFont(), color, gapBefore);
    if (!lead.isIcon)
        item.fixedWidth = naturalWidth(item);
    return item;
}

Run networkRun(const SystemSnapshot& snapshot)
{
    const QColor& color = IslandPalette::cyan();
    const NetworkReading& network = *snapshot.network;
    const QString download = CollapsedReadings::downloadText(network.downloadBytesPerSecond);
    const QString upload = CollapsedReadings::uploadText(network.uploadBytesPerSecond);
    const RunItem first = lead(MetricKind::network, snapshot, color);
    // After a machine's name the speeds close up, to leave the name room.
    if (!first.isIcon)
        return {{first, valueAfter(first, download, color, kLabelSpacing), valueAfter(first, upload, color, kLabelSpacing)},
                RunAlignment::centre};
    return {{first, fixedText(download, color, kNetworkSpacing, kNetworkValueWidth),
             fixedText(upload, color, kNetworkSpacing, kNetworkValueWidth)},
            RunAlignment::centre};
}

// An icon and a value in the colour of the reading's level.
Run loadRun(MetricKind kind, const SystemSnapshot& snapshot)
{
    const QColor& color = readingColor(kind, snapshot);
    const RunItem first = lead(kind, snapshot, color);
    return {{first, valueAfter(first, ReadingTable::valueText(kind, snapshot), color, kLabelSpacing)},
            RunAlignment::trailing};
}

// A reading the machine does not have: its icon and a dash, in the
// secondary colour, whatever its style and whyever it is missing.
Run dashRun(MetricKind kind)
{
    const QColor& color = IslandPalette::secondary();
    return {{icon(QString::fromLatin1(ReadingTable::of(kind).icon), color),
             text(QStringLiteral("—"), baseFont(), color, kLabelSpacing)},
            RunAlignment::centre};
}

// On a whole fleet, the machines that are down, in place of the first reading.
Run downRun(const QString& down)
{
    return {{text(down, baseFont(), IslandPalette::red(), 0)}, RunAlignment::trailing};
}

// The capacity in use, then what is read and written each second.
Run diskRun(const SystemSnapshot& snapshot)
{
    const QColor& color = readingColor(MetricKind::disk, snapshot);
    const QColor& rates = IslandPalette::secondary();
    const auto rate = [&](const char* prefix, double DiskActivityReading::*bytesPerSecond) {
        const std::optional<double> value = fieldOf(snapshot.diskActivity, bytesPerSecond);
        return QLatin1String(prefix) + (value ? MetricFormat::speed(*value) : QStringLiteral("—"));
    };
    const RunItem first = lead(MetricKind::disk, snapshot, color);
    return {{first, valueAfter(first, ReadingTable::valueText(MetricKind::disk, snapshot), color, kLabelSpacing),
             fixedText(rate("R", &DiskActivityReading::readBytesPerSecond), rates, kNetworkSpacing, kNetworkValueWidth),
             fixedText(rate("W", &DiskActivityReading::writeBytesPerSecond), rates, kNetworkSpacing,
                       kNetworkValueWidth)},
            RunAlignment::centre};
}

Run powerRun(const SystemSnapshot& snapshot)
{
    const CollapsedReadings::PowerReadingTexts texts = CollapsedReadings::powerReadingTexts(snapshot);
    const QColor& sourceColor = texts.isOnAdapter ? IslandPalette::mint() : IslandPalette::secondary();
    const QColor& batteryColor = moravel::batteryColor(batteryOf(snapshot)->percent, sourceColor);
    return {{text(texts.label, powerLabelFont(), sourceColor, 0),
             text(texts.watts, baseFont(), IslandPalette::primary(), kPowerInnerSpacing),
             text(QStringLiteral("·"), baseFont(), IslandPalette::secondary(), kPowerGroupSpacing),
             icon(texts.batteryIcon, batteryColor, kPowerGroupSpacing),
             text(texts.battery, baseFont(), batteryColor, kPowerInnerSpacing)},
            RunAlignment::leading};
}

Run runFor(MetricKind kind, const SystemSnapshot& snapshot)
{
    if (CollapsedMetricLayout::showsDash(kind, snapshot))
        return dashRun(kind);
    switch (ReadingTable::of(kind).collapsed->style) {
    case CollapsedStyle::network: return networkRun(snapshot);
    case CollapsedStyle::load: return loadRun(kind, snapshot);
    case CollapsedStyle::power: return powerRun(snapshot);
    case CollapsedStyle::disk: return diskRun(snapshot);
    }
    return dashRun(kind);
}

}  // namespace

QFont baseFont()
{
    return Fonts::figures(TextSize::body, QFont::DemiBold);
}

QFont powerLabelFont()
{
    return Fonts::words(TextSize::caption, QFont::Bold);
}

double readingHeight()
{
    return std::ceil(std::max(QFontMetricsF(baseFont()).height(), iconWidth()));
}

CollapsedMetricLayout::WidthOf widthsFor(const SystemSnapshot& snapshot)
{
    return [snapshot](MetricKind kind) { return CollapsedMetricLayout::shownWidth(kind, snapshot); };
}

bool showsWhole(MetricKind kind, const SystemSnapshot& snapshot, double width)
{
    // A hundredth of a pixel for the rounding of the sums.
    constexpr double tolerance = 0.01;
    QList<RunItem> items = runFor(kind, snapshot).items;
    if (measure(items, px(width)) > px(width) + tolerance)
        return false;
    return std::ranges::none_of(items, [](const RunItem& item) {
        return !item.isIcon && item.fixedWidth >= 0 && naturalWidth(item) > item.fixedWidth + tolerance;
    });
}

CollapsedIslandLayout layout(const CollapsedContent& content, const QRectF& bounds)
{
    return CollapsedIslandLayout::make(content.geometry, content.kinds, widthsFor(content.snapshot), bounds,
                                       readingHeight());
}

void paint(QPainter& painter, const QRectF& bounds, const CollapsedContent& content)
{
    const CollapsedIslandLayout placed = layout(content, bounds);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QColor separator = IslandPalette::withOpacity(Qt::white, kSeparatorOpacity);
    for (const QRectF& rect : placed.separators)
        painter.fillRect(rect, separator);
    const std::optional<QString> down = CollapsedReadings::fleetDownText(content.snapshot);
    for (const CollapsedIslandLayout::Reading& reading : placed.readings) {
        const bool first = &reading == &placed.readings.first();
        drawRun(painter, reading.rect, down && first ? downRun(*down) : runFor(reading.kind, content.snapshot));
    }
    painter.restore();
}

}  // namespace moravel::CollapsedIslandPainter
