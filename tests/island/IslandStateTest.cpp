#include "island/IslandJson.h"
#include "island/IslandState.h"
#include "monitor/ReadingTable.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace moravel;
using K = MetricKind;

namespace {

const QString documentKey = QString::fromLatin1(IslandPreferencesStore::storageKey);

QString shown(bool v) { return v ? QStringLiteral("true") : QStringLiteral("false"); }
QString shown(MetricKind v) { return QString::fromLatin1(ReadingTable::of(v).title); }
QString shown(const CollapsedMetricPreferences& v) { return QString::fromLatin1(encodeCollapsedMetricPreferences(v)); }
QString shown(const IslandDisplayGeometry& g) { return QStringLiteral("%1x%2").arg(g.notchWidth).arg(g.notchDepth); }

// Builds a state in virtual time and records every notification as
// "<milliseconds> <property>=<value>", so tests check the order and the moment
// of each change, not just where the island ends up.
class StateHarness {
public:
    // `stored`: the preferences document found in the store at start.
    explicit StateHarness(std::optional<QString> environment = std::nullopt, const QByteArray& stored = {})
    {
        if (!stored.isEmpty())
            store.setData(documentKey, stored);
        state = std::make_unique<IslandState>(store, scheduler, std::move(environment));
        watch(&IslandState::isExpandedChanged, "isExpanded");
        watch(&IslandState::showsExpandedContentChanged, "content");
        watch(&IslandState::isLockedOpenChanged, "lockedOpen");
        watch(&IslandState::isMorphingChanged, "morphing");
        watch(&IslandState::isInteractionPresentedChanged, "interaction");
        watch(&IslandState::expandOnHoverChanged, "hover");
        watch(&IslandState::showPowerFlowChanged, "powerFlow");
        watch(&IslandState::selectedMetricChanged, "selectedMetric");
        watch(&IslandState::collapsedMetricPreferencesChanged, "metrics");
        watch(&IslandState::displayGeometryChanged, "geometry");
    }

    // Runs a script of space-separated steps; "+N" advances N seconds and
    // "clear" forgets what was recorded so far.
    void run(const QString& script)
    {
        IslandState& s = *state;
        for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
            if (step.startsWith(u'+')) scheduler.advance(step.mid(1).toDouble());
            else if (step == u"clear") log.clear();
            else if (step == u"expand") s.requestExpansion();
            else if (step == u"collapse") s.requestCollapse(false);
            else if (step == u"force") s.requestCollapse(true);
            else if (step == u"in") s.setPointerInside(true);
            else if (step == u"out") s.setPointerInside(false);
            else if (step == u"pin") s.toggleLockedOpen();
            else if (step == u"begin") s.beginInteraction();
            else if (step == u"end") s.endInteraction();
            else if (step == u"morph") s.beginMorph();
            else if (step == u"noHover") s.setExpandOnHover(false);
            else ADD_FAILURE() << "unknown step " << step.toStdString();
        }
    }

    QStringList take() { return std::exchange(log, {}); }

    MemoryDefaultsStore store;
    VirtualScheduler scheduler;
    std::unique_ptr<IslandState> state;
    QStringList log;

private:
    template <typename Signal>
    void watch(Signal signal, const char* property)
    {
        QObject::connect(state.get(), signal, [this, property](const auto& value) {
            const long ms = std::lround(scheduler.monotonicSeconds() * 1000);
            log.append(QStringLiteral("%1 %2=%3").arg(ms).arg(QLatin1StringView(property), shown(value)));
        });
    }
};

}  // namespace

// MORAVEL_ISLAND_EXPANDED: "1" starts open and pinned, "hover" open until
// the pointer leaves; anything else, even a near miss, is ignored. The older
// KORVEL_ISLAND_EXPANDED counts only where the new name is unset.
TEST(IslandState, StartUpOverrideFromTheEnvironment)
{
    const std::tuple<std::optional<QString>, bool, bool> cases[] = {
        {"1", true, true}, {"hover", true, false}, {std::nullopt, false, false},
        {"Hover", false, false}, {"01", false, false}, {QString(), false, false}};
    for (const auto& [value, expanded, locked] : cases) {
        SCOPED_TRACE(value.value_or("<absent>").toStdString());
        StateHarness h(value);
        EXPECT_EQ(h.state->isExpanded(), expanded);
        EXPECT_EQ(h.state->showsExpandedContent(), expanded);
        EXPECT_EQ(h.state->isLockedOpen(), locked);
        EXPECT_FALSE(h.state->isMorphing());
        EXPECT_EQ(h.scheduler.pendingCount(), 0);
    }

    const std::tuple<const char*, const char*, std::optional<QString>> names[] = {
        {nullptr, nullptr, std::nullopt}, {"1", nullptr, "1"}, {nullptr, "hover", "hover"}, {"hover", "1", "hover"},
        {"", "1", ""}};
    const auto set = [](const char* name, const char* value) { value ? qputenv(name, value) : qunsetenv(name); };
    for (const auto& [moravel, korvel, read] : names) {
        set(IslandState::expandedEnvironmentVariable, moravel);
        set(IslandState::legacyExpandedEnvironmentVariable, korvel);
        EXPECT_EQ(IslandState::expandedEnvironmentFromProcess(), read);
    }
    set(IslandState::expandedEnvironmentVariable, nullptr);
    set(IslandState::legacyExpandedEnvironmentVariable, nullptr);
}

