#pragma once

#include <QPointer>
#include <QWidget>

namespace moravel {


// The window the settings open in. The island panel is only as tall as the
// dashboard, so the settings float in their own frameless popup just below
// it. A click anywhere outside closes the popup, as does close(); either way
// dismissed() follows.
class SettingsPopover final : public QWidget {
    Q_OBJECT

public:
    static constexpr int gap = 6;

    // Takes ownership of `content` and sizes itself to it.
    SettingsPopover(QWidget* content, QWidget* parent);

    QWidget* content() const { return content_; }
    // Opens with its top centre `gap` below `anchorBottomCentre` (global
    // coordinates), kept on the screen that point is on.
    void popUp(const QPoint& anchorBottomCentre);

signals:
    void dismissed();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<QWidget> content_;
};

}  // namespace moravel
