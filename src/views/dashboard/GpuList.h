#pragma once

#include "monitor/Levels.h"
#include "monitor/MetricTypes.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

namespace moravel {

// One graphics processor as the GPU tab lists it; an empty figure where its
// driver does not tell it.
struct GpuRow {
    QString name;
    QString load;         // "37%"
    Level loadLevel = Level::normal;
    QString memory;       // "2.0 GiB of 8.0 GiB"
    QString temperature;  // "55°C"
    Level temperatureLevel = Level::normal;

    friend bool operator==(const GpuRow&, const GpuRow&) = default;
};

QList<GpuRow> gpuRows(const QList<GpuReading>& gpus);

// The GPU tab's list, where the process cards are: one row per graphics
// processor, its name, then its load, memory and temperature in columns.
class GpuList final : public QWidget {
    Q_OBJECT

public:
    explicit GpuList(QWidget* parent = nullptr);

    void setGpus(const QList<GpuReading>& gpus);
    const QList<GpuRow>& rows() const { return rows_; }

    static int rowHeight();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<GpuRow> rows_;
};

}  // namespace moravel
