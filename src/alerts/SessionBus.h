#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace moravel {

// Whether the user's session bus answers, asked before Qt is let near it.
//
// Qt connects to the session bus on the main thread (its accessibility
// bridge does as the first window shows), and libdbus then waits for good on
// a bus that takes the connection but never answers: a stopped daemon, a
// socket nobody serves. The probe asks from a thread of its own that nothing
// ever waits for, quitting included.
class SessionBusProbe {
public:
    enum class Answer { pending, answered, absent };

    // Starts asking the bus DBUS_SESSION_BUS_ADDRESS names, or else the one
    // libdbus would find.
    SessionBusProbe();
    ~SessionBusProbe();
    SessionBusProbe(const SessionBusProbe&) = delete;
    SessionBusProbe& operator=(const SessionBusProbe&) = delete;

    // The bus's address, as libdbus takes it.
    const QString& address() const { return address_; }
    // The answer so far, waiting at most `deadline` for one.
    Answer waitForAnswer(std::chrono::milliseconds deadline) const;
    // Runs `answered` on the main thread once the bus answers, if it ever
    // does and `context` still exists then.
    void whenAnswered(QObject* context, std::function<void()> answered);

private:
    struct State;

    QString address_;
    std::shared_ptr<State> state_;
};

// From now on, Qt's session bus connection fails at once instead of waiting
// on a bus that does not answer. Call before the application object exists.
void keepQtOffTheSessionBus();

}  // namespace moravel
