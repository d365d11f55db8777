#pragma once

namespace moravel {

class IslandState;
class LoginItem;
class Scheduler;
class SystemMonitor;
class UpdateCheckCoordinator;
class Updater;

// The long-lived objects the island's views work with. All outlive the views.
struct IslandViewServices {
    SystemMonitor& monitor;
    IslandState& state;
    Updater& updater;
    UpdateCheckCoordinator& updateCheckCoordinator;
    Scheduler& scheduler;
    LoginItem& loginItem;
};

}  // namespace moravel
