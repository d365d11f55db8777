#pragma once

#include <QString>

namespace moravel {

// Whether Moravel starts when the user logs in. The settings view reads the
// state once when it is built and changes it only through setEnabled.
class LoginItem {
public:
    virtual ~LoginItem() = default;

    virtual bool isEnabled() const = 0;
    // Registers (true) or removes (false) the start at login. Returns whether
    // the change took effect; on false nothing is promised about the old state.
    virtual bool setEnabled(bool enabled) = 0;
    // After a failed setEnabled: one sentence saying what could not be done
    // and why; empty when nothing more is known.
    virtual QString failureMessage() const { return {}; }
};

}  // namespace moravel
