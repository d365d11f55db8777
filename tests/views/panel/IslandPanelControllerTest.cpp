#include "ViewTestSupport.h"

#include "testsupport/FakeScreens.h"
#include "testsupport/FakeWindowSystem.h"
#include "island/IslandWindowPolicy.h"
#include "testsupport/Snapshots.h"
#include "views/collapsed/CollapsedIslandPainter.h"
#include "views/collapsed/CollapsedIslandView.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/kit/IslandScale.h"
#include "views/panel/IslandPanel.h"
#include "views/panel/IslandPanelController.h"
#include "views/panel/IslandRootView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QVariantAnimation>

#include <gtest/gtest.h>

using namespace moravel;

namespace {

using fixtures::FakeScreens;
using moravel::testing::pressKey;

class PanelControllerTest : public ::testing::Test, protected moravel::testing::ViewServices {
protected:
    PanelControllerTest() { updater.canCheck = false; }
    // The controller sizes every view of the process: the next test starts at 100 %.
    ~PanelControllerTest() override { IslandScale::setFactor(1); }

    IslandPanelController& make(std::optional<QString> expanded = std::nullopt,
                                IslandWindowMode mode = IslandWindowMode::dock)
    {
        auto fake = std::make_unique<FakeScreens>();
        screens = fake.get();
        screens->list = {FakeScreens::screen({0, 0, 1512, 982}, NotchDeclaration{200, 32}),
                         FakeScreens::screen({1512, -200, 1920, 1080})};
        auto fakeWindows = std::make_unique<fixtures::FakeWindowSystem>();
        windows = fakeWindows.get();
        windows->active = {terminal, false, false, {}};
        // Every reading there, so that each takes its frame in the collapsed row.
        telemetry->initial = fixtures::busySnapshot();
        monitor.replaceSource(telemetry);
        controller = std::make_unique<IslandPanelController>(
            IslandPanelController::Services{monitor, updater, coordinator, defaults, scheduler, loginItem}, std::move(fake),
            std::move(fakeWindows), expanded, mode);
        return *controller;
    }

    // The collapsed island centred at the top of `area`, as wide as the
    // geometry makes the readings shown: the widths are the reading table's.
    QRect collapsedFrame(const QRect& area) const
    {
        const IslandState& state = controller->state();
        return islandFrame(area, state.displayGeometry().panelSize(false, state.visibleCollapsedMetricKinds(),
                                                                   CollapsedIslandPainter::widthsFor(monitor.snapshot())));
    }

    // The pointer told to the island's window at `global`: moved, entering or leaving.
    void pointer(QEvent::Type type, QPoint global = {})
    {
        QWidget& panel = controller->panel();
        const QPoint local = panel.mapFromGlobal(global);
        if (type == QEvent::MouseMove) {
            QMouseEvent move(type, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&panel, &move);
        } else if (type == QEvent::Enter) {
            QEnterEvent enter(local, local, global);
            QApplication::sendEvent(&panel, &enter);
        } else {
            QEvent leave(type);
            QApplication::sendEvent(&panel, &leave);
        }
    }

    // A press on the collapsed island, as a click begins.
    void pressIsland()
    {
        auto* root = controller->panel().findChild<IslandRootView*>();
        moravel::testing::sendMouse(*root->collapsedLayer(), QEvent::MouseButtonPress, {20, 20});
    }

    FakeScreens* screens = nullptr;
    fixtures::FakeWindowSystem* windows = nullptr;
    std::unique_ptr<IslandPanelController> controller;
    static constexpr WindowId terminal = 0x40000c;
};

}  // namespace

TEST(PanelFrame, PreferredScreenIsTheMainOneWhereverThePointerIs)
{
    FakeScreens screens;
    EXPECT_FALSE(preferredScreen(screens));
    screens.list = {FakeScreens::screen(QRect(0, 0, 100, 100)), FakeScreens::screen(QRect(100, 0, 100, 100))};
    screens.pointer = QPoint(150, 50);
    EXPECT_EQ(preferredScreen(screens)->frame.x(), 0);
}

