#include "LaterReadings.h"
#include "island/CollapsedMetricLayout.h"
#include "island/IslandJson.h"
#include "monitor/ReadingTable.h"
#include "support/MemoryDefaultsStore.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace moravel;
using K = MetricKind;
using Preset = CollapsedMetricLayoutPreset;

using moravel::testing::laterReadings;

// The first entry of a kind wins, missing kinds follow in the default order,
// and a list with nothing visible shows its first reading. (That any list
// normalizes to every kind once, one visible, is what the fuzz target checks.)
TEST(CollapsedMetricConfiguration, NormalizesTheListsUsersCanEndUpWithAndFallsBackFromAnUnknownKind)
{
    using CollapsedMetricConfiguration::normalized;
    EXPECT_EQ(normalized({}), CollapsedMetricConfiguration::defaultPreferences());
    EXPECT_EQ(normalized({{K::cpu, false}, {K::cpu, true}, {K::memory, false}}),
              (CollapsedMetricPreferences{{K::cpu, false}, {K::memory, false}, {K::network, true}, {K::power, true}}
               + laterReadings()));
    EXPECT_EQ(normalized({{K::power, false}, {K::memory, false}, {K::cpu, false}, {K::network, false}}),
              (CollapsedMetricPreferences{{K::power, true}, {K::memory, false}, {K::cpu, false}, {K::network, false}}
               + laterReadings()));

    // An unknown kind makes a stored list unreadable: the defaults stand in,
    // and the stored text stays as it was.
    MemoryDefaultsStore store;
    const QString listKey = QString::fromLatin1(CollapsedMetricConfiguration::storageKey);
    const QByteArray unknownKind = R"([{"kind":"cpu","isVisible":false},{"kind":"toaster","isVisible":true}])";
    store.setData(listKey, unknownKind);
    EXPECT_EQ(CollapsedMetricConfiguration::load(store), CollapsedMetricConfiguration::defaultPreferences());
    EXPECT_EQ(store.writeCount(), 1);
    EXPECT_EQ(store.data(listKey), unknownKind);
}

// The cut that leaves the narrower wider side; the earlier one on a tie.
TEST(CollapsedMetricLayout, SplitsAroundTheNotch)
{
    using namespace CollapsedMetricLayout;
    EXPECT_EQ(splitAroundNotch({}), (Split{{}, {}}));
    EXPECT_EQ(splitAroundNotch({K::power}), (Split{{K::power}, {}}));
    EXPECT_EQ(splitAroundNotch({K::network, K::cpu, K::memory, K::power}),
              (Split{{K::network, K::cpu}, {K::memory, K::power}}));
    EXPECT_EQ(widerSideWidth({K::network, K::cpu, K::memory, K::power}),
              std::max(rowWidth({K::network, K::cpu}), rowWidth({K::memory, K::power})));
    EXPECT_EQ(splitAroundNotch({K::power, K::cpu, K::memory}), (Split{{K::power}, {K::cpu, K::memory}}));
    EXPECT_EQ(splitAroundNotch({K::cpu, K::memory, K::power}), (Split{{K::cpu, K::memory}, {K::power}}));
    EXPECT_EQ(notchCutPosition({K::cpu, K::memory, K::cpu}), 1);
}

// A frame keeps its width when its reading arrives (rates a second after
// start): each reading takes its width in the table, measured or not. Only a
// power reading without a battery (a desktop's) takes a dash's.
TEST(CollapsedMetricLayout, FramesKeepTheirWidthWhenReadingsArrive)
{
    using namespace CollapsedMetricLayout;
    SystemSnapshot desktop;
    desktop.power = PowerReading{};
    for (const K kind : ReadingTable::collapsedKinds()) {
        SCOPED_TRACE(ReadingTable::of(kind).key);
        EXPECT_EQ(shownWidth(kind, desktop), kind == K::power ? dashWidth : rowWidth(kind));
    }
    SystemSnapshot laptop = desktop;
    laptop.power->battery = BatteryReading{};  // no figure yet: a dash, in the battery's frame
    EXPECT_EQ(shownWidth(K::power, laptop), rowWidth(K::power));
}

// A preset is recognised by what is shown in which order, whatever follows hidden.
TEST(CollapsedMetricLayoutPreset, PresetsStandForFullListsAndAreRecognised)
{
    EXPECT_EQ(preferences(Preset::balanced), CollapsedMetricConfiguration::defaultPreferences());
    for (Preset preset : allCollapsedMetricLayoutPresets)
        EXPECT_EQ(matchingLayoutPreset(preferences(preset)), preset);
    EXPECT_EQ(matchingLayoutPreset({{K::memory, true}, {K::cpu, true}, {K::network, false}, {K::power, false}}),
              std::nullopt);
    EXPECT_EQ(matchingLayoutPreset({{K::cpu, true}, {K::network, false}, {K::memory, true}, {K::power, false}}),
              Preset::minimal);
}
