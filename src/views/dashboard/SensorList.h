#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/ReadingTable.h"

#include <QList>
#include <QString>
#include <QWidget>

namespace moravel {

// One line of the sensor list: a chip's name heading its sensors, or one
// sensor's label and figure with the level its own limits give it.
struct SensorLine {
    bool isChip = false;
    QString label;
    QString value;
    Level level = Level::normal;
    // A sensor as a screen reader hears it: "nvme Composite", "39 degrees Celsius".
    QString spokenName;
    QString spokenValue;

    friend bool operator==(const SensorLine&, const SensorLine&) = default;
};

// The lines for every sensor the readings list, reading by reading in the
// table's order (temperatures, then fans, then voltages), each grouped by
// chip: the temperatures' chip with the hottest sensor first, the others in
// the order the chips come; a chip's sensors in their own order.
QList<SensorLine> sensorLines(const SystemSnapshot& snapshot);

// Every sensor of the machine, grouped by chip, in columns that fill top to
// bottom, four at a time. Where there are more columns, the last place says
// how many sensors follow and the wheel scrolls a column at a time.
class SensorList final : public QWidget {
    Q_OBJECT

public:
    static constexpr int columns = 4;

    explicit SensorList(QWidget* parent = nullptr);

    void setLines(QList<SensorLine> lines);
    const QList<SensorLine>& lines() const { return lines_; }

    // The column shown first, 0 to columnCount() - columns.
    int firstColumn() const { return firstColumn_; }
    // Where a line is drawn now; an empty rectangle for one out of sight.
    QRect lineRect(qsizetype index) const;
    int columnCount() const;
    void scrollToColumn(int column);

    static int lineHeight();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Where each line goes: its column and its row in it.
    struct Slot {
        int column = 0;
        int row = 0;
    };
    int linesPerColumn() const;
    QList<Slot> placement() const;
    QRectF frameAt(const Slot& slot) const;

    QList<SensorLine> lines_;
    int firstColumn_ = 0;
    int wheelAngle_ = 0;
};

}  // namespace moravel
