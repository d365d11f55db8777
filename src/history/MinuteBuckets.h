#pragma once

#include "monitor/MetricTypes.h"

#include <QList>

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace moravel {

// One series over one minute. NaN throughout when the series had no value
// in that minute (no GPU, no sensor).
struct SeriesSummary {
    double minimum = std::numeric_limits<double>::quiet_NaN();
    double mean = std::numeric_limits<double>::quiet_NaN();
    double maximum = std::numeric_limits<double>::quiet_NaN();

    bool isPresent() const { return !std::isnan(mean); }
};

// Every series over one minute of wall-clock time.
struct MinuteBucket {
    qint64 minute = 0;     // the minute's start, seconds since the epoch (UTC), a multiple of 60
    int sampleCount = 0;   // the one-second samples it summarises
    std::array<SeriesSummary, seriesCount> series{};

    const SeriesSummary& operator[](Series s) const { return series[static_cast<size_t>(s)]; }
    SeriesSummary& operator[](Series s) { return series[static_cast<size_t>(s)]; }
};

inline constexpr qint64 secondsPerDay = 24 * 60 * 60;

qint64 minuteOf(const QDateTime& time);

// Folds the one-second samples into minute buckets, one minute at a time.
class MinuteAggregator {
public:
    // Adds a sample; when it starts another minute, the previous minute's
    // bucket is finished and returned.
    std::optional<MinuteBucket> add(const MetricSample& sample);
    // The minute so far; nothing before the first sample.
    std::optional<MinuteBucket> current() const;

private:
    struct Running {
        double sum = 0;
        double minimum = 0;
        double maximum = 0;
        int count = 0;
    };

    std::optional<qint64> minute_;
    int samples_ = 0;
    std::array<Running, seriesCount> running_{};
};

// The two buckets of one minute as one (two runs that both saw it), each
// series' mean weighted by the buckets' sample counts.
MinuteBucket mergedBuckets(const MinuteBucket& a, const MinuteBucket& b);
// Puts `bucket` in its place in the list (oldest first), merged with a bucket
// of the same minute. Meant for a minute at or near the end: it walks back from there.
void insertBucket(QList<MinuteBucket>& buckets, const MinuteBucket& bucket);
// Keeps the minutes of the 24 hours up to `nowSeconds`.
void trimToLastDay(QList<MinuteBucket>& buckets, qint64 nowSeconds);

// The minutes of the 24 hours up to a time, gathered in any order: one slot
// per minute, so that each minute added costs the same however many came before.
class LastDay {
public:
    explicit LastDay(qint64 nowSeconds);

    // Merged into its minute's slot; left out when outside the day.
    void add(const MinuteBucket& bucket);
    // Oldest first.
    QList<MinuteBucket> buckets() const;

private:
    static constexpr qint64 minutesPerDay = 24 * 60;

    qint64 nowSeconds_;
    qint64 firstMinute_;  // of the oldest slot
    std::vector<std::optional<MinuteBucket>> slots_;
};

}  // namespace moravel
