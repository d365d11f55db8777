#include "LaterReadings.h"
#include "island/IslandJson.h"
#include "support/MemoryDefaultsStore.h"

#include <gtest/gtest.h>

using namespace moravel;
using K = MetricKind;

namespace {

const QString documentKey = QString::fromLatin1(IslandPreferencesStore::storageKey);
const QString listKey = QString::fromLatin1(CollapsedMetricConfiguration::storageKey);

using moravel::testing::laterReadings;

// Whatever readings the table holds; the exact compact form is pinned below.
const QByteArray defaultList =
    encodeCollapsedMetricPreferences(CollapsedMetricConfiguration::defaultPreferences());
const QByteArray defaultDocument = R"({"collapsedMetrics":)" + defaultList
                                   + R"(,"expandOnHover":true,"selectedMetric":"Overview","showPowerFlow":true})";

QByteArray documentWith(const QByteArray& replacedPart, const QByteArray& replacement)
{
    return QByteArray(defaultDocument).replace(replacedPart, replacement);
}

// Refuses the newer document only, as a disk that fills up between two writes would.
class DocumentRefusingStore final : public MemoryDefaultsStore {
public:
    bool setData(const QString& key, const QByteArray& value) override
    {
        return key != documentKey && MemoryDefaultsStore::setData(key, value);
    }
};

}  // namespace

TEST(IslandJson, WritesTheExactCompactFormsAndReadsAnyKeyOrder)
{
    EXPECT_EQ(encodeIslandPreferences(IslandPreferences{}), defaultDocument);
    EXPECT_EQ(encodeCollapsedMetricPreferences({}), QByteArray("[]"));
    // The two switches set apart, so neither can take the other's place.
    const IslandPreferences custom{{{K::power, false}, {K::memory, true}}, false, MetricKind::network, true};
    EXPECT_EQ(encodeIslandPreferences(custom),
              QByteArray(R"({"collapsedMetrics":[{"kind":"power","isVisible":false},{"kind":"memory","isVisible":true}],)"
                         R"("expandOnHover":false,"selectedMetric":"Network","showPowerFlow":true})"));
    EXPECT_EQ(decodeIslandPreferences(encodeIslandPreferences(custom)), custom);

    // Read back in any key order, with whitespace and unknown keys.
    const QByteArray reordered = R"( { "showPowerFlow" : false, "selectedMetric":"CPU", "note": [1, {}],
        "collapsedMetrics":[ {"isVisible":false,"kind":"memory"} ], "expandOnHover":true } )";
    EXPECT_EQ(decodeIslandPreferences(reordered),
              (IslandPreferences{{{K::memory, false}}, true, MetricKind::cpu, false}));
    EXPECT_EQ(decodeCollapsedMetricPreferences("[]"), CollapsedMetricPreferences{});
}

// One faulty entry rejects the whole list, one missing or wrong member the
// whole document.
TEST(IslandJson, RejectsAnyFaultyEntryOrMember)
{
    const char* faulty[] = {
        R"([{"kind":"cpu"}])", R"([{"isVisible":true}])",                                 // a key missing
        R"([{"kind":"cpu","isVisible":"true"}])", R"([{"kind":"CPU","isVisible":true}])",  // not a raw value
        R"([{"kind":"cpu","isVisible":true},null])", R"({"kind":"cpu","isVisible":true})",
        R"([{"kind":"cpu","isVisible":true}] x)", R"([{"kind":"cpu","isVisible":true})", "", "true",
    };
    for (const char* json : faulty)
        EXPECT_EQ(decodeCollapsedMetricPreferences(json), std::nullopt) << json;

    const std::pair<QByteArray, QByteArray> faults[] = {
        {R"(,"showPowerFlow":true)", ""}, {R"(,"expandOnHover":true)", ""}, {R"(,"selectedMetric":"Overview")", ""},
        {R"("Overview")", R"("overview")"}, {R"("Overview")", R"("Disk")"}, {R"("power")", R"("battery")"},
        {R"("expandOnHover":true)", R"("expandOnHover":null)"}, {R"("showPowerFlow":true)", R"("showPowerFlow":"yes")"},
        {defaultList, "{}"}, {defaultDocument, defaultList}, {defaultDocument, "{"},
    };
    for (const auto& [part, replacement] : faults) {
        const QByteArray document = documentWith(part, replacement);
        ASSERT_NE(document, defaultDocument);
        EXPECT_EQ(decodeIslandPreferences(document), std::nullopt) << document.constData();
    }
}

