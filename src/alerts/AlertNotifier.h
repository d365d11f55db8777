#pragma once

#include "alerts/AlertText.h"

#include <QObject>
#include <QString>

#include <optional>

namespace moravel {

// Where alerts are shown: desktop notifications in production, a recorder in
// tests.
class AlertNotifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void show(const AlertNotification& notification) = 0;
    // Whether something is there to show notifications.
    bool hasService() const { return hasService_; }

signals:
    // The user chose this notification (clicked it).
    void activated(const moravel::AlertNotification& notification);
    // The notification service took an alert, or refused it (`failure` says why).
    void showFinished(const std::optional<QString>& failure);
    void hasServiceChanged(bool hasService);

protected:
    void setHasService(bool hasService)
    {
        if (hasService_ == hasService)
            return;
        hasService_ = hasService;
        emit hasServiceChanged(hasService);
    }

private:
    bool hasService_ = true;
};

}  // namespace moravel
