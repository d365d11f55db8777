#include "island/IslandJson.h"
#include "island/IslandState.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace moravel;
using K = CollapsedMetricKind;

namespace {

const QString documentKey = QString::fromLatin1(IslandPreferencesStore::storageKey);

// Builds a state in virtual time and records every notification as
// "<milliseconds> <property>=<value>", so tests can check the order and the
// moment of each change, not just where the island ends up.
class StateHarness {
public:
    explicit StateHarness(std::optional<QString> environment = std::nullopt)
    {
        state = std::make_unique<IslandState>(store, scheduler, std::move(environment));
        record();
    }

    void advance(double seconds) { scheduler.advance(seconds); }

    // The notifications since the last call.
    QStringList take() { return std::exchange(log, {}); }

    MemoryDefaultsStore store;
    VirtualScheduler scheduler;
    std::unique_ptr<IslandState> state;
    QStringList log;

private:
    void note(const char* property, const QString& value)
    {
        const long ms = std::lround(scheduler.monotonicSeconds() * 1000);
        log.append(QStringLiteral("%1 %2=%3").arg(ms).arg(QLatin1StringView(property), value));
    }

    void record()
    {
        const auto text = [](bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); };
        IslandState* s = state.get();
        QObject::connect(s, &IslandState::isExpandedChanged, [=, this](bool v) { note("isExpanded", text(v)); });
        QObject::connect(s, &IslandState::showsExpandedContentChanged,
                         [=, this](bool v) { note("content", text(v)); });
        QObject::connect(s, &IslandState::isLockedOpenChanged, [=, this](bool v) { note("lockedOpen", text(v)); });
        QObject::connect(s, &IslandState::isMorphingChanged, [=, this](bool v) { note("morphing", text(v)); });
        QObject::connect(s, &IslandState::isInteractionPresentedChanged,
                         [=, this](bool v) { note("interaction", text(v)); });
        QObject::connect(s, &IslandState::expandOnHoverChanged, [=, this](bool v) { note("hover", text(v)); });
        QObject::connect(s, &IslandState::showPowerFlowChanged, [=, this](bool v) { note("powerFlow", text(v)); });
        QObject::connect(s, &IslandState::selectedMetricChanged,
                         [this](MetricKind v) { note("selectedMetric", rawValue(v)); });
        QObject::connect(s, &IslandState::collapsedMetricPreferencesChanged,
                         [this](const CollapsedMetricPreferences& v) {
                             note("metrics", QString::fromLatin1(encodeCollapsedMetricPreferences(v)));
                         });
        QObject::connect(s, &IslandState::displayGeometryChanged, [this](const IslandDisplayGeometry& g) {
            note("geometry", QStringLiteral("%1x%2").arg(g.notchWidth).arg(g.notchDepth));
        });
    }
};

// A fully open island with the pointer resting on it, and a clean log.
void openWithPointerInside(StateHarness& h)
{
    h.state->setPointerInside(true);
    h.advance(1);
    h.take();
}

}  // namespace

TEST(IslandState, StartUpOverrideFromTheEnvironment)
{
    struct Case {
        std::optional<QString> value;
        bool expanded;
        bool locked;
    };
    const Case cases[] = {{QStringLiteral("1"), true, true},        {QStringLiteral("hover"), true, false},
                          {std::nullopt, false, false},             {QStringLiteral("Hover"), false, false},
                          {QStringLiteral("HOVER"), false, false},  {QStringLiteral("hover "), false, false},
                          {QStringLiteral("true"), false, false},   {QStringLiteral("01"), false, false},
                          {QString(), false, false}};
    for (const Case& c : cases) {
        StateHarness h(c.value);
        EXPECT_EQ(h.state->isExpanded(), c.expanded) << c.value.value_or("<absent>").toStdString();
        EXPECT_EQ(h.state->showsExpandedContent(), c.expanded);
        EXPECT_EQ(h.state->isLockedOpen(), c.locked);
        EXPECT_FALSE(h.state->isMorphing());
        EXPECT_EQ(h.scheduler.pendingCount(), 0);
    }
}

