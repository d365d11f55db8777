#pragma once

#include "island/CollapsedMetricConfiguration.h"

#include <QList>
#include <QWidget>

namespace moravel {

// One reading as the settings list shows it.
struct SettingsMetricRow {
    MetricKind kind = MetricKind::network;
    bool isVisible = true;
    // False for the last visible reading: its checkbox cannot be unticked.
    bool canToggle = true;

    friend bool operator==(const SettingsMetricRow&, const SettingsMetricRow&) = default;
};

// The collapsed readings in their order around the camera: one row per kind
// with a checkbox and a drag handle. Rows are dragged with the pointer (from
// anywhere outside the checkbox) and dropped between two others; the list
// itself never reorders, it asks for the move and waits for new rows.
// From the keyboard, Up and Down move the focus along the rows, Space ticks
// the focused one, Alt+Up and Alt+Down move it as a drag by one row does.
// Screen readers find a list of check boxes that can be moved.
class SettingsMetricList final : public QWidget {
    Q_OBJECT

public:
    static constexpr int rowHeight = 30;
    // Room for every collapsed reading of the table, with an inset above and below.
    static int listHeight();

    explicit SettingsMetricList(QWidget* parent = nullptr);

    // Replacing the rows ends a drag that is under way.
    void setRows(const QList<SettingsMetricRow>& rows);
    const QList<SettingsMetricRow>& rows() const { return rows_; }

    QRectF rowRect(int index) const;
    // The checkbox with its title: a press here toggles instead of dragging.
    QRectF toggleRect(int index) const;
    // The gap (0 = before the first row, rows().size() = after the last) that
    // the pointer at `y` points to while dragging.
    int dropOffsetAt(double y) const;

    // Finishes a drag of row `fromOffset` released at gap `toOffset`. Every
    // drop ends here; dropping a row next to itself moves nothing.
    void dropRow(int fromOffset, int toOffset);
    // Ticks or unticks row `index`, where it can be.
    void toggleRow(int index);
    // Moves row `index` one place up (-1) or down (+1); the focus goes with it.
    void moveRow(int index, int direction);
    // The row the keyboard is on.
    int focusedRow() const { return focusedRow_; }

    QSize sizeHint() const override;

signals:
    void visibilityToggled(moravel::MetricKind kind, bool isVisible);
    // Offsets and destination in the list's usual move meaning: the
    // destination counts positions before the move.
    void moveRequested(const QList<int>& fromOffsets, int toOffset);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int rowAt(double y) const;
    void paintRow(QPainter& painter, int index, const QRectF& rect) const;
    void paintCheckbox(QPainter& painter, const QRectF& box, bool checked) const;
    void paintDropIndicator(QPainter& painter) const;
    void cancelPress();

    QList<SettingsMetricRow> rows_;
    int pressedIndex_ = -1;
    QPointF pressPosition_;
    bool pressedOnToggle_ = false;
    bool isDragging_ = false;
    double dragY_ = 0;
    int focusedRow_ = 0;
};

}  // namespace moravel