// Collapsed over the notch of the primary screen; started open, the expanded
// frame, taller and wider below a notch. The island stays on the primary
// screen wherever the pointer is, and follows it when another becomes primary.
TEST_F(PanelControllerTest, PlacesTheIslandOverTheNotchOnThePrimaryScreenAndFollowsIt)
{
    auto& collapsed = make();
    collapsed.updateFrame(false, false);
    EXPECT_EQ(collapsed.state().displayGeometry(), (IslandDisplayGeometry{200, 32}));
    // Centred at the top of the screen, over the notch, as wide as its readings need.
    EXPECT_EQ(collapsed.panel().geometry(), collapsedFrame(QRect(0, 0, 1512, 982)));

    auto& c = make(QStringLiteral("1"));
    screens->pointer = QPoint(2000, 10);
    c.updateFrame(c.state().isExpanded(), false);
    EXPECT_EQ(c.panel().geometry().size(), QSize(597, 458));
    screens->list.swapItemsAt(0, 1);  // the other screen becomes the primary one
    screens->changed();
    EXPECT_EQ(c.state().displayGeometry(), IslandDisplayGeometry{});
    EXPECT_EQ(c.panel().geometry(), QRect(1512 + 670, -200, 580, 440));
}

TEST_F(PanelControllerTest, ChangingTheReadingsResizesOnlyWhileCollapsed)
{
    auto& c = make();
    c.updateFrame(false, false);
    c.state().setCollapsedMetric(MetricKind::network, false);
    EXPECT_EQ(c.targetFrame().width(), 489);  // cpu, memory | power: both sides 113 wide
    EXPECT_TRUE(c.isAnimatingFrame());
    c.state().setCollapsedMetric(MetricKind::power, false);
    EXPECT_EQ(c.targetFrame().width(), 359);  // cpu | memory

    c.state().requestExpansion();
    const QRect expanded = c.targetFrame();
    c.state().setCollapsedMetric(MetricKind::network, true);
    EXPECT_EQ(c.targetFrame(), expanded);  // nothing until the island collapses
    c.state().requestCollapse(true);
    scheduler.advance(1);
    EXPECT_EQ(c.targetFrame().width(), 489);  // network | cpu, memory
}

