#include "history/HistoryFile.h"
#include "history/HistoryFormat.h"
#include "history/HistoryRecorder.h"
#include "support/BackgroundRunner.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace moravel;
using namespace moravel::fixtures;

namespace {

constexpr double absent = std::numeric_limits<double>::quiet_NaN();
// 2026-01-01 12:00:00 UTC, where the virtual clock starts.
constexpr qint64 noon = 1767268800;

MetricSample sampleAt(qint64 seconds, double cpu, double gpu = absent)
{
    MetricSample sample;
    sample.time = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    sample.values.fill(absent);
    sample[Series::cpu] = cpu;
    sample[Series::gpuBusy] = gpu;
    return sample;
}

MinuteBucket bucketAt(qint64 minute, double cpu)
{
    MinuteBucket bucket;
    bucket.minute = minute;
    bucket.sampleCount = 60;
    bucket[Series::cpu] = {cpu - 1, cpu, cpu + 1};
    return bucket;
}

class HistoryRecorderTest : public ::testing::Test {
protected:
    QString path() const { return root.filePath("state/Moravel/history.json"); }
    // One sample a second from the scheduler's clock on, for `seconds` seconds.
    void feed(HistoryRecorder& recorder, int seconds, double cpu)
    {
        for (int i = 0; i < seconds; ++i) {
            recorder.addSample(sampleAt(scheduler.currentDateTime().toSecsSinceEpoch(), cpu));
            scheduler.advance(1);
        }
    }

    QTemporaryDir root;
    VirtualScheduler scheduler;
};

}  // namespace

TEST(MinuteAggregator, SummarisesEachMinuteLeavingOutAbsentValues)
{
    MinuteAggregator aggregator;
    EXPECT_FALSE(aggregator.add(sampleAt(noon + 0, 10)));
    EXPECT_FALSE(aggregator.add(sampleAt(noon + 30, 40, 5)));
    EXPECT_FALSE(aggregator.add(sampleAt(noon + 59, absent)));
    const std::optional<MinuteBucket> finished = aggregator.add(sampleAt(noon + 60, 70));
    ASSERT_TRUE(finished);
    EXPECT_EQ(finished->minute, noon);
    EXPECT_EQ(finished->sampleCount, 3);
    EXPECT_DOUBLE_EQ((*finished)[Series::cpu].minimum, 10);
    EXPECT_DOUBLE_EQ((*finished)[Series::cpu].mean, 25);
    EXPECT_DOUBLE_EQ((*finished)[Series::cpu].maximum, 40);
    EXPECT_DOUBLE_EQ((*finished)[Series::gpuBusy].mean, 5);
    EXPECT_FALSE((*finished)[Series::memory].isPresent());
    EXPECT_EQ(aggregator.current()->minute, noon + 60);
}

TEST(HistoryFormat, ReadsWhatItWroteAndFilesOfOtherSeriesButRejectsAnythingMalformed)
{
    MinuteBucket full = bucketAt(noon, 12.3456);
    full[Series::download] = {0, 123456.7, 98765432.1};
    const auto decoded = HistoryFormat::decode(HistoryFormat::encode({bucketAt(noon + 60, 50), full}), noon + 60);
    const auto& buckets = std::get<QList<MinuteBucket>>(decoded);
    ASSERT_EQ(buckets.size(), 2);
    EXPECT_EQ(buckets[0].minute, noon);  // oldest first
    EXPECT_DOUBLE_EQ(buckets[0][Series::cpu].mean, 12.35);
    EXPECT_DOUBLE_EQ(buckets[0][Series::download].maximum, 98765432);
    EXPECT_FALSE(buckets[0][Series::memory].isPresent());

    // A file from a version with other series: unknown ones are left out, missing ones absent.
    const auto other = HistoryFormat::decode(
        R"({"format":"moravel-history","version":1,"series":["fanRpm","cpuPercent"],)"
        R"("minutes":[[1767268800,60,[1,2,3],[4,5,6]]]})",
        noon);
    ASSERT_TRUE(std::holds_alternative<QList<MinuteBucket>>(other));
    EXPECT_DOUBLE_EQ(std::get<QList<MinuteBucket>>(other)[0][Series::cpu].mean, 5);

    const QByteArray good = HistoryFormat::encode({full});
    const struct {
        QByteArray json;
        HistoryFormat::Unreadable why;
    } rows[] = {
        {good.left(good.size() / 2), HistoryFormat::Unreadable::corrupt},  // torn
        {R"({"format":"moravel-history","version":2,"whatever":1})", HistoryFormat::Unreadable::newerVersion},
        {R"({"format":"other","version":1,"series":[],"minutes":[]})", HistoryFormat::Unreadable::corrupt},
        {R"({"format":"moravel-history","version":1,"series":["cpuPercent"],"minutes":[[61,60,null]]})",
         HistoryFormat::Unreadable::corrupt},
        {R"({"format":"moravel-history","version":1,"series":["cpuPercent"],"minutes":[[60,60,[1,"2",3]]]})",
         HistoryFormat::Unreadable::corrupt},
        {R"({"format":"moravel-history","version":1,"series":["cpuPercent","cpuPercent"],"minutes":[]})",
         HistoryFormat::Unreadable::corrupt},
    };
    for (const auto& row : rows) {
        const auto result = HistoryFormat::decode(row.json, noon);
        ASSERT_TRUE(std::holds_alternative<HistoryFormat::Unreadable>(result)) << row.json.left(80).constData();
        EXPECT_EQ(std::get<HistoryFormat::Unreadable>(result), row.why);
    }
}

