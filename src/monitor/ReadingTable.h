#pragma once

#include "monitor/MetricTypes.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace moravel {

class JsonWriter;

// How loaded a reading is, by its thresholds: the views colour it by this.
enum class Level { normal, elevated, high, critical };

// Inclusive lower bounds, tested from the top on the unrounded value.
struct LevelThresholds {
    double elevated = 0;
    double high = 0;
    double critical = 0;
};

// The colour of a reading that has no thresholds, and of chart lines.
enum class Tone { primary, mint, cyan };

// How the collapsed island draws a reading: an icon and its value in its
// level's colour; the two network speeds; the power group; or the disk's
// capacity in use and its read and write rates.
enum class CollapsedStyle { load, network, power, disk };

struct CollapsedSpec {
    double width = 0;  // points reserved in the collapsed row
    CollapsedStyle style = CollapsedStyle::load;
    // Whether a stored list that lacks the reading gets it shown. Readings
    // added after people had stored their lists come hidden, so nobody's
    // island changes by itself.
    bool addedVisible = false;
};

// One line of a tab's chart.
struct ChartLine {
    Series series;
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
struct TabSpec {
    QList<ChartLine> lines;
    bool isPercent = true;   // a fixed 0-100 scale
    double minimumTop = 0;   // otherwise: the scale's top is at least this
    const char* axisSuffix = "%";
    // The tab's title where it differs from the reading's.
    const char* title = nullptr;
    // Whether the machine has what the tab shows (a GPU that tells its load);
    // without this, always.
    bool (*isAvailable)(const SystemSnapshot& snapshot) = nullptr;
};

// Everything Moravel knows about one kind of reading, in one place.
struct ReadingDescriptor {
    MetricKind kind;
    const char* key;         // "cpu": the stored name of a collapsed reading
    const char* title;       // "CPU": the tab's title and stored form, the settings' name
    const char* shortLabel;  // "MEM": the gauge caption
    const char* icon;        // symbol name
    Tone tone = Tone::primary;
    std::optional<LevelThresholds> thresholds;
    // Thresholds that depend on the machine (a sensor's own critical figure);
    // they take the place of `thresholds`.
    LevelThresholds (*thresholdsFor)(const SystemSnapshot& snapshot) = nullptr;
    // The reading's figure in its own unit, a percentage or degrees Celsius
    // (NaN when the machine has no such reading).
    double (*value)(const SystemSnapshot& snapshot) = nullptr;
    // The reading as a gauge shows it; by default its value as a percentage.
    QString (*valueText)(const SystemSnapshot& snapshot) = nullptr;
    // A second line under the gauge's value (the disk's read and write rates).
    QString (*gaugeDetail)(const SystemSnapshot& snapshot) = nullptr;
    // What a screen reader says; by default "<title> <whole percent> percent".
    QString (*spoken)(const SystemSnapshot& snapshot) = nullptr;
    std::optional<CollapsedSpec> collapsed;
    std::optional<TabSpec> tab;
    // A line of text under a tab's title (the swap in use on the Memory tab);
    // empty when there is nothing to say.
    std::optional<MetricKind> detailTab;
    QString (*detail)(const SystemSnapshot& snapshot) = nullptr;
    // The reading's fields in a JSON line.
    void (*writeJson)(JsonWriter& writer, const SystemSnapshot& snapshot) = nullptr;
    // The group a source may not publish; while it is absent the reading shows
    // as not available, never as zero.
    std::optional<ReadingGroup> group;
};

namespace ReadingTable {

// Every kind, in the order of the enumeration (also the order of JSON fields).
const std::array<ReadingDescriptor, metricKindCount>& all();
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
// Whether the source does not publish the reading.
bool isAbsent(MetricKind kind, const SystemSnapshot& snapshot);
// The reading's own value; NaN where there is none, or it is absent.
double value(MetricKind kind, const SystemSnapshot& snapshot);
// The level of the reading's own value, by the machine's thresholds.
Level level(MetricKind kind, const SystemSnapshot& snapshot);
QString valueText(MetricKind kind, const SystemSnapshot& snapshot);
QString spoken(MetricKind kind, const SystemSnapshot& snapshot);
// The detail lines of a tab, in table order, leaving out the empty ones.
QStringList tabDetails(MetricKind tab, const SystemSnapshot& snapshot);

}  // namespace ReadingTable

// The level of `value` for `thresholds`; a value that is not a number is normal.
Level levelFor(double value, const LevelThresholds& thresholds);

// A temperature sensor's thresholds: amber from 80 °C, red from 95 °C, or
// from the sensor's own critical figure (else its maximum) where it has a
// plausible one.
LevelThresholds temperatureThresholds(std::optional<double> criticalCelsius);

}  // namespace moravel