// Deep nesting and huge strings are refused, not recursed into or copied about.
TEST(IslandJson, PathologicalInputIsRejectedWithoutCrashing)
{
    const QByteArray hugeString = '"' + QByteArray(10 * 1024 * 1024, 'x') + '"';
    for (const QByteArray& input :
         {QByteArray(200000, '[') + QByteArray(200000, ']'), QByteArray(R"({"collapsedMetrics":)").repeated(100000),
          documentWith(R"("Overview")", hugeString), R"([{"kind":)" + hugeString + R"(,"isVisible":true}])",
          QByteArray("{\"collapsedMetrics\":[\xff\xfe]}")}) {
        EXPECT_EQ(decodeCollapsedMetricPreferences(input), std::nullopt);
        EXPECT_EQ(decodeIslandPreferences(input), std::nullopt);
    }
}

TEST(IslandPreferencesStore, OlderListIsKeptAndTheDocumentRebuiltWhenMissingOrUnreadable)
{
    const QByteArray unreadable = R"({"collapsedMetrics":[],"expandOnHover":false,"selectedMetric":"Power"})";
    for (const std::optional<QByteArray>& document : {std::optional<QByteArray>{}, std::optional{unreadable}}) {
        SCOPED_TRACE(document ? "unreadable document" : "no document");
        MemoryDefaultsStore store;
        store.setData(listKey, R"([{"kind":"power","isVisible":true},{"kind":"cpu","isVisible":true}])");
        if (document)
            store.setData(documentKey, *document);
        IslandPreferences expected;
        expected.collapsedMetrics =
            CollapsedMetricPreferences{{K::power, true}, {K::cpu, true}, {K::network, true}, {K::memory, true}}
            + laterReadings();
        EXPECT_EQ(IslandPreferencesStore::load(store), expected);
        EXPECT_EQ(store.data(documentKey), encodeIslandPreferences(expected));
        EXPECT_EQ(store.data(listKey), encodeCollapsedMetricPreferences(expected.collapsedMetrics));
    }
}

// A document the previous version stored, every reading of its time placed
// and chosen: read exactly as it was, readings added since appended hidden.
TEST(IslandPreferencesStore, ADocumentStoredByThePreviousVersionLoadsAsItWas)
{
    MemoryDefaultsStore store;
    const QByteArray stored =
        R"({"collapsedMetrics":[{"kind":"gpu","isVisible":true},{"kind":"memory","isVisible":false},)"
        R"({"kind":"temperature","isVisible":true},{"kind":"network","isVisible":false},)"
        R"({"kind":"disk","isVisible":true},{"kind":"cpu","isVisible":true},{"kind":"swap","isVisible":false},)"
        R"({"kind":"power","isVisible":false}],"expandOnHover":false,"selectedMetric":"GPU","showPowerFlow":false})";
    store.setData(documentKey, stored);
    CollapsedMetricPreferences expected{{K::gpu, true},     {K::memory, false}, {K::temperature, true},
                                        {K::network, false}, {K::disk, true},    {K::cpu, true},
                                        {K::swap, false},    {K::power, false}};
    for (MetricKind kind : ReadingTable::collapsedKinds()) {
        if (std::none_of(expected.cbegin(), expected.cend(), [&](const auto& p) { return p.kind == kind; }))
            expected.append({kind, false});
    }
    EXPECT_EQ(IslandPreferencesStore::load(store), (IslandPreferences{expected, false, MetricKind::gpu, false}));
    EXPECT_EQ(store.data(documentKey), stored);
}

