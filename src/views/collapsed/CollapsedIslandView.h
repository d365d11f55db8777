#pragma once

#include "views/collapsed/CollapsedIslandLayout.h"
#include "views/collapsed/CollapsedIslandPainter.h"

#include <QWidget>

namespace moravel {

class IslandState;
class SystemMonitor;

// The collapsed island: compact readings beside the camera (or in one centred
// row on a screen without a notch). It keeps nothing of its own and repaints
// whenever the snapshot, the visible readings or the screen geometry change.
// A click pins the island open, or unpins it. Assistive technologies see one
// element, "Moravel system monitor", whose value reads out every reading.
class CollapsedIslandView : public QWidget {
    Q_OBJECT

public:
    // The readings' opacity while the machine they are of is out of reach.
    static constexpr double dimmedOpacity = 0.4;

    CollapsedIslandView(SystemMonitor& monitor, IslandState& state, QWidget* parent = nullptr);

    // What is drawn right now.
    CollapsedContent content() const;
    // Where the readings, separators and camera gap lie in this widget.
    CollapsedIslandLayout readingLayout() const;
    QString accessibilitySummary() const;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What one reading shows: its texts and colours, in one comparable string.
    static QString readingText(MetricKind kind, const SystemSnapshot& snapshot);
    void contentChanged();
    void layoutChanged();
    bool showPowerToolTip(const QPoint& position, const QPoint& globalPosition);

    SystemMonitor& monitor_;
    IslandState& state_;
    bool isPressed_ = false;
    // The readings as last drawn, so that a new snapshot repaints only the
    // readings whose text or colour changed.
    QList<QString> drawnReadings_;
    QSizeF drawnFrame_;
};

}  // namespace moravel