// Escape anywhere unpins and closes the island, unless an interaction (the
// settings) is presented; after a press gave the island the keyboard, it
// goes back to the window that had it.
TEST_F(PanelControllerTest, EscapeClosesUnlessAnInteractionIsPresentedAndGivesTheKeyboardBack)
{
    auto& c = make(QStringLiteral("1"));
    c.installEventMonitor();
    QWidget target;
    c.state().beginInteraction();
    pressKey(target, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(c.state().isLockedOpen());
    EXPECT_TRUE(c.state().showsExpandedContent());
    c.state().endInteraction();
    pressKey(target, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_FALSE(c.state().isLockedOpen());
    EXPECT_FALSE(c.state().showsExpandedContent());
    scheduler.advance(1);
    EXPECT_FALSE(c.state().isExpanded());

    pressIsland();
    c.state().toggleLockedOpen();
    windows->moravelFocused = true;
    pressKey(c.panel(), Qt::Key_Escape);
    EXPECT_EQ(windows->activated, QList<WindowId>{terminal});
}

TEST_F(PanelControllerTest, FollowsTheWorkAreaOfItsScreenAndStepsAsideForFullscreen)
{
    auto& c = make();
    screens->list.swapItemsAt(0, 1);
    c.updateFrame(false, false);
    c.orderFront();
    // Without the window system's reckoning, the toolkit's work area counts.
    screens->list[0].workArea = QRect(1512, -200 + 30, 1920, 1050);  // a 30 px top panel
    screens->changed();
    EXPECT_EQ(c.panel().geometry(), collapsedFrame(QRect(1512, -170, 1920, 1050)));

    windows->setActive({terminal, false, true, QRect(1512, -200, 1920, 1080)});
    EXPECT_FALSE(c.panel().isVisible());
    windows->setActive({terminal, false, false, QRect(1512, -200, 1920, 1080)});
    EXPECT_TRUE(c.panel().isVisible());
}

// Maximised windows start below the collapsed island: it reserves its room
// (a strut), which it leaves out when it works out where to sit, once the
// work area has been read without it. The open island floats over windows;
// the settings switch and the unmanaged mode reserve nothing.
TEST_F(PanelControllerTest, KeepsWindowsClearOfTheCollapsedIsland)
{
    auto& c = make();
    screens->list = {FakeScreens::screen({0, 0, 1440, 900}), FakeScreens::screen({1440, 0, 1440, 900})};
    const Strut panel = *Strut::fromPartial({0, 0, 30, 0, 0, 0, 0, 0, 0, 1439, 0, 0});
    windows->setReservations(DesktopReservations{{2880, 900}, {panel}, std::nullopt});
    const QRect collapsed = collapsedFrame(QRect(0, 30, 1440, 870));
    EXPECT_EQ(collapsed.height(), 40);
    EXPECT_EQ(c.panel().geometry(), collapsed);
    EXPECT_EQ(c.reservedFrame(), std::nullopt);
    scheduler.advance(0.5);
    EXPECT_EQ(c.reservedFrame(), collapsed);
    ASSERT_FALSE(windows->struts.isEmpty());
    EXPECT_EQ(windows->struts.last(), islandStrut(collapsed));

    // GNOME's work area, which includes the island's own strut.
    windows->setReservations(DesktopReservations{{2880, 900}, {}, QList<QRect>{{0, 70, 1440, 830}}});
    EXPECT_EQ(c.panel().geometry(), collapsed);

    const qsizetype published = windows->struts.size();
    c.state().requestExpansion();
    EXPECT_EQ(c.targetFrame().size(), QSize(580, 440));
    EXPECT_EQ(c.reservedFrame(), collapsed);
    c.state().setCollapsedMetric(MetricKind::network, false);  // narrower where it was: at once
    c.state().requestCollapse(true);
    scheduler.advance(1);
    EXPECT_EQ(windows->struts.size(), published + 1);
    EXPECT_EQ(c.reservedFrame()->top(), 30);

    // Onto another monitor: no room kept until its work area is read without it.
    screens->list.swapItemsAt(0, 1);
    screens->changed();
    EXPECT_EQ(c.reservedFrame(), std::nullopt);
    EXPECT_EQ(windows->struts.last(), std::nullopt);
    windows->setReservations(DesktopReservations{{2880, 900}, {}, QList<QRect>{{1440, 32, 1440, 868}}});
    scheduler.advance(0.5);
    EXPECT_EQ(c.reservedFrame()->top(), 32);

    c.state().setKeepsWindowsClear(false);
    EXPECT_EQ(windows->struts.last(), std::nullopt);
    EXPECT_EQ(c.reservedFrame(), std::nullopt);
    EXPECT_EQ(defaults.data(QString::fromLatin1(IslandState::keepsWindowsClearKey)), QByteArrayLiteral("false"));

    auto& unmanaged = make(std::nullopt, IslandWindowMode::unmanaged);
    unmanaged.updateFrame(false, false);
    scheduler.advance(1);
    EXPECT_TRUE(windows->struts.isEmpty());
}

// A press, or an alert pinning the island, gives it the keyboard; unmanaged,
// it grabs the keyboard while pinned instead of asking the window manager.
TEST_F(PanelControllerTest, TakesTheKeyboardOnAPressOrWhenPinned)
{
    auto& c = make();
    c.installEventMonitor();
    const auto island = static_cast<WindowId>(c.panel().winId());
    pressIsland();
    EXPECT_EQ(windows->keyboardTaken, QList<WindowId>{island});
    windows->moravelFocused = true;
    c.state().setLockedOpen(true);  // by the click, while the island has the keyboard
    c.state().setLockedOpen(false);
    windows->moravelFocused = false;
    c.state().setLockedOpen(true);  // an alert
    EXPECT_EQ(windows->keyboardTaken, (QList<WindowId>{island, island}));

    auto& unmanaged = make(std::nullopt, IslandWindowMode::unmanaged);
    unmanaged.installEventMonitor();
    pressIsland();
    unmanaged.state().setLockedOpen(true);
    EXPECT_TRUE(windows->keyboardTaken.isEmpty());
    EXPECT_TRUE(unmanaged.panel().windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
}

// The island opens on hover only once the pointer really is over it: not on
// an enter under the position reported at start, nor after Escape until the
// pointer has left and moved away from where it was.
TEST_F(PanelControllerTest, OpensOnHoverOnlyAfterARealEnter)
{
    auto& c = make();
    c.installEventMonitor();
    c.updateFrame(false, false);
    pointer(QEvent::Enter);  // the pointer position at start is (0, 0)
    EXPECT_FALSE(c.state().isPointerInside());
    pointer(QEvent::MouseMove, {700, 10});
    EXPECT_TRUE(c.state().isPointerInside());
    EXPECT_TRUE(c.state().isExpanded());

    screens->pointer = QPoint(700, 10);
    pressKey(c.panel(), Qt::Key_Escape);
    EXPECT_FALSE(c.state().isPointerInside());
    pointer(QEvent::MouseMove, {700, 30});
    scheduler.advance(1);
    EXPECT_FALSE(c.state().isExpanded());
    pointer(QEvent::Leave, {});
    pointer(QEvent::Enter, {700, 10});
    pointer(QEvent::MouseMove, {700, 10});  // the pointer has not moved
    EXPECT_FALSE(c.state().isPointerInside());
    pointer(QEvent::MouseMove, {701, 10});
    EXPECT_TRUE(c.state().isPointerInside());
}

// The island opens and closes inside a window that holds both shapes: the
// window is placed at the start and at the end only; at every step between,
// its shape is exactly the body painted (no black square corner under a
// compositor, nothing painted where the window is clear), centred where the
// frame has got to, and the pointer in the clear part is not over the island.
TEST_F(PanelControllerTest, MorphsInsideOneWindowShapedLikeTheBody)
{
    auto& c = make();
    c.installEventMonitor();
    c.updateFrame(false, false);
    QWidget& panel = c.panel();
    auto* root = panel.findChild<IslandRootView*>();
    const auto shapeMismatches = [&] {
        const QImage painted = moravel::testing::renderWidget(*root);
        int mismatches = 0;
        for (int y = 0; y < panel.height(); ++y)
            for (int x = 0; x < panel.width(); ++x) {
                const QPoint p(x, y);
                const bool paints = root->geometry().contains(p) && qAlpha(painted.pixel(p - root->pos())) > 0;
                mismatches += paints != panel.mask().contains(p);
            }
        return mismatches;
    };
    for (const bool opening : {true, false}) {
        SCOPED_TRACE(opening ? "opening" : "closing");
        const QRect from = panel.geometry();
        if (opening) {
            pointer(QEvent::MouseMove, panel.geometry().center());  // hovering opens it
        } else {
            c.state().requestCollapse(true);
            scheduler.advance(1);
        }
        const QRect to = c.targetFrame();
        ASSERT_NE(to.size(), from.size());
        QVariantAnimation* morph = nullptr;
        for (auto* animation : c.findChildren<QVariantAnimation*>())
            if (animation->state() == QAbstractAnimation::Running)
                morph = animation;
        ASSERT_TRUE(morph);
        for (const double step : {0.0, 0.3, 0.6, 0.9}) {
            morph->setCurrentTime(static_cast<int>(step * morph->duration()));
            EXPECT_EQ(panel.geometry(), from.united(to)) << step;
            EXPECT_EQ(panel.mask().boundingRect().translated(panel.pos()), morph->currentValue().toRect()) << step;
            EXPECT_EQ(shapeMismatches(), 0) << step;
        }
        if (opening) {
            const QPoint clear = panel.mapToGlobal(QPoint(0, panel.height() - 1));  // below the growing body
            pointer(QEvent::MouseMove, clear);
            EXPECT_FALSE(c.state().isPointerInside());
            pointer(QEvent::Leave);
            pointer(QEvent::Enter, clear);
            EXPECT_FALSE(c.state().isPointerInside());
            pointer(QEvent::MouseMove, panel.mapToGlobal(QPoint(panel.width() / 2, 2)));
            EXPECT_TRUE(c.state().isPointerInside());
        }
        morph->setCurrentTime(morph->duration());
        EXPECT_EQ(panel.geometry(), to);
        EXPECT_EQ(root->geometry(), panel.rect());
        EXPECT_EQ(shapeMismatches(), 0);
    }
    const QSize before = panel.size();
    panel.resize(before + QSize(40, 0));  // as a window manager might
    QResizeEvent resized(panel.size(), before);
    QApplication::sendEvent(&panel, &resized);
    EXPECT_EQ(root->geometry(), panel.rect());
    EXPECT_EQ(shapeMismatches(), 0);
}

TEST_F(PanelControllerTest, RootViewLayersFollowThePhases)
{
    auto& c = make();
    c.updateFrame(false, false);
    auto* root = c.panel().findChild<IslandRootView*>();
    ASSERT_TRUE(root);
    EXPECT_FALSE(root->expandedLayer());
    EXPECT_FALSE(root->collapsedLayer()->testAttribute(Qt::WA_TransparentForMouseEvents));

    c.state().requestExpansion();  // Opening: present, invisible, not hit-testable
    ASSERT_TRUE(root->expandedLayer());
    EXPECT_EQ(root->currentExpandedLook(), (IslandRootView::LayerLook{0, -10}));
    EXPECT_TRUE(root->expandedLayer()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(monitor.isProcessTelemetryActive());

    scheduler.advance(0.065);  // Expanded: only the dashboard takes the pointer
    EXPECT_FALSE(root->expandedLayer()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(root->collapsedLayer()->testAttribute(Qt::WA_TransparentForMouseEvents));

    c.state().requestCollapse(true);
    scheduler.advance(0.055);  // removed at once when the panel starts shrinking
    EXPECT_FALSE(root->expandedLayer());
    EXPECT_FALSE(monitor.isProcessTelemetryActive());
}

// The island's size: 125 % on a screen of one device pixel per pixel, the
// choice once made, and smaller again where the open island would not fit a
// small logical screen (1280x720 at 200 % is 640x360).
TEST_F(PanelControllerTest, SizeFollowsTheScreenTheChoiceAndTheRoomThereIs)
{
    auto& c = make(QStringLiteral("1"));
    screens->list = {FakeScreens::screen({0, 0, 1920, 1080}, std::nullopt, 1)};
    screens->changed();
    c.updateFrame(true, false);
    EXPECT_EQ(c.state().displayGeometry().scale, 1.25);
    EXPECT_EQ(c.panel().geometry().width(), 725);
    c.state().setSizePercent(150);
    EXPECT_EQ(c.panel().geometry().width(), 870);
    EXPECT_NEAR(c.panel().geometry().height(), 660, 2);  // whole pixels per row

    screens->list = {FakeScreens::screen({0, 0, 640, 360})};
    screens->changed();
    c.updateFrame(true, false);
    const QRect small = c.panel().geometry();
    EXPECT_LT(c.state().displayGeometry().scale, 1);
    EXPECT_TRUE(QRect(0, 0, 640, 360).contains(small)) << small.width() << "x" << small.height();
}
