#pragma once

#include <QWidget>

namespace moravel {

class IslandIconButton;

// The top row of the dashboard: the one-line verdict, the "Live" badge and,
// on the right, the pin and settings buttons. The owner connects the buttons.
// Assistive technologies hear the verdict as a heading.
class ExpandedHeader final : public QWidget {
    Q_OBJECT

public:
    static constexpr int rowHeight = 32;
    // Wide enough for the longest verdict ("Your computer is working hard")
    // at full size in the desktop's usual fonts.
    static constexpr int statusWidth = 230;

    explicit ExpandedHeader(QWidget* parent = nullptr);

    void setStatus(const QString& status);
    QString status() const { return status_; }
    // More about the status, shown when the pointer rests on the header and
    // told to screen readers after it (why another machine cannot be read).
    void setStatusDetail(const QString& detail);
    const QString& statusDetail() const { return statusDetail_; }
    // The machine watched, named in place of "Live"; empty for this computer.
    void setMachineName(const QString& name);
    QString badgeText() const;
    // Swaps the pin's symbol and tooltip.
    void setPinned(bool pinned);

    IslandIconButton* pinButton() const { return pin_; }
    IslandIconButton* settingsButton() const { return settings_; }

    QSize sizeHint() const override;
    // Where the verdict and the badge are drawn.
    QRect statusRect() const;
    QRectF badgeRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void describeStatus();

    QString status_;
    QString statusDetail_;
    QString machineName_;
    IslandIconButton* pin_ = nullptr;
    IslandIconButton* settings_ = nullptr;
};

}  // namespace moravel