TEST(IslandPreferencesStore, ReadableDocumentIsNormalizedButNotRewritten)
{
    MemoryDefaultsStore store;
    const QByteArray stored = R"({"collapsedMetrics":[{"kind":"cpu","isVisible":false},{"kind":"cpu","isVisible":true}],)"
                              R"("expandOnHover":false,"selectedMetric":"Memory","showPowerFlow":false})";
    store.setData(documentKey, stored);
    EXPECT_EQ(IslandPreferencesStore::load(store),
              (IslandPreferences{CollapsedMetricPreferences{{K::cpu, false}, {K::network, true}, {K::memory, true},
                                                            {K::power, true}}
                                     + laterReadings(),
                                 false, MetricKind::memory, false}));
    EXPECT_EQ(store.writeCount(), 1);  // only the setData above
    EXPECT_EQ(store.data(documentKey), stored);
    EXPECT_EQ(store.data(listKey), std::nullopt);
}

// An empty store is given the defaults under both keys; failed saves leave what was stored.
TEST(IslandPreferencesStore, EmptyStoreGetsTheDefaultsAndFailedSavesLeaveWhatWasStored)
{
    MemoryDefaultsStore store;
    EXPECT_EQ(IslandPreferencesStore::load(store), IslandPreferences{});
    EXPECT_EQ(store.data(documentKey), defaultDocument);
    EXPECT_EQ(store.data(listKey), defaultList);

    FailingDefaultsStore failing;
    failing.preset(listKey, "[]");
    EXPECT_EQ(IslandPreferencesStore::load(failing), IslandPreferences{});
    EXPECT_EQ(failing.data(listKey), QByteArray("[]"));
    EXPECT_EQ(failing.data(documentKey), std::nullopt);

    // When the document cannot be written the older key is left alone too, so
    // the two never disagree.
    DocumentRefusingStore refusing;
    refusing.MemoryDefaultsStore::setData(listKey, defaultList);
    IslandPreferencesStore::save({{{K::power, true}}, true, MetricKind::overview, true}, refusing);
    EXPECT_EQ(refusing.data(listKey), defaultList);
}

// The size is written once chosen; a document without it follows the
// screen, and a size nobody can choose follows it again.
TEST(IslandPreferencesStore, TheSizeIsKeptOnceChosenAndOlderDocumentsFollowTheScreen)
{
    IslandPreferences chosen;
    chosen.sizePercent = 150;
    const QByteArray written = encodeIslandPreferences(chosen);
    EXPECT_TRUE(written.endsWith(",\"size\":150}"));
    EXPECT_EQ(decodeIslandPreferences(written), chosen);
    EXPECT_FALSE(encodeIslandPreferences(IslandPreferences{}).contains("size"));

    QByteArray odd = written;
    odd.replace("\"size\":150", "\"size\":\"big\"");
    const std::optional<IslandPreferences> kept = decodeIslandPreferences(odd);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->sizePercent, std::nullopt);
    EXPECT_EQ(kept->collapsedMetrics, chosen.collapsedMetrics);

    MemoryDefaultsStore store;
    chosen.sizePercent = 110;
    store.setData(documentKey, encodeIslandPreferences(chosen));
    EXPECT_EQ(IslandPreferencesStore::load(store).sizePercent, std::nullopt);
    chosen.sizePercent = 125;
    store.setData(documentKey, encodeIslandPreferences(chosen));
    EXPECT_EQ(IslandPreferencesStore::load(store).sizePercent, 125);

    for (const auto& [ratio, percent] : {std::pair{1.0, 125}, {1.49, 125}, {1.5, 100}, {2.0, 100}})
        EXPECT_EQ(defaultIslandSizePercent(ratio), percent) << ratio;
}
