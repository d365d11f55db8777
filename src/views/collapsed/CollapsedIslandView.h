#pragma once

#include "views/collapsed/CollapsedIslandLayout.h"
#include "views/collapsed/CollapsedIslandPainter.h"
#include "views/kit/IslandToolTips.h"

#include <QWidget>

namespace moravel {

class AccessibleAnnouncer;
class IslandState;
class Scheduler;
class SystemMonitor;

// The collapsed island: compact readings beside the camera (or in one centred
// row on a screen without a notch). It keeps nothing of its own and repaints
// whenever the snapshot, the visible readings or the screen geometry change.
// A click pins the island open, or unpins it. Assistive technologies see
// each reading as an element of its own, named by its title ("CPU"), with
// its value as text ("23 percent").
class CollapsedIslandView : public QWidget, public ToolTipSource {
    Q_OBJECT

public:
    // The readings' opacity while the machine they are of is out of reach.
    static constexpr double dimmedOpacity = 0.4;

    CollapsedIslandView(SystemMonitor& monitor, IslandState& state, Scheduler& scheduler, QWidget* parent = nullptr);

    // What is drawn right now.
    CollapsedContent content() const;
    // Where the readings, separators and camera gap lie in this widget.
    CollapsedIslandLayout readingLayout() const;
    // What a screen reader says of one reading's value ("23 percent").
    QString spokenReading(MetricKind kind) const;

    QSize sizeHint() const override;
    // Over the power reading, where the power comes from and goes.
    std::optional<ToolTip> toolTipAt(const QPoint& position) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What one reading shows: its texts and colours, in one comparable string.
    static QString readingText(MetricKind kind, const SystemSnapshot& snapshot);
    static QString styledText(MetricKind kind, const SystemSnapshot& snapshot);
    void contentChanged();
    void layoutChanged();
    void announceReadings();

    SystemMonitor& monitor_;
    IslandState& state_;
    AccessibleAnnouncer* announcer_ = nullptr;
    bool isPressed_ = false;
    // The readings as last drawn, so that a new snapshot repaints only the
    // readings whose text or colour changed.
    QList<QString> drawnReadings_;
    QSizeF drawnFrame_;
};

}  // namespace moravel
