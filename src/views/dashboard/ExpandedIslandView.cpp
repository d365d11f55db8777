#include "views/dashboard/ExpandedIslandView.h"

#include "history/HistoryRecorder.h"
#include "island/IslandState.h"
#include "monitor/FleetRules.h"
#include "monitor/ReadingTable.h"
#include "monitor/SystemMonitor.h"
#include "support/Scheduler.h"
#include "views/chart/ActivityChart.h"
#include "views/chart/ActivitySection.h"
#include "views/dashboard/CpuCoreStrip.h"
#include "views/dashboard/DashboardRules.h"
#include "views/dashboard/ExpandedHeader.h"
#include "views/dashboard/GpuList.h"
#include "views/dashboard/HealthRail.h"
#include "views/dashboard/MetricTabs.h"
#include "views/dashboard/ProcessLeaderboard.h"
#include "views/dashboard/ProcessLoad.h"
#include "views/dashboard/RevealColumn.h"
#include "views/dashboard/SensorList.h"
#include "views/fleet/MachinesTab.h"
#include "views/kit/DashboardLayout.h"
#include "views/kit/IslandIconButton.h"
#include "views/kit/IslandPalette.h"
#include "views/power/PowerFlowSection.h"
#include "views/settings/IslandSettingsView.h"
#include "views/settings/SettingsMessages.h"
#include "views/settings/SettingsPopover.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

const QString detailSeparator = QStringLiteral("  ·  ");

qsizetype coreCount(const SystemSnapshot& snapshot)
{
    return snapshot.cpu ? snapshot.cpu->corePercents.size() : 0;
}

// The process cards' row, and the lists that take its place on some tabs.
int processRowHeight()
{
    return 2 * pxInt(ExpandedIslandView::sectionPadding) + ProcessLeaderboard::heightFor(3);
}

int powerRowHeight()
{
    return pxInt(ExpandedIslandView::sectionPadding) + PowerFlowSection::openHeight();
}

}  // namespace

QSize ExpandedIslandView::sizeFor(const IslandDisplayGeometry& geometry, const SystemSnapshot& snapshot)
{
    // Each row but the last is followed by a one-pixel divider.
    const int cores = CpuCoreStrip::heightFor(coreCount(snapshot));
    const int rows = pxInt(ExpandedHeader::rowHeight) + 1 + pxInt(MetricTabs::rowHeight) + 1
                     + ActivitySection::preferredHeight() + cores + 1 + HealthRail::preferredHeight() + 1
                     + processRowHeight() + 1 + powerRowHeight();
    const QSizeF least = geometry.expandedSize();
    const double needed = std::ceil(geometry.expandedTopPadding()) + rows + pxInt(bottomPadding);
    return {static_cast<int>(std::ceil(least.width())), static_cast<int>(std::max(std::ceil(least.height()), needed))};
}

ExpandedIslandView::ExpandedIslandView(Services services, QWidget* parent)
    : QWidget(parent),
      services_(services),
      snapshot_(services.monitor.snapshot()),
      latestHistory_(services.monitor.history())
{
    buildRows();
    connectSources();
    size_ = sizeFor(services_.state.displayGeometry(), snapshot_);
    sizedForCores_ = coreCount(snapshot_);
    applySnapshot(snapshot_);
    resize(size_);
    placeRows();  // a hidden widget gets its resize event only when shown

    // Coming on screen: the chart starts from the whole history, the process
    // table is read only while the dashboard exists, and the reveal starts
    // if the content is already shown.
    setRenderedHistory(latestHistory_);
    services_.monitor.setProcessTelemetryActive(true);
    startSectionReveal();
}

ExpandedIslandView::~ExpandedIslandView()
{
    if (settingsPopover_) {
        disconnect(settingsPopover_, nullptr, this, nullptr);
        delete settingsPopover_;
    }
    services_.monitor.setProcessTelemetryActive(false);
}

QSize ExpandedIslandView::sizeHint() const
{
    return size_;
}

void ExpandedIslandView::fitToContent()
{
    sizedForCores_ = coreCount(snapshot_);
    const QSize size = sizeFor(services_.state.displayGeometry(), snapshot_);
    if (size == size_)
        return;
    size_ = size;
    resize(size_);
    updateGeometry();
    placeRows();
    emit preferredSizeChanged();
}

