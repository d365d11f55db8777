#include "views/dashboard/SensorList.h"

#include "monitor/Formatters.h"
#include "views/kit/AccessibleParts.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/kit/ReadingColors.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr double kColumnGap = 12;
constexpr double kTopPadding = 6;
constexpr double kValueGap = 6;

QFont chipFont()
{
    return Fonts::words(TextSize::caption, QFont::DemiBold);
}

QFont labelFont()
{
    return Fonts::words(TextSize::small);
}

QFont valueFont()
{
    return Fonts::figures(TextSize::small, QFont::Medium);
}

}  // namespace

namespace {

// One reading's sensors, a chip's sensors together: chips in the order they
// first come, or the one with the highest value first.
void appendLines(const QList<SensorReading>& sensors, const SensorListPart& list, bool hottestFirst,
                 QList<SensorLine>& lines)
{
    struct Chip {
        QString name;
        double highest = -INFINITY;
    };
    QList<Chip> chips;
    for (const SensorReading& sensor : sensors) {
        const QString title = chipTitle(sensor);
        auto found = std::find_if(chips.begin(), chips.end(), [&](const Chip& c) { return c.name == title; });
        if (found == chips.end())
            found = chips.insert(chips.end(), Chip{title});
        found->highest = std::max(found->highest, sensor.value);
    }
    if (hottestFirst)
        std::stable_sort(chips.begin(), chips.end(), [](const Chip& a, const Chip& b) { return a.highest > b.highest; });
    for (const Chip& chip : chips) {
        lines.append({true, chip.name, {}, Level::normal, {}, {}});
        for (const SensorReading& sensor : sensors) {
            if (chipTitle(sensor) == chip.name)
                lines.append({false, sensor.label, list.valueText(sensor.value),
                              list.level ? list.level(sensor) : Level::normal,
                              chip.name + QLatin1Char(' ') + sensor.label, list.spokenValue(sensor.value)});
        }
    }
}

// The sensors as a list of named values; the chips' names are in theirs.
class SensorListAccessible final : public AccessibleWidgetWithParts {
public:
    explicit SensorListAccessible(QWidget* list) : AccessibleWidgetWithParts(list, QAccessible::List) {}

    QList<int> partKeys() const override
    {
        QList<int> keys;
        for (qsizetype i = 0; i < list().lines().size(); ++i) {
            if (!list().lines()[i].isChip)
                keys.append(static_cast<int>(i));
        }
        return keys;
    }
    AccessiblePart part(int key) const override
    {
        const SensorLine line = list().lines().value(key);
        AccessiblePart part;
        part.role = QAccessible::ListItem;
        part.name = line.spokenName;
        part.text = line.spokenValue;
        part.rect = list().lineRect(key);
        return part;
    }

private:
    const SensorList& list() const { return *static_cast<const SensorList*>(widget()); }
};

}  // namespace

QList<SensorLine> sensorLines(const SystemSnapshot& snapshot)
{
    QList<SensorLine> lines;
    for (const ReadingDescriptor& reading : ReadingTable::all()) {
        if (!reading.sensorList)
            continue;
        const std::optional<QList<SensorReading>>& sensors = snapshot.*(reading.sensorList->sensors);
        if (sensors)
            appendLines(*sensors, *reading.sensorList, reading.kind == MetricKind::temperature, lines);
    }
    return lines;
}

SensorList::SensorList(QWidget* parent) : QWidget(parent)
{
    IslandAccessibility::provide(staticMetaObject,
                                 [](QWidget* list) -> QAccessibleInterface* { return new SensorListAccessible(list); });
    setAccessibleName(QStringLiteral("Sensors"));
}

int SensorList::lineHeight()
{
    const double text = std::max(QFontMetricsF(labelFont()).height(), QFontMetricsF(valueFont()).height());
    return static_cast<int>(std::ceil(text + px(1)));
}

int SensorList::linesPerColumn() const
{
    return static_cast<int>(std::floor((height() - px(kTopPadding)) / lineHeight()));
}

