#pragma once

#include <QCoreApplication>

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

}  // namespace moravel::fixtures
