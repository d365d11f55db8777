#include "views/dashboard/SensorList.h"

#include "monitor/Formatters.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/ReadingColors.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr double kColumnGap = 12;
constexpr double kTopPadding = 6;

QFont chipFont()
{
    return Fonts::monospaced(8, QFont::DemiBold);
}

QFont sensorFont()
{
    return Fonts::monospaced(9, QFont::Medium);
}

}  // namespace

namespace {

// One reading's sensors: chips in the order they first come, a chip's sensors together.
void appendLines(const QList<SensorReading>& sensors, const SensorListSpec& spec, QList<SensorLine>& lines)
{
    QStringList chips;
    for (const SensorReading& sensor : sensors) {
        if (!chips.contains(sensor.chip))
            chips.append(sensor.chip);
    }
    for (const QString& chip : chips) {
        lines.append({true, chip, {}, Level::normal});
        for (const SensorReading& sensor : sensors) {
            if (sensor.chip == chip)
                lines.append({false, sensor.label, spec.valueText(sensor.value),
                              spec.level ? spec.level(sensor) : Level::normal});
        }
    }
}

}  // namespace

QList<SensorLine> sensorLines(const SystemSnapshot& snapshot)
{
    QList<SensorLine> lines;
    for (const ReadingDescriptor& reading : ReadingTable::all()) {
        if (!reading.sensorList)
            continue;
        const std::optional<QList<SensorReading>>& sensors = snapshot.*(reading.sensorList->sensors);
        if (sensors)
            appendLines(*sensors, *reading.sensorList, lines);
    }
    return lines;
}

SensorList::SensorList(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Sensors"));
}

int SensorList::lineHeight()
{
    return static_cast<int>(std::ceil(QFontMetricsF(sensorFont()).height() + 1));
}

void SensorList::setLines(QList<SensorLine> lines)
{
    if (lines == lines_)
        return;
    lines_ = std::move(lines);
    QStringList spoken;
    for (const SensorLine& line : lines_)
        spoken.append(line.isChip ? line.label + QLatin1Char(':') : line.label + QLatin1Char(' ') + line.value);
    setAccessibleDescription(spoken.join(QLatin1Char(' ')));
    update();
}

void SensorList::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double rowHeight = lineHeight();
    const auto perColumn = static_cast<qsizetype>(std::floor((height() - kTopPadding) / rowHeight));
    if (perColumn < 2)
        return;
    const double columnWidth = (width() - (columns - 1) * kColumnGap) / columns;
    const qsizetype room = perColumn * columns;
    const bool overflows = lines_.size() > room;
    qsizetype slot = 0;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const SensorLine& line = lines_[i];
        // A chip's name never ends a column apart from its first sensor.
        if (line.isChip && slot % perColumn == perColumn - 1)
            ++slot;
        const bool isLastRoom = overflows && slot == room - 1;
        if (slot >= room || isLastRoom) {
            const qsizetype hidden = std::count_if(lines_.cbegin() + i, lines_.cend(),
                                                   [](const SensorLine& l) { return !l.isChip; });
            if (slot < room && hidden > 0) {
                const QRectF frame((slot / perColumn) * (columnWidth + kColumnGap),
                                   kTopPadding + (slot % perColumn) * rowHeight, columnWidth, rowHeight);
                painter.setFont(sensorFont());
                painter.setPen(IslandPalette::secondary());
                painter.drawText(frame, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("+%1 more").arg(hidden));
            }
            break;
        }
        const QRectF frame((slot / perColumn) * (columnWidth + kColumnGap), kTopPadding + (slot % perColumn) * rowHeight,
                           columnWidth, rowHeight);
        ++slot;
        if (line.isChip) {
            painter.setFont(chipFont());
            painter.setPen(IslandPalette::secondary());
            painter.drawText(frame, Qt::AlignLeft | Qt::AlignVCenter,
                             QFontMetricsF(chipFont()).elidedText(line.label.toUpper(), Qt::ElideRight, frame.width()));
            continue;
        }
        painter.setFont(sensorFont());
        const QFontMetricsF metrics(sensorFont());
        const double valueWidth = metrics.horizontalAdvance(line.value);
        painter.setPen(levelColor(line.level));
        painter.drawText(frame, Qt::AlignRight | Qt::AlignVCenter, line.value);
        painter.setPen(IslandPalette::primary());
        const double labelWidth = std::max(0.0, frame.width() - valueWidth - 6);
        painter.drawText(QRectF(frame.left(), frame.top(), labelWidth, frame.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(line.label, Qt::ElideRight, labelWidth));
    }
}

}  // namespace moravel
