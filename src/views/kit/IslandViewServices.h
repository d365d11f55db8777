#pragma once

#include <QRect>

#include <functional>

class QWidget;

namespace moravel {

class AlertCenter;
class HistoryRecorder;
class IslandState;
class LoginItem;
class Scheduler;
class SourceSelector;
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
    // The alert rules and the day's history; without them the settings offer
    // no alerts and the chart's day range stays empty.
    AlertCenter* alerts = nullptr;
    HistoryRecorder* history = nullptr;
    // Where the settings switch the machine watched; none: no "Source" section.
    SourceSelector* sourceSelector = nullptr;
    // Where on the desktop the island's windows may reach: the work area of
    // its screen, in global coordinates. None: the toolkit's screen there.
    std::function<QRect()> screenArea = {};
    // Moves the keyboard to one of the island's windows (the settings, or
    // back to the island) in the window system's way; to none: the settings
    // closed, the island takes back only a grab it held. None: the toolkit's.
    std::function<void(QWidget* window)> giveKeyboardTo = {};
};

}  // namespace moravel
