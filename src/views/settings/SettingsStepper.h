#pragma once

#include <QWidget>

namespace moravel {

// A compact value stepper: "−  90 %  +" on a dark capsule. A click on either
// end asks for one step down or up; the owner decides the
// value and shows it with setValueText. The wheel does nothing: scrolling
// the settings must not change a threshold on the way.
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
    void stepped(int direction);  // -1 or +1

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString valueText_;
    bool canLower_ = true;
    bool canRaise_ = true;
};

}  // namespace moravel