// Each row scripts pointer moves, requests and time, and lists every
// notification the island must send on the way, with its moment in ms.
TEST(IslandState, TransitionSequences)
{
    const QStringList close{"morphing=true", "content=false", "isExpanded=false", "morphing=false"};
    const auto at = [](const QList<int>& ms, const QStringList& changes) {
        QStringList timed;
        for (qsizetype i = 0; i < changes.size(); ++i)
            timed.append(QStringLiteral("%1 %2").arg(ms[i]).arg(changes[i]));
        return timed;
    };
    const QStringList opening{"morphing=true", "isExpanded=true", "content=true", "morphing=false"};
    const QStringList bounce = at({1000, 1000, 1120, 1395},
                                  {"morphing=true", "content=false", "content=true", "morphing=false"});
    const struct {
        const char* name;
        std::optional<QString> environment;
        const char* script;
        QStringList expected;
    } rows[] = {
        {"expansion grows the panel, then shows content; a second one is a no-op", {}, "expand +1 expand +1",
         at({0, 0, 65, 340}, opening)},
        {"a second expansion while opening re-arms the content delay", {}, "expand +0.04 expand +1",
         at({0, 0, 105, 380}, opening)},
        {"forced collapse hides content, then shrinks; a second one is a no-op", "hover", "force +1 force +1",
         at({0, 0, 55, 340}, close)},
        {"pointer leaving closes after 0.38 s", {}, "in +1 clear out +1", at({1380, 1380, 1435, 1720}, close)},
        {"hover out and back within 0.38 s stays open", {}, "in +1 clear out +0.3 in +2", {}},
        {"a pinned island ignores the pointer leaving", {}, "in +1 clear pin out +2", {"1000 lockedOpen=true"}},
        {"unpinning closes at once with the pointer inside, reopens only on re-entry", "1",
         "in pin +1 +2 out +0.1 in +1",
         at({0}, {"lockedOpen=false"}) + at({0, 0, 55, 340}, close)
             + at({3100, 3100, 3165, 3440}, opening)},
        {"unforced collapse with the pointer inside brings the content back, never shrinks", {},
         "in +1 clear collapse +1", bounce},
        {"unforced collapse while interacting brings the content back", {}, "begin +1 clear collapse +1", bounce},
        {"interaction keeps the island open until it ends", {}, "in +1 clear begin out +2 end +1",
         at({1000, 3000}, {"interaction=true", "interaction=false"}) + at({3380, 3380, 3435, 3720}, close)},
        {"a hover start closes after the first exit", "hover", "in +0.5 out +1", at({880, 880, 935, 1220}, close)},
        {"without hover expansion the pointer only cancels a close", "hover", "noHover clear out +0.2 in +2", {}},
        {"without hover expansion the pointer does not open", {}, "noHover clear in +1", {}},
        {"each morph extends the window", {}, "morph +0.3 morph +0.4",
         at({0, 640}, {"morphing=true", "morphing=false"})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        StateHarness h(row.environment);
        h.run(QString::fromLatin1(row.script));
        EXPECT_EQ(h.take().join(u"; ").toStdString(), row.expected.join(u"; ").toStdString());
        EXPECT_EQ(h.scheduler.pendingCount(), 0);
    }
}

// Stored choices load without a write; a choice is saved, and told, only
// when it changes. A state destroyed midway leaves no work behind.
TEST(IslandState, ChoicesLoadWithoutWritingAndSaveOnlyWhenTheyChange)
{
    StateHarness h(std::nullopt, R"({"collapsedMetrics":[{"kind":"cpu","isVisible":true}],"expandOnHover":false,)"
                                 R"("selectedMetric":"Power","showPowerFlow":true})");
    EXPECT_FALSE(h.state->expandOnHover());
    EXPECT_EQ(h.state->selectedMetric(), MetricKind::power);
    EXPECT_EQ(h.state->visibleCollapsedMetricKinds(), (QList<K>{K::cpu, K::network, K::memory, K::power}));
    EXPECT_EQ(h.store.writeCount(), 1);  // only the document put there

    h.state->setSelectedMetric(MetricKind::power);
    h.state->setExpandOnHover(false);
    h.state->setShowPowerFlow(true);
    EXPECT_EQ(h.store.writeCount(), 1);
    h.state->setSelectedMetric(MetricKind::network);
    EXPECT_EQ(h.store.writeCount(), 3);  // one save: the document and the older list
    h.state->setShowPowerFlow(false);
    EXPECT_EQ(h.take(), (QStringList{"0 selectedMetric=Network", "0 powerFlow=false"}));
    const IslandPreferences expected{CollapsedMetricConfiguration::normalized({{K::cpu, true}}), false,
                                     MetricKind::network, false};
    EXPECT_EQ(h.store.data(documentKey), encodeIslandPreferences(expected));

    h.run("expand out");
    h.state.reset();
    h.scheduler.advance(2);
    EXPECT_EQ(h.scheduler.pendingCount(), 0);
}

TEST(IslandState, MovesFollowTheUsualListMoveMeaning)
{
    const struct {
        QList<int> from;
        int to;
        QList<K> expected;
    } rows[] = {
        {{0}, 4, {K::cpu, K::memory, K::power, K::network}},    {{3}, 0, {K::power, K::network, K::cpu, K::memory}},
        {{3, 1}, 1, {K::network, K::cpu, K::power, K::memory}}, {{1}, 1, {K::network, K::cpu, K::memory, K::power}},
        {{-1, 9}, 99, {K::network, K::cpu, K::memory, K::power}}, {{2}, -5, {K::memory, K::network, K::cpu, K::power}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.from) + " to " + std::to_string(row.to));
        StateHarness h;
        h.state->moveCollapsedMetrics(row.from, row.to);
        EXPECT_EQ(h.state->visibleCollapsedMetricKinds(), row.expected);
        EXPECT_EQ(h.take().size(), 1);
        EXPECT_EQ(decodeIslandPreferences(*h.store.data(documentKey))->collapsedMetrics,
                  h.state->collapsedMetricPreferences());
    }
}

