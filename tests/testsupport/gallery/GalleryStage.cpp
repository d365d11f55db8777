#include "testsupport/gallery/GalleryStage.h"

#include "island/IslandState.h"
#include "monitor/FleetRules.h"
#include "monitor/ReadingTable.h"
#include "monitor/SystemMonitor.h"
#include "monitor/linux/LinuxSource.h"
#include "monitor/remote/RemoteSource.h"
#include "support/BackgroundRunner.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Application.h"
#include "testsupport/FakeScreens.h"
#include "testsupport/FakeSource.h"
#include "testsupport/FakeWindowSystem.h"
#include "testsupport/MachineTrees.h"
#include "testsupport/NodeExporterProcess.h"
#include "testsupport/Snapshots.h"
#include "testsupport/StubLoginItem.h"
#include "testsupport/StubUpdater.h"
#include "updates/UpdateCheckCoordinator.h"
#include "views/dashboard/ExpandedHeader.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/kit/IslandIconButton.h"
#include "views/panel/IslandPanel.h"
#include "views/panel/IslandPanelController.h"
#include "views/panel/IslandRootView.h"
#include "views/settings/SettingsPopover.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <stdexcept>

namespace moravel::gallery {

namespace {

// The desktop around the island in the pictures.
const QColor desktopColor(0x3a, 0x3f, 0x4b);
constexpr int pictureMargin = 24;

// The machine's own readings, but a fixed disk: the real one is the build
// machine's, which would change every picture.
class FixedDiskSource final : public TelemetrySource {
public:
    explicit FixedDiskSource(std::shared_ptr<TelemetrySource> inner) : inner_(std::move(inner)) {}

