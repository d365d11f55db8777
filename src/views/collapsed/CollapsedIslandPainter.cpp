#include "views/collapsed/CollapsedIslandPainter.h"

#include "monitor/Formatters.h"
#include "views/collapsed/CollapsedReadings.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/ReadingColors.h"
#include "views/kit/SymbolIcons.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace moravel::CollapsedIslandPainter {

namespace {

constexpr double kLabelSpacing = 3;       // icon to its text
constexpr double kNetworkSpacing = 6;
constexpr double kNetworkValueWidth = 32;
constexpr double kPowerGroupSpacing = 4;
constexpr double kPowerInnerSpacing = 2;
constexpr double kSeparatorOpacity = 0.16;

enum class RunAlignment { leading, centre, trailing };

// One icon or text of a reading, laid out left to right after `gapBefore`.
struct RunItem {
    QString content;
    bool isIcon = false;
    QFont font;
    QColor color;
    double gapBefore = 0;
    double fixedWidth = -1;  // negative: as wide as the text
    Qt::Alignment alignment = Qt::AlignLeft;
    double width = 0;
    bool isElided = false;
};

double iconWidth()
{
    return symbolPixelSize(baseFontSize);
}

RunItem icon(const QString& name, const QColor& color, double gapBefore = 0)
{
    RunItem item;
    item.content = name;
    item.isIcon = true;
    item.color = color;
    item.gapBefore = gapBefore;
    return item;
}

RunItem text(const QString& value, const QFont& font, const QColor& color, double gapBefore)
{
    RunItem item;
    item.content = value;
    item.font = font;
    item.color = color;
    item.gapBefore = gapBefore;
    return item;
}

RunItem fixedText(const QString& value, const QColor& color, double gapBefore, double width)
{
    RunItem item = text(value, baseFont(), color, gapBefore);
    item.fixedWidth = width;
    item.alignment = Qt::AlignRight;
    return item;
}

// Gives each item its width; when the run is wider than its frame, the
// free-width texts give way from the last one backwards, so a long value is
// elided instead of spilling over a neighbour.
double measure(QList<RunItem>& items, double available)
{
    double total = 0;
    for (RunItem& item : items) {
        if (item.isIcon) {
            item.width = iconWidth();
        } else {
            const double natural = QFontMetricsF(item.font).horizontalAdvance(item.content);
            item.width = item.fixedWidth >= 0 ? item.fixedWidth : natural;
            item.isElided = natural > item.width;
        }
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

void drawRun(QPainter& painter, const QRectF& frame, QList<RunItem> items, RunAlignment alignment)
{
    const double total = measure(items, frame.width());
    double x = frame.left();
    if (alignment == RunAlignment::trailing)
        x = frame.right() - total;
    else if (alignment == RunAlignment::centre)
        x = frame.center().x() - total / 2;

    painter.save();
    // Nothing of a reading may reach into its neighbour's frame.
    painter.setClipRect(QRectF(frame.left(), frame.top() - frame.height(), frame.width(), frame.height() * 3));
    for (const RunItem& item : items) {
        x += item.gapBefore;
        if (item.isIcon) {
            const QRectF box(x, frame.center().y() - item.width / 2, item.width, item.width);
            SymbolFont::shared().draw(painter, item.content, box, baseFontSize, item.color);
        } else if (item.width > 0) {
            const QRectF box(x, frame.top(), item.width, frame.height());
            const QString shown = item.isElided
                                      ? QFontMetricsF(item.font).elidedText(item.content, Qt::ElideRight, item.width)
                                      : item.content;
            painter.setFont(item.font);
            painter.setPen(item.color);
            painter.drawText(box, item.alignment | Qt::AlignVCenter | Qt::TextSingleLine, shown);
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
        item.fixedWidth = QFontMetricsF(item.font).horizontalAdvance(content);
    return item;
}

void drawNetwork(QPainter& painter, const QRectF& frame, const SystemSnapshot& snapshot)
{
    const QColor& color = IslandPalette::cyan();
    const NetworkReading& network = *snapshot.network;
    const QString download = CollapsedReadings::downloadText(network.downloadBytesPerSecond);
    const QString upload = CollapsedReadings::uploadText(network.uploadBytesPerSecond);
    const RunItem first = lead(MetricKind::network, snapshot, color);
    // After a machine's name the speeds close up, to leave the name room.
    if (!first.isIcon) {
        drawRun(painter, frame,
                {first, valueAfter(first, download, color, kLabelSpacing), valueAfter(first, upload, color, kLabelSpacing)},
                RunAlignment::centre);
        return;
    }
    drawRun(painter, frame,
            {first, fixedText(download, color, kNetworkSpacing, kNetworkValueWidth),
             fixedText(upload, color, kNetworkSpacing, kNetworkValueWidth)},
            RunAlignment::centre);
}

// An icon and a value in the colour of the reading's level; a dash where
// the machine has no such reading.
void drawLoad(QPainter& painter, const QRectF& frame, MetricKind kind, const SystemSnapshot& snapshot)
{
    const QColor& color = readingColor(kind, snapshot);
    const RunItem first = lead(kind, snapshot, color);
    drawRun(painter, frame, {first, valueAfter(first, ReadingTable::valueText(kind, snapshot), color, kLabelSpacing)},
            RunAlignment::trailing);
}

// On a whole fleet, the machines that are down, in place of the first reading.
void drawDown(QPainter& painter, const QRectF& frame, const QString& down)
{
    drawRun(painter, frame, {text(down, baseFont(), IslandPalette::red(), 0)}, RunAlignment::trailing);
}

// The capacity in use, then what is read and written each second.
void drawDisk(QPainter& painter, const QRectF& frame, const SystemSnapshot& snapshot)
{
    const QColor& color = readingColor(MetricKind::disk, snapshot);
    const QColor& rates = IslandPalette::secondary();
    const auto rate = [&](const char* prefix, double DiskActivityReading::*bytesPerSecond) {
        const std::optional<double> value = fieldOf(snapshot.diskActivity, bytesPerSecond);
        return QLatin1String(prefix) + (value ? MetricFormat::speed(*value) : QStringLiteral("—"));
    };
    const RunItem first = lead(MetricKind::disk, snapshot, color);
    drawRun(painter, frame,
            {first, valueAfter(first, ReadingTable::valueText(MetricKind::disk, snapshot), color, kLabelSpacing),
             fixedText(rate("R", &DiskActivityReading::readBytesPerSecond), rates, kNetworkSpacing, kNetworkValueWidth),
             fixedText(rate("W", &DiskActivityReading::writeBytesPerSecond), rates, kNetworkSpacing,
                       kNetworkValueWidth)},
            RunAlignment::centre);
}

void drawPower(QPainter& painter, const QRectF& frame, const SystemSnapshot& snapshot)
{
    if (!CollapsedReadings::hasBatteryReading(snapshot)) {
        const QColor& color = IslandPalette::secondary();
        drawRun(painter, frame,
                {icon(QStringLiteral("bolt.fill"), color), text(QStringLiteral("—"), baseFont(), color, kLabelSpacing)},
                RunAlignment::leading);
        return;
    }
    const CollapsedReadings::PowerReadingTexts texts = CollapsedReadings::powerReadingTexts(snapshot);
    const QColor& sourceColor = texts.isOnAdapter ? IslandPalette::mint() : IslandPalette::secondary();
    drawRun(painter, frame,
            {text(texts.label, powerLabelFont(), sourceColor, 0),
             text(texts.watts, baseFont(), IslandPalette::primary(), kPowerInnerSpacing),
             text(QStringLiteral("·"), baseFont(), IslandPalette::secondary(), kPowerGroupSpacing),
             icon(texts.batteryIcon, sourceColor, kPowerGroupSpacing),
             text(texts.battery, baseFont(), sourceColor, kPowerInnerSpacing)},
            RunAlignment::leading);
}

void drawReading(QPainter& painter, const CollapsedIslandLayout::Reading& reading, const SystemSnapshot& snapshot)
{
    // A reading the source does not publish: its icon and a dash, whatever its style.
    if (ReadingTable::isAbsent(reading.kind, snapshot)) {
        drawLoad(painter, reading.rect, reading.kind, snapshot);
        return;
    }
    switch (ReadingTable::of(reading.kind).collapsed->style) {
    case CollapsedStyle::network:
        drawNetwork(painter, reading.rect, snapshot);
        return;
    case CollapsedStyle::load:
        drawLoad(painter, reading.rect, reading.kind, snapshot);
        return;
    case CollapsedStyle::power:
        drawPower(painter, reading.rect, snapshot);
        return;
    case CollapsedStyle::disk:
        drawDisk(painter, reading.rect, snapshot);
        return;
    }
}

}  // namespace

QFont baseFont()
{
    return Fonts::monospaced(baseFontSize, QFont::DemiBold);
}

QFont powerLabelFont()
{
    return Fonts::monospaced(powerLabelFontSize, QFont::Bold);
}

double readingHeight()
{
    return std::ceil(std::max(QFontMetricsF(baseFont()).height(), iconWidth()));
}

CollapsedIslandLayout layout(const CollapsedContent& content, const QRectF& bounds)
{
    return CollapsedIslandLayout::make(content.geometry, content.kinds, bounds, readingHeight());
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
        if (down && &reading == &placed.readings.first())
            drawDown(painter, reading.rect, *down);
        else
            drawReading(painter, reading, content.snapshot);
    }
    painter.restore();
}

}  // namespace moravel::CollapsedIslandPainter
