#pragma once

#include <QAbstractButton>

namespace moravel {

// The small round icon button of the expanded header: a symbol in the
// secondary colour on a faint circle while held down; switched on (the pin
// while the island is pinned), the symbol in the accent colour, upright, on
// a circle tinted with it. Only the circle reacts to the pointer; Tab
// reaches it, Space and Enter press it.
class IslandIconButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit IslandIconButton(const QString& symbol = {}, QWidget* parent = nullptr);

    void setSymbol(const QString& symbol);
    QString symbol() const { return symbol_; }
    // Switched off, the symbol is drawn turned by `offAngle` degrees.
    void setOn(bool on, double offAngle = 0);
    bool isOn() const { return on_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QRectF circleRect() const;

    QString symbol_;
    bool on_ = false;
    double offAngle_ = 0;
};

}  // namespace moravel
