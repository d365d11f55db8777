#pragma once

#include "alerts/AlertNotifier.h"

namespace moravel::fixtures {

// Records what would have been shown; `click` plays the user choosing one,
// `answer` the notification service taking one or refusing it, `setService`
// the notification service coming or going.
class FakeAlertNotifier final : public AlertNotifier {
public:
    void show(const AlertNotification& notification) override { shown.append(notification); }
    void click(AlertRule rule) { emit activated(AlertNotification{rule, {}, {}}); }
    void click(const AlertNotification& notification) { emit activated(notification); }
    void answer(const std::optional<QString>& failure) { emit showFinished(failure); }
    void setService(bool present) { setHasService(present); }

    QList<AlertNotification> shown;
};

}  // namespace moravel::fixtures
