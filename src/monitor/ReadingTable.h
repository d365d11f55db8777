#pragma once

#include "monitor/Levels.h"
#include "monitor/MetricTypes.h"

#include <QList>
#include <QString>

#include <optional>
#include <span>

namespace moravel {

class JsonWriter;

// The colour of a reading that has no thresholds, and of chart lines.
enum class Tone { primary, mint, cyan };

// How the collapsed island draws a reading: an icon and its value in its
// level's colour; the two network speeds; the power group; or the disk's
// capacity in use and its read and write rates.
enum class CollapsedStyle { load, network, power, disk };

struct CollapsedPart {
    // Points reserved in the collapsed row: room for the widest figures the
    // reading can show, so none is ever cut.
    double width = 0;
    CollapsedStyle style = CollapsedStyle::load;
    // Whether a stored list that lacks the reading gets it shown. Readings
    // added after people had stored their lists come hidden, so nobody's
    // island changes by itself.
    bool addedVisible = false;
    // The reading's place in the default list, and where it is appended to a
    // stored list that lacks it: a new reading takes the next number.
    int order = 0;
};

// One line of a tab's chart.
struct ChartLine {
    Series series = Series::cpu;
    Tone tone = Tone::cyan;
    bool dashed = false;
    double divisor = 1;  // chart units per value unit: 1000 shows bytes as kilobytes
    const char* legend = "";
    // Overrides `legend` where the label depends on the machine's state.
    QString (*legendFor)(const SystemSnapshot& snapshot) = nullptr;
    // Only drawn while charging; its values count towards the scale only
    // where a sample was taken while charging.
    bool whileCharging = false;
};

// A tab of the dashboard and the chart it shows.
struct TabPart {
    std::span<const ChartLine> lines;
    bool isPercent = true;   // a fixed 0-100 scale
    double minimumTop = 0;   // otherwise: the scale's top is at least this
    const char* axisSuffix = "%";
    // The tab's title where it differs from the reading's.
    const char* title = nullptr;
    // Whether the machine has what the tab shows (a GPU that tells its load);
    // without this, always.
    bool (*isAvailable)(const SystemSnapshot& snapshot) = nullptr;
};

// A detail of a tab as a screen reader hears it: a name and its value
// ("Swap", "1.5 gigabytes of 8 gigabytes").
struct SpokenDetail {
    QString name;
    QString value;

    friend bool operator==(const SpokenDetail&, const SpokenDetail&) = default;
};

// The sensors a reading lists on the Sensors tab, chip by chip.
struct SensorListPart {
    std::optional<QList<SensorReading>> SystemSnapshot::*sensors = nullptr;
    QString (*valueText)(double value) = nullptr;  // "45°C", "1250 rpm"
    // The same as a screen reader says it: "45 degrees Celsius".
    QString (*spokenValue)(double value) = nullptr;
    // How loaded one sensor is by its own limits; without this, normal.
    Level (*level)(const SensorReading& sensor) = nullptr;
};

// Everything Moravel knows about one kind of reading, in one place: one row
// of the reading table (ReadingRows.cpp).
struct ReadingDescriptor {
    MetricKind kind = MetricKind::overview;
    const char* key = "";         // "cpu": the stored name of a collapsed reading
    const char* title = "";       // "CPU": the tab's title and stored form, the settings' name
    const char* shortLabel = "";  // "MEM": the gauge caption
    const char* icon = "";        // symbol name
    Tone tone = Tone::primary;
    std::optional<LevelThresholds> thresholds = std::nullopt;
    // Thresholds that depend on the machine (a sensor's own critical figure);
    // they take the place of `thresholds`.
    LevelThresholds (*thresholdsFor)(const SystemSnapshot& snapshot) = nullptr;
    // Whether the source has the reading at all (its slice of the snapshot);
    // while it has not, the reading shows as not available, never as zero.
    bool (*isPresent)(const SystemSnapshot& snapshot) = nullptr;
    // The reading's figure in its own unit, a percentage or degrees Celsius
    // (NaN when the machine has no such reading).
    double (*value)(const SystemSnapshot& snapshot) = nullptr;
    // The reading as a gauge shows it; by default its value as a percentage.
    QString (*valueText)(const SystemSnapshot& snapshot) = nullptr;
    // A second line under the gauge's value (the disk's read and write rates).
    QString (*gaugeDetail)(const SystemSnapshot& snapshot) = nullptr;
    // What a screen reader says of the reading's value, after its title: by
    // default "<whole percent> percent". Only asked while the source has the
    // reading; otherwise, as for a percentage that is not a number, it is
    // "not available".
    QString (*spoken)(const SystemSnapshot& snapshot) = nullptr;
    std::optional<CollapsedPart> collapsed = std::nullopt;
    std::optional<TabPart> tab = std::nullopt;
    // A line of text under a tab's title (the swap in use on the Memory tab);
    // empty when there is nothing to say.
    std::optional<MetricKind> detailTab = std::nullopt;
    QString (*detail)(const SystemSnapshot& snapshot) = nullptr;
    // The same details as a screen reader hears them, one for each thing told.
    QList<SpokenDetail> (*spokenDetails)(const SystemSnapshot& snapshot) = nullptr;
    // The reading's fields in a JSON line, each null where the source does
    // not have it.
    void (*writeJson)(JsonWriter& writer, const SystemSnapshot& snapshot) = nullptr;
    std::optional<SensorListPart> sensorList = std::nullopt;
};

namespace ReadingTable {

// Every kind, in the order of the enumeration (also the order of JSON fields).
std::span<const ReadingDescriptor, metricKindCount> all();
const ReadingDescriptor& of(MetricKind kind);

// The dashboard's tabs, left to right.
const QList<MetricKind>& tabs();
// The tabs the machine has readings for.
QList<MetricKind> availableTabs(const SystemSnapshot& snapshot);
QString tabTitle(MetricKind tab);
// The readings the collapsed island can show, in their default order; a
// stored list missing some gets them appended in this order.
const QList<MetricKind>& collapsedKinds();
// The gauges of the health rail, left to right.
const QList<MetricKind>& gaugeKinds();

// Exact, case-sensitive matches of the stored forms; nothing for any other
// text, or a kind that is no tab or no collapsed reading.
std::optional<MetricKind> tabFromTitle(QStringView title);
std::optional<MetricKind> collapsedKindFromKey(QStringView key);

Level level(MetricKind kind, double value);
// The reading's thresholds on this machine; nothing for a reading without.
std::optional<LevelThresholds> thresholds(MetricKind kind, const SystemSnapshot& snapshot);
// Whether the source does not have the reading.
bool isAbsent(MetricKind kind, const SystemSnapshot& snapshot);
// The reading's own value; NaN where there is none, or it is absent.
double value(MetricKind kind, const SystemSnapshot& snapshot);
// The level of the reading's own value, by the machine's thresholds.
Level level(MetricKind kind, const SystemSnapshot& snapshot);
QString valueText(MetricKind kind, const SystemSnapshot& snapshot);
// What a screen reader says of the reading's value ("23 percent"), after its
// title; "not available" where the source does not have it.
QString spoken(MetricKind kind, const SystemSnapshot& snapshot);
// The detail lines of a tab, in table order, leaving out the empty ones.
QStringList tabDetails(MetricKind tab, const SystemSnapshot& snapshot);
// The same, as a screen reader hears them.
QList<SpokenDetail> spokenTabDetails(MetricKind tab, const SystemSnapshot& snapshot);
// Whether the machine has any sensor a reading lists on the Sensors tab.
bool hasListedSensors(const SystemSnapshot& snapshot);

}  // namespace ReadingTable

}  // namespace moravel
