#pragma once

#include "island/IslandDisplayGeometry.h"
#include "monitor/MetricTypes.h"
#include "views/kit/DashboardLayout.h"
#include "views/kit/IslandViewServices.h"

#include <QPointer>
#include <QWidget>

#include <array>

namespace moravel {

class ActivitySection;
class CpuCoreStrip;
class ExpandedHeader;
class HealthRail;
class MachinesTab;
class MetricTabs;
class PowerFlowSection;
class ProcessLeaderboard;
class RevealColumn;
class GpuList;
class SensorList;
class IslandSettingsView;
class SettingsPopover;
enum class ProcessLoadKind;

// The dashboard the island shows when it is open: header, tabs, the activity
// chart, the health rail, the process cards and the power section, revealed
// top to bottom in four quick steps once the content is shown. It exists only
// while the island is open, and the process table is read only while it does.
class ExpandedIslandView final : public QWidget {
    Q_OBJECT

public:
    using Services = IslandViewServices;

    // Points, at the island's size factor.
    static constexpr int sidePadding = 16;
    static constexpr int bottomPadding = 10;
    static constexpr int sectionPadding = 7;
    static constexpr int revealSteps = 4;
    static constexpr std::array<double, revealSteps> revealDelays{0, 0.04, 0.08, 0.12};

    // The dashboard for a machine: 580 by 440 points (deeper below a notch),
    // or taller where its rows need more room with the desktop's fonts (a
    // strip for the processor's cores, the power diagram's fork), so that
    // nothing is ever cut off and no tab changes the island's height.
    static QSize sizeFor(const IslandDisplayGeometry& geometry, const SystemSnapshot& snapshot);

    explicit ExpandedIslandView(Services services, QWidget* parent = nullptr);
    ~ExpandedIslandView() override;

    QSize sizeHint() const override;

signals:
    // The dashboard needs another size (another machine, a processor with
    // more cores); the panel follows.
    void preferredSizeChanged();

public:
    // How many reveal steps have run, 0 to 4.
    int revealPhase() const;
    // The history the chart draws; held back while the panel is morphing.
    const MetricHistory& renderedHistory() const { return renderedHistory_; }
    bool showsSettings() const { return showSettings_; }
    // Opens the settings, as the gear does.
    void openSettings();

    ExpandedHeader* header() const { return header_; }
    MetricTabs* tabs() const { return tabs_; }
    ActivitySection* activitySection() const { return activity_; }
    CpuCoreStrip* coreStrip() const { return coreStrip_; }
    SensorList* sensorList() const { return sensorList_; }
    GpuList* gpuList() const { return gpuList_; }
    MachinesTab* machinesTab() const { return machines_; }
    // The selected tab, or the overview while the machine lacks its readings.
    MetricKind shownTab() const;
    HealthRail* healthRail() const { return rail_; }
    ProcessLeaderboard* leaderboard(ProcessLoadKind kind) const;
    PowerFlowSection* powerSection() const { return power_; }
    SettingsPopover* settingsPopover() const;

    // Jumps every running reveal, tab and power transition to its end, for
    // a still picture.
    void finishTransitions();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildRows();
    void connectSources();
    void placeRows();
    void startSectionReveal();
    void setRenderedHistory(const MetricHistory& history);
    void applySnapshot(const SystemSnapshot& snapshot);
    void applyProcesses();
    void applySourceState();
    void selectMetric(MetricKind metric);
    void showTab(bool animated);
    // Takes the size the machine's rows need, and lays them out again.
    void fitToContent();
    void setShowSettings(bool show);
    // Hangs the open settings from the gear, below the tabs wherever they are now.
    void placeSettings();
    IslandSettingsView* makeSettingsContent();

    Services services_;
    SystemSnapshot snapshot_;
    QSize size_;
    qsizetype sizedForCores_ = 0;
    MetricHistory latestHistory_;
    MetricHistory renderedHistory_;
    bool showSettings_ = false;

    ExpandedHeader* header_ = nullptr;
    MetricTabs* tabs_ = nullptr;
    ActivitySection* activity_ = nullptr;
    CpuCoreStrip* coreStrip_ = nullptr;
    SensorList* sensorList_ = nullptr;
    GpuList* gpuList_ = nullptr;
    MachinesTab* machines_ = nullptr;
    HealthRail* rail_ = nullptr;
    QWidget* processRow_ = nullptr;
    std::array<ProcessLeaderboard*, 2> cards_{};
    QWidget* powerRow_ = nullptr;
    PowerFlowSection* power_ = nullptr;
    QPointer<SettingsPopover> settingsPopover_;
    RevealColumn* column_ = nullptr;
};

}  // namespace moravel