    QString machineName() const override { return inner_->machineName(); }
    SystemSnapshot initialSnapshot() override { return inner_->initialSnapshot(); }
    void readEverySecond(bool withPower, ReadingDelivery deliver) override
    {
        inner_->readEverySecond(withPower, std::move(deliver));
    }
    void readPower(ReadingDelivery deliver) override { inner_->readPower(std::move(deliver)); }
    void readDisk(ReadingDelivery deliver) override
    {
        deliver({[](SystemSnapshot& s) { s.disk = DiskReading{61.4, 614'000'000'000ULL, 1'000'000'000'000ULL}; }});
    }
    void readProcesses(ReadingDelivery deliver) override { inner_->readProcesses(std::move(deliver)); }
    std::unique_ptr<PowerSourceWatcher> watchPowerSources(std::function<void()>) override { return nullptr; }

private:
    std::shared_ptr<TelemetrySource> inner_;
};

bool isRemote(const QString& machine)
{
    return machine.startsWith(QLatin1String("remote"));
}

// A fleet behind a Prometheus server, from a fixture: "fleet" is seven
// machines, one of them down; "fleet-500" five hundred.
std::optional<int> fleetSize(const QString& machine)
{
    if (machine == QLatin1String("fleet"))
        return 7;
    if (machine == QLatin1String("fleet-500"))
        return 500;
    return std::nullopt;
}

std::shared_ptr<TelemetrySource> fleetSource(int size)
{
    auto source = std::make_shared<fixtures::FakeSource>();
    source->machine = QStringLiteral("prometheus.lan");
    source->everySecond = [fleet = fixtures::fleetOf(size)](SystemSnapshot& next) { next = fleetSnapshot(fleet); };
    return source;
}

}  // namespace

struct GalleryStage::Parts {
    GalleryScene scene;
    VirtualScheduler scheduler;
    ManualRunner runner;
    MemoryDefaultsStore defaults;
    fixtures::StubUpdater updater;
    UpdateCheckCoordinator coordinator{scheduler};
    fixtures::StubLoginItem loginItem;
    std::unique_ptr<fixtures::MachineTree> tree;
    std::unique_ptr<fixtures::NodeExporterProcess> exporter;
    std::unique_ptr<SystemMonitor> monitor;
    fixtures::FakeScreens* screens = nullptr;
    std::unique_ptr<IslandPanelController> controller;
    int second = 0;
    int answers = 0;  // another machine's pages, or its failures

    void tick()
    {
        tree->writeSecond(++second);
        if (!exporter) {
            scheduler.advance(1);
            runner.runAll();
            return;
        }
        const int before = answers;
        scheduler.advance(1);
        // Another machine answers over the network, in its own time (or not
        // at all while it is left alone after failing).
        fixtures::processEventsUntil([&] { return answers > before; }, 2500);
    }
};

GalleryStage::GalleryStage(const GalleryScene& scene, int historySeconds) : parts_(std::make_unique<Parts>())
{
    fixtures::ensureApplication<QApplication>();
    Parts& p = *parts_;
    p.scene = scene;
    p.updater.canCheck = false;
    const std::optional<int> fleet = fleetSize(scene.machine);
    const QString machine = isRemote(scene.machine) || fleet ? QStringLiteral("laptop-on-battery") : scene.machine;
    p.tree = std::make_unique<fixtures::MachineTree>(fixtures::galleryMachine(machine));
    p.tree->writeSecond(0);
    std::shared_ptr<TelemetrySource> source;
    if (fleet) {
        source = fleetSource(*fleet);
    } else if (isRemote(scene.machine)) {
        p.exporter = std::make_unique<fixtures::NodeExporterProcess>(p.tree->tree().root());
        if (!p.exporter->start())
            throw std::runtime_error(p.exporter->failure().toStdString());
        source = std::make_shared<RemoteSource>(RemoteEndpoint{p.exporter->url(), std::nullopt}, p.scheduler);
    } else {
        source = std::make_shared<FixedDiskSource>(
            std::make_shared<LinuxSource>(p.tree->roots(), p.scheduler, p.runner));
    }
    p.monitor = std::make_unique<SystemMonitor>(p.scheduler, source);
    QObject::connect(p.monitor.get(), &SystemMonitor::historyChanged, [&p] { ++p.answers; });
    QObject::connect(p.monitor.get(), &SystemMonitor::refreshFailed, [&p] { ++p.answers; });
    p.monitor->setProcessTelemetryActive(true);
    p.monitor->start();
    p.runner.runAll();
    for (int i = 0; i < historySeconds; ++i)
        p.tick();
    if (scene.machine == QLatin1String("remote-unreachable")) {
        p.exporter->stop();
        p.tick();
        p.tick();
    }

    auto screens = std::make_unique<fixtures::FakeScreens>();
    p.screens = screens.get();
    const QRect frame(QPoint(0, 0), (QSizeF(scene.screen) / scene.devicePixelRatio).toSize());
    screens->list = {fixtures::FakeScreens::screen(frame, scene.notch)};
    screens->list.first().workArea = frame;
    screens->pointer = frame.center();
    p.controller = std::make_unique<IslandPanelController>(
        IslandPanelController::Services{*p.monitor, p.updater, p.coordinator, p.defaults, p.scheduler, p.loginItem},
        std::move(screens), std::make_unique<fixtures::FakeWindowSystem>(), std::nullopt);
    p.controller->orderFront();
    show(scene);
}

GalleryStage::~GalleryStage() = default;

bool GalleryStage::fits(const GalleryScene& scene) const
{
    const GalleryScene& own = parts_->scene;
    return own.machine == scene.machine && own.screen == scene.screen
           && own.devicePixelRatio == scene.devicePixelRatio && own.notch == scene.notch
           && own.sizePercent == scene.sizePercent;
}

void GalleryStage::show(const GalleryScene& scene)
{
    Parts& p = *parts_;
    p.scene = scene;
    IslandState& state = p.controller->state();
    if (scene.everyReading) {
        for (MetricKind kind : ReadingTable::collapsedKinds())
            state.setCollapsedMetric(kind, true);
    } else {
        state.applyLayoutPreset(scene.preset.value_or(CollapsedMetricLayoutPreset::balanced));
    }
    state.setSelectedMetric(scene.tab);
    const bool expanded = scene.view != GalleryScene::View::collapsed;
    state.setLockedOpen(expanded);
    if (expanded)
        state.requestExpansion();
    else
        state.requestCollapse(true);
    p.tick();
    p.controller->updateFrame(expanded, false);

    auto* root = p.controller->panel().findChild<IslandRootView*>();
    ExpandedIslandView* dashboard = root ? root->expandedLayer() : nullptr;
    if (dashboard && scene.view == GalleryScene::View::settings && !dashboard->showsSettings())
        dashboard->header()->settingsButton()->click();
    if (dashboard && scene.view != GalleryScene::View::settings && dashboard->showsSettings())
        dashboard->header()->settingsButton()->click();
    p.tick();
    if (root)
        root->finishTransitions();
    if (dashboard)
        dashboard->finishTransitions();
    QCoreApplication::processEvents();
}

QWidget& GalleryStage::panel() const
{
    return parts_->controller->panel();
}

QWidget* GalleryStage::settings() const
{
    auto* root = parts_->controller->panel().findChild<IslandRootView*>();
    ExpandedIslandView* dashboard = root ? root->expandedLayer() : nullptr;
    return dashboard ? dashboard->settingsPopover() : nullptr;
}

QList<MetricKind> GalleryStage::availableTabs() const
{
    return ReadingTable::availableTabs(parts_->monitor->snapshot());
}

QImage GalleryStage::picture() const
{
    const double ratio = parts_->scene.devicePixelRatio;
    QRect shown = panel().geometry();
    if (QWidget* popover = settings())
        shown = shown.united(popover->geometry());
    const QRect area = shown.adjusted(-pictureMargin, 0, pictureMargin, pictureMargin);
    QImage image((QSizeF(area.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(desktopColor);
    QPainter painter(&image);
    const auto draw = [&](QWidget& window) {
        window.render(&painter, window.geometry().topLeft() - area.topLeft(), QRegion(), QWidget::DrawChildren);
    };
    draw(panel());
    if (QWidget* popover = settings())
        draw(*popover);
    return image;
}

LayoutAudit GalleryStage::audit() const
{
    QWidget& window = panel();
    const IslandDisplayGeometry geometry = parts_->controller->state().displayGeometry();
    const double shoulder = geometry.shoulderWidth();
    return auditWindow(window, QRectF(window.rect()).adjusted(shoulder, 0, -shoulder, 0));
}

}  // namespace moravel::gallery
