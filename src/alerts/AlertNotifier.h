#pragma once

#include "alerts/AlertText.h"

#include <QObject>

namespace moravel {

// Where alerts are shown: desktop notifications in production, a recorder in
// tests.
class AlertNotifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void show(const AlertNotification& notification) = 0;

signals:
    // The user chose this notification (clicked it).
    void activated(const moravel::AlertNotification& notification);
};

}  // namespace moravel
