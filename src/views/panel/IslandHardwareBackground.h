#pragma once

#include <QPainterPath>
#include <QWidget>

namespace moravel {

// The island's black body: the notch outline on a notched screen, a rounded
// rectangle elsewhere. Everything outside the outline stays transparent.
class IslandHardwareBackground : public QWidget {
    Q_OBJECT
public:
    explicit IslandHardwareBackground(QWidget* parent = nullptr);

    void setNotch(double notchWidth, double notchDepth);
    double notchWidth() const { return notchWidth_; }
    double notchDepth() const { return notchDepth_; }

    // The body's outline for a panel rectangle and notch size.
    static QPainterPath bodyPath(const QRectF& rect, double notchWidth, double notchDepth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double notchWidth_ = 0;
    double notchDepth_ = 0;
};

}  // namespace moravel
