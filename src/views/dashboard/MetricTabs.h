#pragma once

#include "monitor/MetricTypes.h"
#include "views/kit/DampedSpring.h"

#include <QWidget>

class QVariantAnimation;

namespace moravel {

// The row of tabs that choose what the activity chart plots. The selected
// tab sits on a faint capsule that glides on a spring to a newly selected
// tab. A click, or Left and Right while the row has the keyboard, only
// reports the tab; the owner decides and calls setSelected.
class MetricTabs final : public QWidget {
    Q_OBJECT

public:
    static constexpr int rowHeight = 32;
    // The spring the highlight moves on.
    static constexpr DampedSpring highlightSpring{0.28, 0.86};

    explicit MetricTabs(QWidget* parent = nullptr);

    // The tabs the machine has readings for (no GPU tab without a GPU's load).
    // Tabs that come later (the sensors, read a second after the rest) fade
    // in after those shown, which keep their places; the next time the row
    // is shown, every tab is in the table's order.
    void setAvailable(const QList<MetricKind>& kinds);
    static constexpr int appearMilliseconds = 240;
    const QList<MetricKind>& available() const { return available_; }

    void setSelected(MetricKind kind, bool animated = true);
    MetricKind selected() const { return selected_; }

    QRectF tabRect(MetricKind kind) const;
    QRectF highlightRect() const { return highlight_; }
    bool isAnimating() const;
    // Jumps a gliding highlight to its place.
    void finishAnimation();

    QSize sizeHint() const override;

signals:
    void tabClicked(moravel::MetricKind kind);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int tabAt(const QPointF& position) const;
    void setHighlight(const QRectF& rect);

    QList<MetricKind> available_;
    MetricKind selected_ = MetricKind::overview;
    QRectF highlight_;
    QRectF glideFrom_;
    QVariantAnimation* glide_ = nullptr;
    QVariantAnimation* appear_ = nullptr;
    QList<MetricKind> appearing_;
    int pressedTab_ = -1;
};

}  // namespace moravel
