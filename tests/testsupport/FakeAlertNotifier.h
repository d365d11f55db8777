#pragma once

#include "alerts/AlertNotifier.h"

namespace moravel::fixtures {

// Records what would have been shown; `click` plays the user choosing one,
// `setService` the notification service coming or going.
class FakeAlertNotifier final : public AlertNotifier {
public:
    void show(const AlertNotification& notification) override { shown.append(notification); }
    void click(AlertRule rule) { emit activated(AlertNotification{rule, {}, {}}); }
    void click(const AlertNotification& notification) { emit activated(notification); }
    void setService(bool present) { setHasService(present); }

    QList<AlertNotification> shown;
};

}  // namespace moravel::fixtures