TEST(IslandState, LoadsStoredChoicesWithoutSavingThem)
{
    MemoryDefaultsStore store;
    store.setData(documentKey, R"({"collapsedMetrics":[{"kind":"cpu","isVisible":true}],"expandOnHover":false,)"
                               R"("selectedMetric":"Power","showPowerFlow":false})");
    VirtualScheduler scheduler;
    const int writesBefore = store.writeCount();
    IslandState state(store, scheduler, std::nullopt);
    EXPECT_FALSE(state.expandOnHover());
    EXPECT_EQ(state.selectedMetric(), MetricKind::power);
    EXPECT_FALSE(state.showPowerFlow());
    EXPECT_EQ(state.visibleCollapsedMetricKinds(), (QList<K>{K::cpu, K::network, K::memory, K::power}));
    EXPECT_EQ(store.writeCount(), writesBefore);
}

TEST(IslandState, ExpansionGrowsThePanelThenShowsTheContent)
{
    StateHarness h;
    h.state->requestExpansion();
    h.advance(1);
    EXPECT_EQ(h.take(), (QStringList{"0 morphing=true", "0 isExpanded=true", "65 content=true", "340 morphing=false"}));
    h.state->requestExpansion();
    h.advance(1);
    EXPECT_EQ(h.take(), QStringList{});
}

TEST(IslandState, SecondExpansionWhileOpeningRearmsTheContentDelay)
{
    StateHarness h;
    h.state->requestExpansion();
    h.advance(0.04);
    h.state->requestExpansion();
    h.advance(1);
    EXPECT_EQ(h.take(), (QStringList{"0 morphing=true", "0 isExpanded=true", "105 content=true", "380 morphing=false"}));
}

TEST(IslandState, ForcedCollapseHidesContentThenShrinks)
{
    StateHarness h(QStringLiteral("hover"));
    h.state->requestCollapse(true);
    h.advance(1);
    EXPECT_EQ(h.take(), (QStringList{"0 morphing=true", "0 content=false", "55 isExpanded=false", "340 morphing=false"}));
    h.state->requestCollapse(true);
    h.advance(1);
    EXPECT_EQ(h.take(), QStringList{});
}

TEST(IslandState, PointerRestingThenLeavingClosesAfterTheGracePeriod)
{
    StateHarness h;
    openWithPointerInside(h);
    h.state->setPointerInside(false);
    h.advance(0.379);
    EXPECT_EQ(h.take(), QStringList{});
    h.advance(1);
    EXPECT_EQ(h.take(), (QStringList{"1380 morphing=true", "1380 content=false", "1435 isExpanded=false",
                                     "1720 morphing=false"}));
}

TEST(IslandState, HoverOutAndBackWithinTheGracePeriodStaysOpen)
{
    StateHarness h;
    openWithPointerInside(h);
    h.state->setPointerInside(false);
    h.advance(0.3);
    h.state->setPointerInside(true);
    h.advance(2);
    EXPECT_EQ(h.take(), QStringList{});
    EXPECT_EQ(h.scheduler.pendingCount(), 0);
}

TEST(IslandState, PinnedIslandIgnoresThePointerLeaving)
{
    StateHarness h;
    openWithPointerInside(h);
    h.state->toggleLockedOpen();
    h.state->setPointerInside(false);
    h.advance(2);
    EXPECT_EQ(h.take(), QStringList{"1000 lockedOpen=true"});
    EXPECT_EQ(h.scheduler.pendingCount(), 0);
    EXPECT_TRUE(h.state->showsExpandedContent());
}

TEST(IslandState, UnpinningClosesAtOnceEvenWithThePointerInside)
{
    StateHarness h(QStringLiteral("1"));
    h.state->setPointerInside(true);
    h.state->toggleLockedOpen();
    h.advance(1);
    EXPECT_EQ(h.take(), (QStringList{"0 lockedOpen=false", "0 morphing=true", "0 content=false",
                                     "55 isExpanded=false", "340 morphing=false"}));
    // It stays closed under the resting pointer until the pointer leaves and comes back.
    h.advance(2);
    EXPECT_EQ(h.take(), QStringList{});
    h.state->setPointerInside(false);
    h.advance(0.1);
    h.state->setPointerInside(true);
    h.advance(1);
    EXPECT_EQ(h.take(), (QStringList{"3100 morphing=true", "3100 isExpanded=true", "3165 content=true",
                                     "3440 morphing=false"}));
}

