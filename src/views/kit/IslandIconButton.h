#pragma once

#include <QAbstractButton>

namespace moravel {

// The small round icon button of the expanded header: a symbol in the
// secondary colour on a faint circle while held down. Only the circle
// reacts to the pointer; Tab reaches it, Space and Enter press it.
class IslandIconButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit IslandIconButton(const QString& symbol = {}, QWidget* parent = nullptr);

    void setSymbol(const QString& symbol);
    QString symbol() const { return symbol_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QRectF circleRect() const;

    QString symbol_;
};

}  // namespace moravel