ProcessLeaderboard* ExpandedIslandView::leaderboard(ProcessLoadKind kind) const
{
    return cards_[kind == ProcessLoadKind::cpu ? 0 : 1];
}

void ExpandedIslandView::buildRows()
{
    IslandState& state = services_.state;
    header_ = new ExpandedHeader(this);
    header_->setPinned(state.isLockedOpen());
    tabs_ = new MetricTabs(this);
    activity_ = new ActivitySection(this);
    activity_->setRange(state.chartRange());
    Scheduler& scheduler = services_.scheduler;
    activity_->chart()->setClock([&scheduler] { return scheduler.currentDateTime(); });
    coreStrip_ = new CpuCoreStrip(this);
    rail_ = new HealthRail(this);
    processRow_ = new QWidget(this);
    cards_ = {new ProcessLeaderboard(ProcessLoadKind::cpu, processRow_),
              new ProcessLeaderboard(ProcessLoadKind::memory, processRow_)};
    // The Sensors tab lists its sensors where the process cards are.
    sensorList_ = new SensorList(processRow_);
    sensorList_->hide();
    // And the GPU tab its graphics processors.
    gpuList_ = new GpuList(processRow_);
    gpuList_->hide();
    // A fleet's Machines tab lists them there too, and below, where the power
    // section is: a fleet has neither.
    machines_ = new MachinesTab(processRow_);
    machines_->hide();
    powerRow_ = new QWidget(this);
    power_ = new PowerFlowSection(powerRow_);
    power_->setShowPowerFlow(state.showPowerFlow(), false);


    // Top to bottom; the number is the reveal step a row appears with.
    column_ = new RevealColumn(this, revealSteps);
    column_->addRow(header_, 1, true);
    column_->addDivider(1);
    column_->addRow(tabs_, 2, true);
    column_->addDivider(2);
    column_->addRow(activity_, 2, false);
    column_->addRow(coreStrip_, 2, false);
    column_->addDivider(3);
    column_->addRow(rail_, 3, true);
    column_->addDivider(3);
    column_->addRow(processRow_, 3, false);
    column_->addDivider(4);
    column_->addRow(powerRow_, 4, true);
    showTab(false);
}

int ExpandedIslandView::revealPhase() const
{
    return column_->phase();
}

void ExpandedIslandView::connectSources()
{
    SystemMonitor& monitor = services_.monitor;
    IslandState& state = services_.state;
    connect(&monitor, &SystemMonitor::snapshotChanged, this, &ExpandedIslandView::applySnapshot);
    connect(&monitor, &SystemMonitor::sourceReachabilityChanged, this, &ExpandedIslandView::applySourceState);
    // The reason may change while the machine stays out of reach.
    connect(&monitor, &SystemMonitor::refreshFailed, this, &ExpandedIslandView::applySourceState);
    connect(&monitor, &SystemMonitor::historyChanged, this, [this](const MetricHistory& history) {
        latestHistory_ = history;
        // The chart keeps its data while the panel is changing size.
        if (services_.state.isExpanded() && !services_.state.isMorphing())
            setRenderedHistory(history);
    });
    connect(&state, &IslandState::isExpandedChanged, this, [this](bool expanded) {
        if (expanded)
            setRenderedHistory(latestHistory_);
    });
    connect(&state, &IslandState::isMorphingChanged, this, [this](bool morphing) {
        if (!morphing && services_.state.isExpanded())
            setRenderedHistory(latestHistory_);
    });
    connect(&state, &IslandState::showsExpandedContentChanged, this, [this](bool shows) {
        if (shows)
            startSectionReveal();
        else
            column_->setPhase(0, false);
    });
    connect(&state, &IslandState::selectedMetricChanged, this, &ExpandedIslandView::selectMetric);
    connect(&state, &IslandState::isLockedOpenChanged, header_, &ExpandedHeader::setPinned);
    connect(&state, &IslandState::showPowerFlowChanged, power_, [this](bool show) { power_->setShowPowerFlow(show); });
    connect(&state, &IslandState::displayGeometryChanged, this, &ExpandedIslandView::fitToContent);

    connect(header_->pinButton(), &QAbstractButton::clicked, &state, &IslandState::toggleLockedOpen);
    connect(header_->settingsButton(), &QAbstractButton::clicked, this, [this] {
        services_.state.beginInteraction();
        setShowSettings(!showSettings_);
    });
    connect(tabs_, &MetricTabs::tabClicked, &state, &IslandState::setSelectedMetric);
    connect(machines_, &MachinesTab::machineChosen, &monitor, &SystemMonitor::chooseMachine);
    connect(activity_, &ActivitySection::rangeChosen, &state, &IslandState::setChartRange);
    connect(&state, &IslandState::chartRangeChanged, activity_, &ActivitySection::setRange);
    if (HistoryRecorder* history = services_.history) {
        // The day's chart follows the minutes as they are completed; the
        // shorter ranges draw from the monitor's seconds and need no copy.
        const auto feed = [this, history] {
            if (services_.state.chartRange() == ChartRange::day)
                activity_->chart()->setMinuteBuckets(history->buckets());
        };
        connect(history, &HistoryRecorder::bucketsChanged, this, feed);
        connect(&state, &IslandState::chartRangeChanged, this, feed);
        feed();
    }
    connect(power_, &PowerFlowSection::toggled, this,
            [this] { services_.state.setShowPowerFlow(!services_.state.showPowerFlow()); });
}

