#pragma once

#include <QWidget>

namespace moravel {

// A compact value stepper: "−  90 %  +" on a dark capsule. A click on either
// end, or Down and Up while it has the focus, asks for one step down or up;
// Page Down and Page Up for ten. The owner decides the value and shows it
// with setValueText. The wheel does nothing: scrolling the settings must
// not change a threshold on the way. Screen readers find a spin button.
class SettingsStepper final : public QWidget {
    Q_OBJECT

public:
    static constexpr int stepperWidth = 84;
    static constexpr int stepperHeight = 18;

    explicit SettingsStepper(QWidget* parent = nullptr);

    void setValueText(const QString& text);
    const QString& valueText() const { return valueText_; }
    // Whether a step down or up can change anything; an end that cannot is dimmed.
    void setLimits(bool canLower, bool canRaise);

    // Where the ends are, for clicks in the tests.
    QRect lowerRect() const;
    QRect raiseRect() const;

signals:
    void stepped(int steps);  // down when negative: -1 or +1, -10 or +10

public:
    static constexpr int pageSteps = 10;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void step(int steps);

    QString valueText_;
    bool canLower_ = true;
    bool canRaise_ = true;
};

}  // namespace moravel
