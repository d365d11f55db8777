#pragma once

#include <QList>
#include <QRectF>
#include <QWidget>

namespace moravel {

// One small bar per processor core under the CPU tab's chart, filled to the
// core's load and coloured by the CPU thresholds. The bars of a row share the
// strip's whole width; up to 64 bars share a row, more cores wrap onto
// further rows.
class CpuCoreStrip final : public QWidget {
    Q_OBJECT

public:
    static constexpr int barsPerRow = 64;
    static constexpr int barHeight = 12;
    static constexpr int padding = 4;

    explicit CpuCoreStrip(QWidget* parent = nullptr);

    void setCores(const QList<double>& percents);
    const QList<double>& cores() const { return cores_; }

    // Where core `index` is drawn, in the strip's own coordinates.
    QRectF barRect(qsizetype index) const;
    QSize sizeHint() const override;
    // The strip's height for that many cores: nothing for none.
    static int heightFor(qsizetype cores);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<double> cores_;
};

}  // namespace moravel