// --- Layout and reveal -----------------------------------------------------

void ExpandedIslandView::placeRows()
{
    const int padding = pxInt(sectionPadding);
    const int contentWidth = DashboardLayout::contentPixels();
    const QSize cpuCard = cards_[0]->sizeHint();
    const QSize memoryCard = cards_[1]->sizeHint();
    cards_[0]->setGeometry(0, padding, cpuCard.width(), cpuCard.height());
    cards_[1]->setGeometry(contentWidth - memoryCard.width(), padding, memoryCard.width(), memoryCard.height());

    const int top = static_cast<int>(std::ceil(services_.state.displayGeometry().expandedTopPadding()));
    const QRect content(pxInt(sidePadding), top, contentWidth, std::max(0, height() - pxInt(bottomPadding) - top));
    int used = 0;
    column_->place(content, [&](QWidget* row) {
        // The chart keeps its height on every tab; the CPU tab's core strip
        // has its own room under it, left empty on the other tabs. The power
        // row takes the rest, which is at least the diagram's room; a fleet's
        // Machines tab takes the power row's room too, as a fleet has none.
        const bool listsMachines = shownTab() == MetricKind::machines;
        const int rest = std::max(0, content.height() - used);
        const int rowHeight = row == processRow_ ? (listsMachines ? std::max(processRowHeight(), rest - 1)
                                                                  : processRowHeight())
                              : row == powerRow_ ? (listsMachines ? 0 : rest)
                              : row == coreStrip_ ? CpuCoreStrip::heightFor(coreCount(snapshot_))
                              : row == activity_  ? ActivitySection::preferredHeight()
                                                  : row->sizeHint().height();
        // Each other row is followed by a divider; the core strip belongs to the chart above it.
        used += rowHeight + (row == powerRow_ || row == activity_ ? 0 : 1);
        return rowHeight;
    });
    const QRect list(0, padding, contentWidth, processRowHeight() - 2 * padding);
    sensorList_->setGeometry(list);
    gpuList_->setGeometry(list);
    machines_->setGeometry(0, padding, contentWidth, std::max(0, processRow_->height() - padding));
    power_->setGeometry(0, padding, contentWidth, std::max(0, powerRow_->height() - padding));
}

void ExpandedIslandView::resizeEvent(QResizeEvent*)
{
    placeRows();
}

void ExpandedIslandView::startSectionReveal()
{
    column_->setPhase(0, false);
    if (!services_.state.showsExpandedContent())
        return;
    // Not kept and not cancellable: a step that comes due after the content
    // was hidden finds it hidden and does nothing.
    for (int step = 1; step <= revealSteps; ++step) {
        services_.scheduler.runAfter(revealDelays[static_cast<size_t>(step - 1)], this, [this, step] {
            if (services_.state.showsExpandedContent())
                column_->setPhase(step, true);
        });
    }
}

