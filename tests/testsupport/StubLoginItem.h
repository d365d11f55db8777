#pragma once

#include "support/LoginItem.h"

#include <QList>

namespace moravel::fixtures {

// A login item that remembers its state and succeeds unless told to fail.
class StubLoginItem final : public LoginItem {
public:
    bool isEnabled() const override { return enabled; }
    bool setEnabled(bool value) override
    {
        requests.append(value);
        if (fails)
            return false;
        enabled = value;
        return true;
    }

    QString failureMessage() const override { return message; }

    bool enabled = false;
    bool fails = false;
    QString message;  // said after a failure
    QList<bool> requests;
};

}  // namespace moravel::fixtures
