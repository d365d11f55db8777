#pragma once

#include "support/LoginItem.h"

namespace moravel::fixtures {

// A login item that remembers its state and succeeds unless told to fail.
class StubLoginItem final : public LoginItem {
public:
    bool isEnabled() const override { return enabled; }
    bool setEnabled(bool value) override
    {
        if (fails)
            return false;
        enabled = value;
        return true;
    }

    bool enabled = false;
    bool fails = false;
};

}  // namespace moravel::fixtures
