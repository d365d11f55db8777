#include "app/DisplayCheck.h"

#include "support/PrintableExcerpt.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include <xcb/xcb.h>

namespace moravel {

// Shared with the connecting thread, which may outlive the check: xcb_connect
// has no deadline of its own and waits as long as the server does.
struct X11DisplayCheck::Attempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool isFinished = false;
    bool isAbandoned = false;
    xcb_connection_t* connection = nullptr;

    void connect(const QByteArray& display)
    {
        xcb_connection_t* made = xcb_connect(display.constData(), nullptr);
        const std::lock_guard lock(mutex);
        if (isAbandoned) {
            xcb_disconnect(made);
            return;
        }
        connection = made;
        isFinished = true;
        finished.notify_all();
    }
    // Under the mutex.
    void release()
    {
        isAbandoned = true;
        if (connection)
            xcb_disconnect(std::exchange(connection, nullptr));
    }
};

X11DisplayCheck::X11DisplayCheck(std::chrono::milliseconds deadline)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        problem_ = QStringLiteral("moravel: no X display to show the island on (DISPLAY is not set; under Wayland "
                                  "Moravel runs through XWayland)");
        return;
    }
    attempt_ = std::make_shared<Attempt>();
    std::thread([attempt = attempt_, display] { attempt->connect(display); }).detach();
    std::unique_lock lock(attempt_->mutex);
    const QString shown = printableExcerpt(QString::fromLocal8Bit(display));
    if (!attempt_->finished.wait_for(lock, deadline, [this] { return attempt_->isFinished; }))
        problem_ =
            QStringLiteral("moravel: the display \"%1\" does not answer (its X server may be frozen)").arg(shown);
    else if (xcb_connection_has_error(attempt_->connection) != 0)
        problem_ = QStringLiteral("moravel: cannot open the display \"%1\" (no X server there, or not one this user "
                                  "may use)")
                       .arg(shown);
    if (problem_)
        attempt_->release();
}

X11DisplayCheck::~X11DisplayCheck()
{
    close();
}

void X11DisplayCheck::close()
{
    if (!attempt_)
        return;
    const std::lock_guard lock(attempt_->mutex);
    attempt_->release();
}

}  // namespace moravel
