#include "history/MinuteBuckets.h"

#include <algorithm>

namespace moravel {

qint64 minuteOf(const QDateTime& time)
{
    const qint64 seconds = time.toSecsSinceEpoch();
    return seconds - ((seconds % 60) + 60) % 60;
}

std::optional<MinuteBucket> MinuteAggregator::add(const MetricSample& sample)
{
    const qint64 minute = minuteOf(sample.time);
    std::optional<MinuteBucket> finished;
    if (minute_ && *minute_ != minute) {
        finished = current();
        samples_ = 0;
        running_ = {};
    }
    minute_ = minute;
    ++samples_;
    for (size_t i = 0; i < seriesCount; ++i) {
        const double value = sample.values[i];
        if (std::isnan(value))
            continue;
        Running& r = running_[i];
        r.minimum = r.count == 0 ? value : std::min(r.minimum, value);
        r.maximum = r.count == 0 ? value : std::max(r.maximum, value);
        r.sum += value;
        ++r.count;
    }
    return finished;
}

std::optional<MinuteBucket> MinuteAggregator::current() const
{
    if (!minute_)
        return std::nullopt;
    MinuteBucket bucket;
    bucket.minute = *minute_;
    bucket.sampleCount = samples_;
    for (size_t i = 0; i < seriesCount; ++i) {
        const Running& r = running_[i];
        if (r.count > 0)
            bucket.series[i] = {r.minimum, r.sum / r.count, r.maximum};
    }
    return bucket;
}

MinuteBucket mergedBuckets(const MinuteBucket& a, const MinuteBucket& b)
{
    MinuteBucket merged = a;
    merged.sampleCount = a.sampleCount + b.sampleCount;
    for (size_t i = 0; i < seriesCount; ++i) {
        const SeriesSummary& x = a.series[i];
        const SeriesSummary& y = b.series[i];
        if (!y.isPresent())
            continue;
        if (!x.isPresent()) {
            merged.series[i] = y;
            continue;
        }
        const double total = std::max(1, merged.sampleCount);
        merged.series[i] = {std::min(x.minimum, y.minimum),
                            (x.mean * a.sampleCount + y.mean * b.sampleCount) / total,
                            std::max(x.maximum, y.maximum)};
    }
    return merged;
}

void insertBucket(QList<MinuteBucket>& buckets, const MinuteBucket& bucket)
{
    // Nearly always at the end; earlier only when the clock was set back.
    auto place = buckets.end();
    while (place != buckets.begin() && (place - 1)->minute > bucket.minute)
        --place;
    if (place != buckets.begin() && (place - 1)->minute == bucket.minute) {
        *(place - 1) = mergedBuckets(*(place - 1), bucket);
        return;
    }
    buckets.insert(place, bucket);
}

namespace {

// Minutes from a clock that was once set ahead are outside too.
bool isWithinDayBefore(qint64 minute, qint64 nowSeconds)
{
    return minute > nowSeconds - secondsPerDay && minute <= nowSeconds;
}

}  // namespace

void trimToLastDay(QList<MinuteBucket>& buckets, qint64 nowSeconds)
{
    buckets.removeIf(
        [nowSeconds](const MinuteBucket& bucket) { return !isWithinDayBefore(bucket.minute, nowSeconds); });
}

LastDay::LastDay(qint64 nowSeconds)
    : nowSeconds_(nowSeconds),
      firstMinute_(minuteOf(QDateTime::fromSecsSinceEpoch(nowSeconds, Qt::UTC)) - (minutesPerDay - 1) * 60),
      slots_(minutesPerDay)
{
}

void LastDay::add(const MinuteBucket& bucket)
{
    if (!isWithinDayBefore(bucket.minute, nowSeconds_))
        return;
    std::optional<MinuteBucket>& slot = slots_[static_cast<size_t>((bucket.minute - firstMinute_) / 60)];
    slot = slot ? mergedBuckets(*slot, bucket) : bucket;
}

QList<MinuteBucket> LastDay::buckets() const
{
    QList<MinuteBucket> kept;
    for (const std::optional<MinuteBucket>& slot : slots_) {
        if (slot)
            kept.append(*slot);
    }
    return kept;
}

}  // namespace moravel