TEST(IslandState, UnforcedCollapseWithThePointerInsideComesBack)
{
    StateHarness h;
    openWithPointerInside(h);
    h.state->requestCollapse(false);
    h.advance(1);
    // The content returns 0.055 + 0.065 s later; the panel never shrinks.
    EXPECT_EQ(h.take(), (QStringList{"1000 morphing=true", "1000 content=false", "1120 content=true",
                                     "1395 morphing=false"}));
    EXPECT_TRUE(h.state->isExpanded());
}

TEST(IslandState, UnforcedCollapseReopensWhilePinnedOrInteracting)
{
    StateHarness h;
    h.state->beginInteraction();
    h.advance(1);
    h.take();
    h.state->requestCollapse(false);
    h.advance(1);
    EXPECT_EQ(h.take(), (QStringList{"1000 morphing=true", "1000 content=false", "1120 content=true",
                                     "1395 morphing=false"}));
}

TEST(IslandState, InteractionKeepsTheIslandOpenUntilItEnds)
{
    StateHarness h;
    openWithPointerInside(h);
    h.state->beginInteraction();
    h.state->setPointerInside(false);
    h.advance(2);
    EXPECT_EQ(h.take(), QStringList{"1000 interaction=true"});
    h.state->endInteraction();
    h.advance(1);
    EXPECT_EQ(h.take(), (QStringList{"3000 interaction=false", "3380 morphing=true", "3380 content=false",
                                     "3435 isExpanded=false", "3720 morphing=false"}));
}

TEST(IslandState, HoverStartClosesAfterTheFirstExit)
{
    StateHarness h(QStringLiteral("hover"));
    h.state->setPointerInside(true);
    h.advance(0.5);
    h.state->setPointerInside(false);
    h.advance(1);
    EXPECT_EQ(h.take(), (QStringList{"880 morphing=true", "880 content=false", "935 isExpanded=false",
                                     "1220 morphing=false"}));
}

TEST(IslandState, WithoutHoverExpansionThePointerOnlyCancelsAClose)
{
    StateHarness h(QStringLiteral("hover"));
    h.state->setExpandOnHover(false);
    h.take();
    h.state->setPointerInside(false);
    h.advance(0.2);
    h.state->setPointerInside(true);
    h.advance(2);
    EXPECT_EQ(h.take(), QStringList{});
    EXPECT_TRUE(h.state->showsExpandedContent());

    StateHarness collapsed;
    collapsed.state->setExpandOnHover(false);
    collapsed.take();
    collapsed.state->setPointerInside(true);
    collapsed.advance(1);
    EXPECT_EQ(collapsed.take(), QStringList{});
}

TEST(IslandState, EachMorphExtendsTheWindow)
{
    StateHarness h;
    h.state->beginMorph();
    h.advance(0.3);
    h.state->beginMorph();
    h.advance(0.3);
    EXPECT_TRUE(h.state->isMorphing());
    h.advance(0.1);
    EXPECT_EQ(h.take(), (QStringList{"0 morphing=true", "640 morphing=false"}));
}

TEST(IslandState, PendingWorkDiesWithTheState)
{
    StateHarness h;
    h.state->requestExpansion();
    h.state->setPointerInside(false);
    h.state.reset();
    h.advance(2);
    EXPECT_EQ(h.scheduler.pendingCount(), 0);
}

TEST(IslandState, PersistedChoicesSaveOnlyWhenTheyChange)
{
    StateHarness h;
    const int writesAfterLoad = h.store.writeCount();
    h.state->setSelectedMetric(MetricKind::overview);
    h.state->setExpandOnHover(true);
    h.state->setShowPowerFlow(true);
    EXPECT_EQ(h.store.writeCount(), writesAfterLoad);
    EXPECT_EQ(h.take(), QStringList{});

    h.state->setSelectedMetric(MetricKind::network);
    EXPECT_EQ(h.take(), QStringList{"0 selectedMetric=Network"});
    EXPECT_EQ(h.store.writeCount(), writesAfterLoad + 2);
    IslandPreferences expected;
    expected.selectedMetric = MetricKind::network;
    EXPECT_EQ(h.store.data(documentKey), encodeIslandPreferences(expected));

    h.state->setShowPowerFlow(false);
    expected.showPowerFlow = false;
    EXPECT_EQ(h.store.data(documentKey), encodeIslandPreferences(expected));
}

