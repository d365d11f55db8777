#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

namespace moravel::fixtures {

// The one application object of a test binary (QApplication for widgets),
// made on first use and never destroyed: tearing Qt's font caches down from
// a static destructor crashes, their thread storage being gone by then.
template <typename Application = QCoreApplication>
void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "moravel-tests";
    static char* argv[] = {name, nullptr};
    new Application(argc, argv);
}

// Runs the event loop until `done` holds. The limit only ends a test that has
// already failed; passing tests never reach it.
inline bool processEventsUntil(const std::function<bool()>& done, int safetyLimitMs = 5000)
{
    const QDeadlineTimer limit(safetyLimitMs);
    while (!done() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

}  // namespace moravel::fixtures
