// The kept history: a minute's write of a full day (on the background
// thread), the per-second fold into minute buckets, and the read at start.
#include "history/HistoryFile.h"
#include "history/HistoryFormat.h"
#include "history/HistoryRecorder.h"
#include "support/VirtualScheduler.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace moravel;

namespace {

// A day of every series with figures as wide as they come.
QList<MinuteBucket> fullDay()
{
    QList<MinuteBucket> day;
    for (qint64 m = 0; m < 1440; ++m) {
        MinuteBucket bucket;
        bucket.minute = 1767268800 + 60 * m;
        bucket.sampleCount = 60;
        for (size_t i = 0; i < seriesCount; ++i) {
            const double scale = i == 2 || i == 3 || i == 7 || i == 8 ? 1e6 : 1;  // byte rates
            bucket.series[i] = {scale * (1.23 + m % 7), scale * (23.45 + m % 13), scale * (87.65 + m % 11)};
        }
        day.append(bucket);
    }
    return day;
}

void BM_HistoryEncodeDay(benchmark::State& state)
{
    const QList<MinuteBucket> day = fullDay();
    qsizetype size = 0;
    for (auto _ : state)
        size = HistoryFormat::encode(day).size();
    state.counters["file_kB"] = static_cast<double>(size) / 1000;
}
BENCHMARK(BM_HistoryEncodeDay)->Unit(benchmark::kMillisecond);

// What a minute's write costs, synced to disk and renamed into place.
void BM_HistoryMinuteWrite(benchmark::State& state)
{
    const QList<MinuteBucket> day = fullDay();
    QTemporaryDir directory;
    const QString path = directory.filePath("Moravel/history.json");
    for (auto _ : state) {
        QString failure;
        if (!HistoryFile::write(path, day, &failure))
            state.SkipWithError(failure.toStdString().c_str());
    }
}
BENCHMARK(BM_HistoryMinuteWrite)->Unit(benchmark::kMillisecond);

void BM_HistoryReadDay(benchmark::State& state)
{
    QTemporaryDir directory;
    const QString path = directory.filePath("history.json");
    const QList<MinuteBucket> day = fullDay();
    HistoryFile::write(path, day, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(HistoryFile::read(path, day.last().minute));
}
BENCHMARK(BM_HistoryReadDay)->Unit(benchmark::kMillisecond);

// A hostile file: `minutes` minutes (far more than a day), newest first, one
// series each. Reading must stay linear and keep no more than the last day.
void BM_HistoryReadNewestFirst(benchmark::State& state)
{
    const qint64 newest = 1767268800;
    QList<MinuteBucket> minutes;
    for (qint64 m = 0; m < state.range(0); ++m) {
        MinuteBucket bucket;
        bucket.minute = newest - 60 * m;
        bucket.sampleCount = 60;
        bucket[Series::cpu] = {1.5, 2.5, 3.5};
        minutes.append(bucket);
    }
    QTemporaryDir directory;
    const QString path = directory.filePath("history.json");
    HistoryFile::write(path, minutes, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(HistoryFile::read(path, newest));
    state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_HistoryReadNewestFirst)->Arg(10'000)->Arg(40'000)->Arg(110'000)->Unit(benchmark::kMillisecond)
    ->Complexity();

// The per-second cost: one sample folded into the minute (in memory only).
void BM_HistoryAddSample(benchmark::State& state)
{
    VirtualScheduler scheduler;
    HistoryRecorder recorder(QString(), scheduler, nullptr);
    MetricSample sample;
    sample.values.fill(42.5);
    for (auto _ : state) {
        scheduler.advance(1);
        sample.time = scheduler.currentDateTime();
        recorder.addSample(sample);
    }
}
BENCHMARK(BM_HistoryAddSample);

}  // namespace

BENCHMARK_MAIN();