TEST(IslandState, ListWritesAlwaysNotifyButPlainWritesDoNotSave)
{
    StateHarness h;
    const int writes = h.store.writeCount();
    const CollapsedMetricPreferences same = h.state->collapsedMetricPreferences();
    h.state->setCollapsedMetricPreferences(same);
    h.state->setCollapsedMetricPreferences(same);
    h.state->setLockedOpen(true);
    h.state->setDisplayGeometry({200, 32});
    h.state->setDisplayGeometry({200, 32});
    const QString list = QString::fromLatin1(encodeCollapsedMetricPreferences(same));
    EXPECT_EQ(h.take(), (QStringList{"0 metrics=" + list, "0 metrics=" + list, "0 lockedOpen=true",
                                     "0 geometry=200x32"}));
    EXPECT_EQ(h.store.writeCount(), writes);
}

TEST(IslandState, TheLastVisibleReadingCannotBeHidden)
{
    StateHarness h;
    h.state->applyLayoutPreset(CollapsedMetricLayoutPreset::minimal);
    h.state->setCollapsedMetric(K::memory, false);
    h.take();
    const int writes = h.store.writeCount();

    EXPECT_FALSE(h.state->canHideCollapsedMetric(K::cpu));
    EXPECT_TRUE(h.state->canHideCollapsedMetric(K::power));
    h.state->setCollapsedMetric(K::cpu, false);
    h.state->setCollapsedMetric(K::power, false);
    EXPECT_EQ(h.take(), QStringList{});
    EXPECT_EQ(h.store.writeCount(), writes);
    EXPECT_TRUE(h.state->isCollapsedMetricVisible(K::cpu));

    h.state->setCollapsedMetric(K::power, true);
    EXPECT_EQ(h.take().size(), 1);
    EXPECT_EQ(h.state->visibleCollapsedMetricKinds(), (QList<K>{K::cpu, K::power}));
    EXPECT_EQ(h.store.data(QString::fromLatin1(CollapsedMetricConfiguration::storageKey)),
              encodeCollapsedMetricPreferences(h.state->collapsedMetricPreferences()));
}

TEST(IslandState, MovesFollowTheUsualListMoveMeaning)
{
    const auto moved = [](const QList<int>& from, int to) {
        StateHarness h;
        h.state->moveCollapsedMetrics(from, to);
        const QList<K> kinds = h.state->visibleCollapsedMetricKinds();
        EXPECT_EQ(h.take().size(), 1);
        EXPECT_EQ(decodeIslandPreferences(*h.store.data(documentKey))->collapsedMetrics,
                  h.state->collapsedMetricPreferences());
        return kinds;
    };
    EXPECT_EQ(moved({0}, 4), (QList<K>{K::cpu, K::memory, K::power, K::network}));
    EXPECT_EQ(moved({3}, 0), (QList<K>{K::power, K::network, K::cpu, K::memory}));
    EXPECT_EQ(moved({0}, 2), (QList<K>{K::cpu, K::network, K::memory, K::power}));
    EXPECT_EQ(moved({3, 1}, 1), (QList<K>{K::network, K::cpu, K::power, K::memory}));
    EXPECT_EQ(moved({0, 2}, 4), (QList<K>{K::cpu, K::power, K::network, K::memory}));
    EXPECT_EQ(moved({1}, 1), (QList<K>{K::network, K::cpu, K::memory, K::power}));
    EXPECT_EQ(moved({-1, 9}, 99), (QList<K>{K::network, K::cpu, K::memory, K::power}));
    EXPECT_EQ(moved({2}, -5), (QList<K>{K::memory, K::network, K::cpu, K::power}));
}

TEST(IslandState, PersistingKeepsTheListAsItIsInMemory)
{
    StateHarness h;
    const CollapsedMetricPreferences duplicated{{K::cpu, true}, {K::cpu, false}};
    h.state->setCollapsedMetricPreferences(duplicated);
    h.state->persistPreferences();
    EXPECT_EQ(h.state->collapsedMetricPreferences(), duplicated);
    EXPECT_EQ(decodeIslandPreferences(*h.store.data(documentKey))->collapsedMetrics,
              CollapsedMetricConfiguration::normalized(duplicated));
}