QList<SensorList::Slot> SensorList::placement() const
{
    const int perColumn = linesPerColumn();
    QList<Slot> placed;
    if (perColumn < 2)
        return placed;
    int slot = 0;
    for (const SensorLine& line : lines_) {
        // A chip's name never ends a column apart from its first sensor.
        if (line.isChip && slot % perColumn == perColumn - 1)
            ++slot;
        placed.append({slot / perColumn, slot % perColumn});
        ++slot;
    }
    return placed;
}

int SensorList::columnCount() const
{
    const QList<Slot> placed = placement();
    return placed.isEmpty() ? 0 : placed.last().column + 1;
}

void SensorList::scrollToColumn(int column)
{
    const int first = std::clamp(column, 0, std::max(0, columnCount() - columns));
    if (first == firstColumn_)
        return;
    firstColumn_ = first;
    update();
}

void SensorList::setLines(QList<SensorLine> lines)
{
    if (lines == lines_)
        return;
    lines_ = std::move(lines);
    scrollToColumn(firstColumn_);
    update();
}

void SensorList::wheelEvent(QWheelEvent* event)
{
    // A notch of the wheel (120) moves a column; touchpads add up to one.
    wheelAngle_ += event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const int steps = wheelAngle_ / 120;
    wheelAngle_ -= steps * 120;
    if (steps != 0)
        scrollToColumn(firstColumn_ - steps);
    event->accept();
}

void SensorList::hideEvent(QHideEvent*)
{
    firstColumn_ = 0;
    wheelAngle_ = 0;
}

QRectF SensorList::frameAt(const Slot& slot) const
{
    const double columnWidth = (width() - (columns - 1) * px(kColumnGap)) / columns;
    return QRectF((slot.column - firstColumn_) * (columnWidth + px(kColumnGap)), px(kTopPadding) + slot.row * lineHeight(),
                  columnWidth, lineHeight());
}

QRect SensorList::lineRect(qsizetype index) const
{
    const QList<Slot> placed = placement();
    if (index < 0 || index >= placed.size() || placed[index].column < firstColumn_
        || placed[index].column >= firstColumn_ + columns)
        return {};
    return frameAt(placed[index]).toAlignedRect();
}

void SensorList::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QList<Slot> placed = placement();
    if (placed.isEmpty())
        return;
    const int lastColumn = firstColumn_ + columns - 1;
    const bool more = placed.last().column > lastColumn;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const Slot& slot = placed[i];
        if (slot.column < firstColumn_)
            continue;
        // The last place of the last column shown tells how many follow.
        if (more && slot.column == lastColumn && slot.row == linesPerColumn() - 1) {
            const auto hidden = std::count_if(lines_.cbegin() + i, lines_.cend(),
                                              [](const SensorLine& l) { return !l.isChip; });
            painter.setFont(labelFont());
            painter.setPen(IslandPalette::secondary());
            painter.drawText(frameAt(slot), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("+%1 more, scroll").arg(hidden));
            break;
        }
        if (slot.column > lastColumn)
            break;
        const SensorLine& line = lines_[i];
        const QRectF frame = frameAt(slot);
        if (line.isChip) {
            painter.setFont(chipFont());
            painter.setPen(IslandPalette::secondary());
            painter.drawText(frame, Qt::AlignLeft | Qt::AlignVCenter,
                             QFontMetricsF(chipFont()).elidedText(line.label.toUpper(), Qt::ElideRight, frame.width()));
            continue;
        }
        painter.setFont(valueFont());
        const double valueWidth = QFontMetricsF(valueFont()).horizontalAdvance(line.value);
        painter.setPen(levelColor(line.level));
        painter.drawText(frame, Qt::AlignRight | Qt::AlignVCenter, line.value);
        painter.setFont(labelFont());
        painter.setPen(IslandPalette::primary());
        const double labelWidth = std::max(0.0, frame.width() - valueWidth - px(kValueGap));
        painter.drawText(QRectF(frame.left(), frame.top(), labelWidth, frame.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(labelFont()).elidedText(line.label, Qt::ElideRight, labelWidth));
    }
}

}  // namespace moravel
