#pragma once

#include <QAbstractButton>

namespace moravel {

// A labelled on/off switch: the label on the left, a mint track with a round
// knob on the right edge. Qt has no switch control, so it is painted.
// User changes arrive through clicked(bool); setChecked never emits clicked.
class SettingsSwitch final : public QAbstractButton {
    Q_OBJECT

public:
    explicit SettingsSwitch(const QString& label, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Where the track is drawn, for the tests that look at its colour.
    QRectF trackRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace moravel
