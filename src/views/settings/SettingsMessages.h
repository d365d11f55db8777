#pragma once

#include <QWidget>

class QLabel;

namespace moravel {

// What the settings could not do: an address or credentials file refused,
// choices that cannot be saved, history that cannot be written, the autostart
// entry, alerts that cannot be shown. One line each while it holds, all in the
// one error colour, below the column's controls. The popover keeps the lines
// in view under its scrolling column, so that a line coming or going moves no
// control under the pointer. Hidden while there is none.
class SettingsMessages final : public QWidget {
    Q_OBJECT

public:
    explicit SettingsMessages(QWidget* parent = nullptr);

    // A new message line, hidden until it is shown.
    QLabel* add(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace moravel
