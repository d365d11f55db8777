#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <memory>

class QScrollArea;

namespace moravel {

class DesktopClickCatcher;
class PointerPressWatcher;

// The window the settings open in. The island panel is only as tall as the
// dashboard, so the settings float in their own frameless window: a dark
// panel with an edge, a shadow and an arrow pointing up at the button that
// opened them (with no compositor, no shadow, and the window cut to the panel
// and its arrow). It grabs no pointer: a press anywhere outside closes it and
// still reaches what was pressed, as does the keyboard moving to another
// application (or to the shell). Given the keyboard (opened from it), its
// first control takes the focus and Tab stays inside it. Escape closes it
// before it closes the island, and escaped() says so. Either way, and on
// close(), dismissed() follows.
class SettingsPopover final : public QWidget {
    Q_OBJECT

public:
    // Between the edge it hangs from and the arrow's tip.
    static constexpr int gap = 4;

    // Takes ownership of `content`, which scrolls, and of `footer`, which
    // stays in view under it, and sizes itself to them. Presses on `opener`
    // (the button that toggles the settings) are left to it.
    SettingsPopover(QWidget* content, QWidget* parent, QWidget* opener = nullptr, QWidget* footer = nullptr);
    ~SettingsPopover() override;

    QWidget* content() const { return content_; }
    // Hangs below `top` inside `area` (global coordinates), its arrow under
    // the centre of `anchor` and its right edge just past it; where the area
    // is too short for the settings, they scroll.
    void placeAt(const QRect& anchor, int top, const QRect& area);
    // Closes it for a press at `globalPosition` outside it and its opener.
    void pointerPressed(const QPoint& globalPosition);
    // Focuses its first control, for the keyboard it has been given.
    void focusFirstControl();

    // The panel and its arrow as drawn, in global coordinates.
    QPainterPath outline() const;
    QRect panelGeometry() const;
    QPoint arrowTip() const;
    // Whether the shadow and the translucent margin around the panel show:
    // only where a compositor blends windows.
    bool drawsShadow() const { return translucent_; }

signals:
    void escaped();
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitToContent();
    QPainterPath localOutline() const;

    QPointer<QWidget> content_;
    QPointer<QWidget> footer_;
    QPointer<QWidget> opener_;
    QScrollArea* scrollArea_ = nullptr;
    PointerPressWatcher* pressWatcher_ = nullptr;
    std::unique_ptr<DesktopClickCatcher> desktopCatcher_;
    bool translucent_ = true;
    // Where it was asked to open, kept to place it again as it changes size.
    QRect anchor_;
    int top_ = 0;
    QRect area_;
    // The panel, and the arrow's centre, in the window's coordinates.
    QRect panel_;
    int arrowX_ = 0;
};

}  // namespace moravel
