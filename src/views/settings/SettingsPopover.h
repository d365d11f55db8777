#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class QScrollArea;

namespace moravel {

class DesktopClickCatcher;
class PointerPressWatcher;

// The window the settings open in. The island panel is only as tall as the
// dashboard, so the settings float in their own frameless window, centred
// under it. It grabs neither pointer nor keyboard: a press anywhere outside
// closes it and still reaches what was pressed, as does the keyboard moving to
// another application (or to the shell); Escape closes it before it closes the
// island. Either way, and on close(), dismissed() follows.
class SettingsPopover final : public QWidget {
    Q_OBJECT

public:
    static constexpr int gap = 6;

    // Takes ownership of `content` and sizes itself to it. Presses on
    // `opener` (the button that toggles the settings) are left to it.
    SettingsPopover(QWidget* content, QWidget* parent, QWidget* opener = nullptr);
    ~SettingsPopover() override;

    QWidget* content() const { return content_; }
    // Opens centred under `anchorBottomCentre` (global coordinates), `gap`
    // below it, on the screen that point is on. Where the screen is too short
    // for the settings, they rise over what is above the anchor, up to
    // `highestTop`, and only then scroll.
    void popUp(const QPoint& anchorBottomCentre, int highestTop);
    // Closes it for a press at `globalPosition` outside it and its opener.
    void pointerPressed(const QPoint& globalPosition);

signals:
    void dismissed();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitToContent();

    QPointer<QWidget> content_;
    QPointer<QWidget> opener_;
    QScrollArea* scrollArea_ = nullptr;
    PointerPressWatcher* pressWatcher_ = nullptr;
    std::unique_ptr<DesktopClickCatcher> desktopCatcher_;
    int maximumHeight_ = QWIDGETSIZE_MAX;
};

}  // namespace moravel
