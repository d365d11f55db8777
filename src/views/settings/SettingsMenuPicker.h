#pragma once

#include <QComboBox>

namespace moravel {

// A pop-up menu in the island's colours: the chosen entry on a dark field
// with a mint arrow box. The open menu is the ordinary combo box list.
class SettingsMenuPicker final : public QComboBox {
    Q_OBJECT

public:
    explicit SettingsMenuPicker(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace moravel
