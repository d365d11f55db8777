#pragma once

#include <QPointer>
#include <QWidget>

class QScrollArea;

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
    // coordinates), kept on the screen that point is on. Content taller than
    // the room left below scrolls.
    void popUp(const QPoint& anchorBottomCentre);

signals:
    void dismissed();

protected:
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitToContent();

    QPointer<QWidget> content_;
    QScrollArea* scrollArea_ = nullptr;
    int maximumHeight_ = QWIDGETSIZE_MAX;
};

}  // namespace moravel
