#include "island/CollapsedMetricLayout.h"
#include "island/IslandJson.h"
#include "monitor/ReadingTable.h"
#include "support/MemoryDefaultsStore.h"

#include <gtest/gtest.h>

using namespace moravel;
using K = MetricKind;
using P = CollapsedMetricPreference;
using Preset = CollapsedMetricLayoutPreset;

namespace {

const QString listKey = QString::fromLatin1(CollapsedMetricConfiguration::storageKey);

// Readings added after people had stored their lists: appended, hidden.
const CollapsedMetricPreferences laterReadings{
    {K::swap, false}, {K::disk, false}, {K::temperature, false}, {K::gpu, false}};

// Every kind exactly once, at least one of them visible.
bool isWellFormed(const CollapsedMetricPreferences& list)
{
    QList<K> kinds;
    bool anyVisible = false;
    for (const P& p : list) {
        kinds.append(p.kind);
        anyVisible |= p.isVisible;
    }
    QList<K> expected = ReadingTable::collapsedKinds();
    std::sort(kinds.begin(), kinds.end());
    std::sort(expected.begin(), expected.end());
    return anyVisible && kinds == expected;
}

}  // namespace

TEST(CollapsedMetricConfiguration, NormalizesTheListsUsersCanEndUpWith)
{
    using CollapsedMetricConfiguration::normalized;
    EXPECT_EQ(normalized({}), CollapsedMetricConfiguration::defaultPreferences());
    EXPECT_EQ(normalized({{K::cpu, false}, {K::cpu, true}, {K::memory, false}}),
              (CollapsedMetricPreferences{{K::cpu, false}, {K::memory, false}, {K::network, true}, {K::power, true}}
               + laterReadings));
    EXPECT_EQ(normalized({{K::power, false}, {K::memory, false}, {K::cpu, false}, {K::network, false}}),
              (CollapsedMetricPreferences{{K::power, true}, {K::memory, false}, {K::cpu, false}, {K::network, false}}
               + laterReadings));
}

TEST(CollapsedMetricConfiguration, NormalizingAnyShortListIsWellFormedAndIdempotent)
{
    // Every list of up to four entries drawn from the eight possible ones:
    // each base-9 digit of `code` is an entry, or none for 0.
    for (int code = 0; code < 9 * 9 * 9 * 9; ++code) {
        CollapsedMetricPreferences list;
        for (int c = code; c > 0; c /= 9) {
            if (const int digit = c % 9; digit != 0)
                list.append({ReadingTable::collapsedKinds()[(digit - 1) / 2], digit % 2 == 0});
        }
        const CollapsedMetricPreferences once = CollapsedMetricConfiguration::normalized(list);
        ASSERT_TRUE(isWellFormed(once)) << code;
        ASSERT_EQ(CollapsedMetricConfiguration::normalized(once), once) << code;
    }
}

// An unknown kind makes the stored list unreadable: the defaults stand in,
// and the stored text stays as it was.
TEST(CollapsedMetricConfiguration, AStoredListWithAnUnknownKindFallsBackWithoutWriting)
{
    MemoryDefaultsStore store;
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
    EXPECT_EQ(splitAroundNotch({K::memory, K::network}), (Split{{K::memory}, {K::network}}));
    EXPECT_EQ(splitAroundNotch({K::network, K::cpu, K::memory, K::power}),
              (Split{{K::network, K::cpu}, {K::memory, K::power}}));
    EXPECT_EQ(widerSideWidth({K::network, K::cpu, K::memory, K::power}), 159);
    EXPECT_EQ(splitAroundNotch({K::power, K::cpu, K::memory}), (Split{{K::power}, {K::cpu, K::memory}}));
    EXPECT_EQ(splitAroundNotch({K::cpu, K::memory, K::power}), (Split{{K::cpu, K::memory}, {K::power}}));
    EXPECT_EQ(notchCutPosition({K::cpu, K::memory, K::cpu}), 1);
}

TEST(CollapsedMetricLayoutPreset, PresetsStandForFullListsAndAreRecognised)
{
    EXPECT_EQ(preferences(Preset::minimal),
              (CollapsedMetricPreferences{{K::cpu, true}, {K::memory, true}, {K::network, false}, {K::power, false}}
               + laterReadings));
    EXPECT_EQ(preferences(Preset::balanced), CollapsedMetricConfiguration::defaultPreferences());
    EXPECT_EQ(preferences(Preset::power),
              (CollapsedMetricPreferences{{K::power, true}, {K::cpu, true}, {K::memory, true}, {K::network, false}}
               + laterReadings));
    for (Preset preset : allCollapsedMetricLayoutPresets)
        EXPECT_EQ(matchingLayoutPreset(preferences(preset)), preset);

    EXPECT_EQ(matchingLayoutPreset({{K::memory, true}, {K::cpu, true}, {K::network, false}, {K::power, false}}),
              std::nullopt);
    EXPECT_EQ(matchingLayoutPreset({{K::cpu, true}, {K::network, false}, {K::memory, true}, {K::power, false}}),
              Preset::minimal);
}
