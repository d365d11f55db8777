#pragma once

#include <QWidget>

namespace moravel {

class IslandState;
class Scheduler;
class SystemMonitor;
class UpdateCheckCoordinator;
class Updater;

// The dashboard the island shows when it is open.
class ExpandedIslandView final : public QWidget {
    Q_OBJECT

public:
    struct Services {
        SystemMonitor& monitor;
        IslandState& state;
        Updater& updater;
        UpdateCheckCoordinator& updateCheckCoordinator;
        Scheduler& scheduler;
    };

    explicit ExpandedIslandView(Services services, QWidget* parent = nullptr);
    ~ExpandedIslandView() override;

    QSize sizeHint() const override;

private:
    Services services_;
};

}  // namespace moravel