// However long the file and whatever the order of its minutes, a day is kept:
// the newest 1,440 minutes up to now, oldest first, repeated minutes merged,
// minutes ahead of the clock left out.
TEST(HistoryFormat, KeepsTheDayUpToNowFromMinutesInAnyOrder)
{
    QList<MinuteBucket> newestFirst{bucketAt(noon + 60, 99)};
    for (qint64 m = 0; m < 3000; ++m)
        newestFirst.append(bucketAt(noon - 60 * m, 10));
    newestFirst.append(bucketAt(noon, 40));
    const auto decoded = HistoryFormat::decode(HistoryFormat::encode(newestFirst), noon + 59);
    const auto& buckets = std::get<QList<MinuteBucket>>(decoded);
    ASSERT_EQ(buckets.size(), 1440);
    EXPECT_EQ(buckets.front().minute, noon - 1439 * 60);
    EXPECT_EQ(buckets.back().minute, noon);
    EXPECT_EQ(buckets.back().sampleCount, 120);
    EXPECT_DOUBLE_EQ(buckets.back()[Series::cpu].mean, 25);
    for (qsizetype i = 1; i < buckets.size(); ++i)
        ASSERT_EQ(buckets[i].minute, buckets[i - 1].minute + 60);
}

// The day-old minute and one from a clock that was ahead (later than now) go.
TEST_F(HistoryRecorderTest, KeepsTheLastDayAcrossARestartWithTheMinuteSoFarMerged)
{
    ASSERT_TRUE(writeFile(path(), HistoryFormat::encode({bucketAt(noon - secondsPerDay - 60, 1),
                                                         bucketAt(noon - 120, 2), bucketAt(noon + 7200, 3)})));
    {
        HistoryRecorder recorder(path(), scheduler, nullptr);
        recorder.load([](const QString& problem) { ADD_FAILURE() << problem.toStdString(); });
        feed(recorder, 70, 30);  // a minute, then 10 seconds of the next
        recorder.flush();        // at quit
    }
    HistoryRecorder again(path(), scheduler, nullptr);
    again.load();
    feed(again, 50, 90);  // the rest of the interrupted minute, after a restart
    feed(again, 1, 0);
    const auto read = HistoryFile::read(path(), scheduler.currentDateTime().toSecsSinceEpoch());
    const QList<MinuteBucket> buckets = std::get<QList<MinuteBucket>>(read);
    ASSERT_EQ(buckets.size(), 3);
    EXPECT_EQ(buckets[0].minute, noon - 120);
    EXPECT_EQ(buckets[1].minute, noon);
    EXPECT_EQ(buckets[2].minute, noon + 60);
    EXPECT_EQ(buckets[2].sampleCount, 60);
    EXPECT_DOUBLE_EQ(buckets[2][Series::cpu].mean, 80);  // 10 seconds at 30 %, 50 at 90 %
    EXPECT_DOUBLE_EQ(buckets[2][Series::cpu].maximum, 90);
}