void ExpandedIslandView::finishTransitions()
{
    column_->finish();
    tabs_->finishAnimation();
    power_->finishTransition();
    placeSettings();
}

void ExpandedIslandView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    column_->paintDividers(painter);
}

// --- Data ------------------------------------------------------------------

void ExpandedIslandView::setRenderedHistory(const MetricHistory& history)
{
    renderedHistory_ = history;
    activity_->chart()->setHistory(history);
}

void ExpandedIslandView::applySnapshot(const SystemSnapshot& snapshot)
{
    snapshot_ = snapshot;
    if (snapshot.fleet)
        machines_->setFleet(*snapshot.fleet);
    applySourceState();
    showTab(true);
    rail_->setSnapshot(snapshot);
    power_->setSnapshot(snapshot);
    applyProcesses();
}

void ExpandedIslandView::applySourceState()
{
    const SystemMonitor& monitor = services_.monitor;
    const QString machine = monitor.machineName();
    const bool reachable = monitor.isSourceReachable();
    const std::optional<FleetReading>& fleet = snapshot_.fleet;
    // A fleet's header names the fleet, and the machine shown where one is chosen.
    header_->setMachineName(fleet && fleet->chosen ? shortMachineName(*fleet->chosen) : machine);
    // While the machine is out of reach the readings are its last ones: the
    // header says so, the rest is greyed, and the chart waits for new samples.
    header_->setStatus(headerStatus(snapshot_, machine, reachable));
    header_->setStatusDetail(monitor.sourceFailure());
    column_->setDimmed(!reachable);
    const QString processes = !snapshot_.topProcesses
                                  ? QStringLiteral("Not available from %1").arg(machine)
                                  : QStringLiteral("Collecting…");
    for (ProcessLeaderboard* card : cards_)
        card->setEmptyText(processes);
}

void ExpandedIslandView::applyProcesses()
{
    const int before = std::max(cards_[0]->sizeHint().height(), cards_[1]->sizeHint().height());
    for (ProcessLeaderboard* card : cards_)
        card->setProcesses(topProcesses(snapshot_.topProcesses.value_or(QList<ProcessMetric>()), card->kind()),
                           snapshot_.memory ? snapshot_.memory->total : 0);
    if (std::max(cards_[0]->sizeHint().height(), cards_[1]->sizeHint().height()) != before)
        placeRows();
}

void ExpandedIslandView::selectMetric(MetricKind)
{
    showTab(true);
}

MetricKind ExpandedIslandView::shownTab() const
{
    const MetricKind selected = services_.state.selectedMetric();
    return ReadingTable::availableTabs(snapshot_).contains(selected) ? selected : MetricKind::overview;
}

void ExpandedIslandView::showTab(bool animated)
{
    const MetricKind metric = shownTab();
    const MetricKind wasShown = tabs_->selected();
    tabs_->setAvailable(ReadingTable::availableTabs(snapshot_));
    tabs_->setSelected(metric, animated);
    // Beside the machines, the chart gives the overview of the one shown.
    const MetricKind charted = metric == MetricKind::machines ? MetricKind::overview : metric;
    activity_->chart()->setMetric(charted);
    activity_->setLegend(chartLegend(charted, snapshot_));
    activity_->setDetail(ReadingTable::tabDetails(charted, snapshot_).join(detailSeparator),
                         ReadingTable::spokenTabDetails(charted, snapshot_));
    // The strip's room stays on every tab; only the CPU tab draws the cores in it.
    const bool showsCores = metric == MetricKind::cpu && snapshot_.cpu;
    coreStrip_->setCores(showsCores ? snapshot_.cpu->corePercents : QList<double>());
    // The Sensors, GPU and Machines tabs list what they chart where the
    // process cards are.
    const bool showsSensors = metric == MetricKind::temperature;
    const bool showsGpus = metric == MetricKind::gpu;
    const bool listsMachines = metric == MetricKind::machines;
    sensorList_->setLines(sensorLines(snapshot_));
    sensorList_->setVisible(showsSensors);
    gpuList_->setGpus(snapshot_.gpus.value_or(QList<GpuReading>()));
    gpuList_->setVisible(showsGpus);
    machines_->setVisible(listsMachines);
    // The machines take the power row's room: nothing of it is left to show.
    power_->setVisible(!listsMachines);
    for (ProcessLeaderboard* card : cards_)
        card->setVisible(!showsSensors && !showsGpus && !listsMachines);
    // Only a processor with more (or fewer) cores than before asks for another
    // size; the machines take the power section's room.
    if (coreCount(snapshot_) != sizedForCores_)
        fitToContent();
    else if (wasShown != metric && (wasShown == MetricKind::machines || listsMachines))
        placeRows();
}

