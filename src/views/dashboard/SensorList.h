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

    friend bool operator==(const SensorLine&, const SensorLine&) = default;
};

// The lines for every sensor the readings list, reading by reading in the
// table's order (temperatures, then fans, then voltages), each grouped by
// chip in the order the chips come.
QList<SensorLine> sensorLines(const SystemSnapshot& snapshot);

// Every sensor of the machine, grouped by chip, in columns that fill top to
// bottom; what does not fit ends in "+N more".
class SensorList final : public QWidget {
    Q_OBJECT

public:
    static constexpr int columns = 4;

    explicit SensorList(QWidget* parent = nullptr);

    void setLines(QList<SensorLine> lines);
    const QList<SensorLine>& lines() const { return lines_; }

    static int lineHeight();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<SensorLine> lines_;
};

}  // namespace moravel