// Whatever cannot be read, a FIFO included (never waited on), is set aside.
TEST_F(HistoryRecorderTest, AnUnreadableFileIsSetAsideNotDeleted)
{
    const QString folder = QFileInfo(path()).path();
    const struct {
        QByteArray contents;  // empty: a FIFO
        const char* why;
    } rows[] = {
        {"{\"format\":\"moravel-history\",\"vers", "damaged"},
        {R"({"format":"moravel-history","version":9})", "newer Moravel"},
        {{}, "not a regular file"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        QDir().mkpath(folder);
        ASSERT_TRUE(row.contents.isEmpty() ? ::mkfifo(QFile::encodeName(path()).constData(), 0600) == 0
                                           : writeFile(path(), row.contents));
        HistoryRecorder recorder(path(), scheduler, nullptr);
        QString problem;
        recorder.load([&](const QString& told) { problem = told; });
        EXPECT_TRUE(problem.contains(QLatin1String(row.why))) << problem.toStdString();
        EXPECT_TRUE(recorder.buckets().isEmpty());
        const QStringList aside =
            QDir(folder).entryList({"history.json.unreadable-*"}, QDir::AllEntries | QDir::System);
        ASSERT_EQ(aside.size(), 1) << problem.toStdString();
        EXPECT_TRUE(problem.contains(aside[0]));
        if (!row.contents.isEmpty()) {
            EXPECT_EQ(readFile(folder + '/' + aside[0]), row.contents);
        }
        EXPECT_FALSE(QFileInfo::exists(path()));
        QFile::remove(folder + '/' + aside[0]);
    }
}

// The kept history is read in the background, never before the island shows:
// minutes finished meanwhile are merged with it, and no write replaces the
// file before it is in. What killed writes left behind is removed.
TEST_F(HistoryRecorderTest, ReadsInTheBackgroundAndWritesOnlyOnceTheFileIsIn)
{
    ASSERT_TRUE(writeFile(path(), HistoryFormat::encode({bucketAt(noon - 120, 2)})));
    const QString folder = QFileInfo(path()).path();
    for (const char* name : {"history.json.Ab3dE9", "history.json.unreadable-20260101-120000", "history.json.tmp"})
        ASSERT_TRUE(writeFile(folder + '/' + name, "x"));
    ManualRunner runner;
    HistoryRecorder recorder(path(), scheduler, &runner);
    recorder.load();
    EXPECT_TRUE(recorder.isLoading());
    EXPECT_TRUE(recorder.buckets().isEmpty());
    feed(recorder, 61, 30);  // a minute finished while the file is read
    EXPECT_EQ(runner.pendingCount(), 1);  // the read alone: no write yet
    ASSERT_TRUE(runner.runNext());
    EXPECT_FALSE(recorder.isLoading());
    EXPECT_EQ(recorder.buckets().size(), 3);  // the file's minute, the finished one, the minute so far
    runner.runAll();
    EXPECT_EQ(std::get<QList<MinuteBucket>>(HistoryFile::read(path(), noon + 60)).size(), 2);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList{"history.json", "history.json.tmp",
                                                                 "history.json.unreadable-20260101-120000"}));
}

// Quitting before the background read is done reads the file first: the
// write at quit keeps its minutes.
TEST_F(HistoryRecorderTest, AFlushWhileReadingKeepsTheFilesMinutes)
{
    ASSERT_TRUE(writeFile(path(), HistoryFormat::encode({bucketAt(noon - 120, 2)})));
    ManualRunner runner;
    HistoryRecorder recorder(path(), scheduler, &runner);
    recorder.load();
    feed(recorder, 30, 30);
    recorder.flush();
    runner.runAll();  // the read, already done, changes nothing
    EXPECT_EQ(std::get<QList<MinuteBucket>>(HistoryFile::read(path(), noon + 30)).size(), 2);
    EXPECT_EQ(recorder.buckets().size(), 2);
}

TEST_F(HistoryRecorderTest, AFailedWriteIsToldOnceAndAWriteOvertakenByANewerOneIsDropped)
{
    ManualRunner writer;
    HistoryRecorder recorder(path(), scheduler, &writer);
    QList<std::optional<QString>> told;
    QObject::connect(&recorder, &HistoryRecorder::writeFailureChanged,
                     [&](const std::optional<QString>& failure) { told.append(failure); });
    ASSERT_TRUE(writeFile(root.filePath("state"), "a file where the folder should be"));
    feed(recorder, 181, 10);
    writer.runAll();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].value_or("").contains("cannot be created")) << told[0].value_or("").toStdString();

    QFile::remove(root.filePath("state"));
    feed(recorder, 60, 20);  // a write is posted...
    const mode_t umask = ::umask(0);
    recorder.flush();  // ...and overtaken by the one at quit
    ::umask(umask);
    writer.runAll();
    EXPECT_EQ(told.size(), 2);
    EXPECT_FALSE(recorder.writeFailure());
    for (const auto& [file, mode] :
         {std::pair{"state", 0700u}, {"state/Moravel", 0700u}, {"state/Moravel/history.json", 0600u}})
        EXPECT_EQ(modeOf(root.filePath(file)), mode) << file;
    const auto read = HistoryFile::read(path(), scheduler.currentDateTime().toSecsSinceEpoch());
    EXPECT_EQ(std::get<QList<MinuteBucket>>(read).size(), 5);  // the minute so far included
}