// --- Settings --------------------------------------------------------------

SettingsPopover* ExpandedIslandView::settingsPopover() const
{
    return settingsPopover_.data();
}

IslandSettingsView* ExpandedIslandView::makeSettingsContent()
{
    auto* settings = new IslandSettingsView(services_.state, services_.updater, services_.updateCheckCoordinator,
                                            services_.loginItem, services_.alerts, services_.history);
    if (services_.sourceSelector)
        settings->addSourceSection(*services_.sourceSelector);
    return settings;
}

void ExpandedIslandView::openSettings()
{
    services_.state.beginInteraction();
    setShowSettings(true);
}

void ExpandedIslandView::setShowSettings(bool show)
{
    if (show == showSettings_)
        return;
    showSettings_ = show;
    if (!show) {
        if (SettingsPopover* popover = settingsPopover_.data()) {
            settingsPopover_ = nullptr;
            popover->hide();
            popover->deleteLater();
        }
        return;
    }
    IslandSettingsView* settings = makeSettingsContent();
    QAbstractButton* gear = header_->settingsButton();
    auto* popover = new SettingsPopover(settings, this, gear, settings->messages());
    settingsPopover_ = popover;
    connect(popover, &SettingsPopover::dismissed, this, [this, popover] {
        popover->deleteLater();
        if (settingsPopover_ == popover) {
            settingsPopover_ = nullptr;
            setShowSettings(false);
        }
    });
    // The tabs and the island move as the dashboard opens or changes size,
    // or the screen does: the settings follow.
    tabs_->installEventFilter(this);
    window()->installEventFilter(this);
    // Opened from the keyboard (the gear takes no focus from a click), the
    // settings take it. (Not isActiveWindow(): that holds while the
    // settings, a tool window of the island, are active.)
    const bool openedByKeyboard = QApplication::activeWindow() == window() && gear->hasFocus();
    connect(popover, &SettingsPopover::escaped, this, [this] {
        giveKeyboardTo(window());
        header_->settingsButton()->setFocus(Qt::TabFocusReason);
    });
    placeSettings();
    popover->show();
    popover->raise();
    if (openedByKeyboard) {
        popover->focusFirstControl();
        giveKeyboardTo(popover);
        // Closed by a pointer, the keyboard goes where the press sends it;
        // only a grab the island held comes back.
        connect(popover, &SettingsPopover::dismissed, this, [this] { giveKeyboardTo(nullptr); });
    }
}

void ExpandedIslandView::giveKeyboardTo(QWidget* target)
{
    if (services_.giveKeyboardTo)
        services_.giveKeyboardTo(target);
    else if (target)
        target->activateWindow();
}

void ExpandedIslandView::placeSettings()
{
    SettingsPopover* popover = settingsPopover_.data();
    if (!popover)
        return;
    // In the same place on every screen: over the dashboard's rows, never
    // across the tabs.
    QRect area;
    if (services_.screenArea)
        area = services_.screenArea();
    else if (const QScreen* screen = QGuiApplication::screenAt(mapToGlobal(QPoint(0, 0))))
        area = screen->availableGeometry();
    QAbstractButton* gear = header_->settingsButton();
    popover->placeAt(QRect(gear->mapToGlobal(QPoint(0, 0)), gear->size()),
                     tabs_->mapToGlobal(QPoint(0, tabs_->height())).y(), area);
}

bool ExpandedIslandView::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && (watched == tabs_ || watched == window()))
        placeSettings();
    return QWidget::eventFilter(watched, event);
}

}  // namespace moravel
