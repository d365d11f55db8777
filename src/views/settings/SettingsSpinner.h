#pragma once

#include <QWidget>

class QVariantAnimation;

namespace moravel {

// A small indeterminate progress indicator: an arc that turns while the
// widget is on screen and stands still otherwise.
class SettingsSpinner final : public QWidget {
public:
    explicit SettingsSpinner(int side, QWidget* parent = nullptr);

    bool isSpinning() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QVariantAnimation* rotation_;
    double angle_ = 0;
};

}  // namespace moravel
