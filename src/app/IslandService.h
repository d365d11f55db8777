#pragma once

#include "monitor/MetricTypes.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace moravel {

class IslandState;

// Where a running island answers on the session bus: a keyboard shortcut
// bound to `moravel --toggle` reaches it here.
namespace IslandBus {
inline constexpr char serviceName[] = "org.moravel.Island";
inline constexpr char objectPath[] = "/org/moravel/Island";
inline constexpr char interfaceName[] = "org.moravel.Island";
inline constexpr char unknownTabError[] = "org.moravel.Island.Error.UnknownTab";

// The tab named `name` ("cpu", "Sensors": a tab's title in any case);
// nothing for a name that is no tab.
std::optional<MetricKind> tabNamed(const QString& name);
// "overview, cpu, memory, ...", for messages.
QString tabNames();
}  // namespace IslandBus

// The island's methods on the bus: Toggle, Open (on a tab, or where it was
// for an empty name) and Close. Opened this way the island is pinned, so it
// takes the keyboard, and shows the keyboard focus from the start.
class IslandService final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.moravel.Island")

public:
    // `takeKeyboard` gives the opened island the keyboard (the window system's way).
    explicit IslandService(IslandState& state, std::function<void()> takeKeyboard = {}, QObject* parent = nullptr);

    // Offers the methods on `connection` and owns the service name there;
    // false (with the bus's reason in `problem`) when another owns it.
    bool publishOn(const QDBusConnection& connection, QString* problem);

public slots:
    void Toggle();
    void Open(const QString& tab);
    void Close();

private:
    void open(std::optional<MetricKind> tab);

    IslandState& state_;
    std::function<void()> takeKeyboard_;
};

}  // namespace moravel
