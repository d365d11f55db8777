#pragma once

#include "support/Scheduler.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace moravel {

// A help text and the part of the screen it is about, in global coordinates.
struct ToolTip {
    QString text;
    QRect area;
};

// A widget whose help text depends on where the pointer is over it.
class ToolTipSource {
public:
    // The help text at `position` (the widget's coordinates), if any.
    virtual std::optional<ToolTip> toolTipAt(const QPoint& position) const = 0;

protected:
    ~ToolTipSource() = default;
};

// The island's help texts: the text of the part under the pointer shows once
// the pointer has rested there `delaySeconds`, whether or not the island's
// window is active (the island never takes the keyboard on hover), drawn in
// the island's colours; it goes as the pointer leaves the part, presses or
// types. While this exists, the toolkit's own pale help box never shows.
class IslandToolTips final : public QObject {
    Q_OBJECT

public:
    static constexpr double delaySeconds = 0.6;

    explicit IslandToolTips(Scheduler& scheduler, QObject* parent = nullptr);
    ~IslandToolTips() override;

    // The text on screen; empty while none is.
    QString shownText() const;
    // The window the text is drawn in.
    QWidget& window() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TipWindow;

    void pointerMoved(QWidget* window, const QPoint& globalPosition);
    void showTip();
    void hideTip();

    Scheduler& scheduler_;
    TaskSlot delay_;
    std::unique_ptr<TipWindow> tip_;
    QPointer<QWidget> hovered_;  // the window under the pointer
    QPoint pointer_;
    double lastMove_ = 0;
    std::optional<QRect> shownArea_;
};

}  // namespace moravel
