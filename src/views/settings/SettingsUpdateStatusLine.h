#pragma once

#include "updates/UpdateCheckCoordinator.h"

#include <QWidget>

class QLabel;

namespace moravel {

class SettingsSpinner;
class SettingsTextButton;

// The line under "Check for Updates…" that tells how the user's own check
// went. Hidden entirely while no check has been made.
class SettingsUpdateStatusLine final : public QWidget {
    Q_OBJECT

public:
    explicit SettingsUpdateStatusLine(QWidget* parent = nullptr);

    void setStatus(const UpdateCheckStatus& status);

    // The text shown for the current status; empty when idle.
    QString text() const;

signals:
    void viewUpdateRequested();

private:
    QWidget* checkingRow_;
    QWidget* upToDateRow_;
    QWidget* availableRow_;
    QLabel* availableLabel_;
    QLabel* failedLabel_;
    SettingsSpinner* spinner_;
    UpdateCheckStatus status_;
};

}  // namespace moravel
