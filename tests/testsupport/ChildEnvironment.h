#pragma once

#include <QProcessEnvironment>

namespace moravel::fixtures {

// The environment for the program a test starts: this one's, without a
// session bus. The bus address leads nowhere, so the program neither reaches
// the bus of whoever runs the tests nor, with DISPLAY set, has libdbus start
// one for the display (dbus-launch, which outlives the test), as it does when
// no address is set at all.
inline QProcessEnvironment environmentWithoutSessionBus()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
    environment.remove(QStringLiteral("DBUS_STARTER_ADDRESS"));
    environment.remove(QStringLiteral("DBUS_STARTER_BUS_TYPE"));
    return environment;
}

}  // namespace moravel::fixtures
