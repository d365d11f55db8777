#include "history/HistoryRecorder.h"

#include "history/HistoryFile.h"
#include "support/BackgroundRunner.h"
#include "support/Scheduler.h"

#include <mutex>

namespace moravel {

// Shared by the main thread and the read and writes in flight.
struct HistoryRecorder::WriteLane {
    std::mutex mutex;
    quint64 requested = 0;  // main thread only
    quint64 written = 0;    // under the mutex
    bool isRead = false;    // under the mutex
    std::optional<HistoryFile::Loaded> loaded;  // under the mutex, until the main thread takes it

    // Reads the file unless that was done already.
    void read(const QString& path, qint64 nowSeconds)
    {
        const std::lock_guard lock(mutex);
        if (!std::exchange(isRead, true))
            loaded = HistoryFile::loadOrSetAside(path, nowSeconds);
    }
    std::optional<HistoryFile::Loaded> take()
    {
        const std::lock_guard lock(mutex);
        return std::exchange(loaded, std::nullopt);
    }

    // Nothing when a newer write came first; else the failure, if any.
    std::optional<std::optional<QString>> write(quint64 sequence, const QString& path,
                                                const QList<MinuteBucket>& buckets)
    {
        const std::lock_guard lock(mutex);
        if (sequence <= written)
            return std::nullopt;
        written = sequence;
        QString failure;
        if (HistoryFile::write(path, buckets, &failure))
            return std::optional<QString>();
        return std::optional<QString>(failure);
    }
};

HistoryRecorder::HistoryRecorder(QString path, Scheduler& scheduler, BackgroundRunner* writer, QObject* parent)
    : QObject(parent), path_(std::move(path)), scheduler_(scheduler), writer_(writer),
      lane_(std::make_shared<WriteLane>())
{
}

HistoryRecorder::~HistoryRecorder() = default;

qint64 HistoryRecorder::nowSeconds() const
{
    return scheduler_.currentDateTime().toSecsSinceEpoch();
}

void HistoryRecorder::load(ProblemReport report)
{
    if (path_.isEmpty() || isLoading_)
        return;
    isLoading_ = true;
    reportLoadProblem_ = std::move(report);
    if (!writer_) {
        lane_->read(path_, nowSeconds());
        finishLoad();
        return;
    }
    writer_->post(this, [this, lane = lane_, path = path_, now = nowSeconds()] {
        lane->read(path, now);
        return [this] { finishLoad(); };
    });
}

void HistoryRecorder::finishLoad()
{
    std::optional<HistoryFile::Loaded> loaded = lane_->take();
    if (!loaded)
        return;  // a flush took it first
    isLoading_ = false;
    // The file's minutes come before the few recorded meanwhile.
    for (const MinuteBucket& bucket : loaded->buckets)
        insertBucket(buckets_, bucket);
    trimToLastDay(buckets_, nowSeconds());
    emit bucketsChanged();
    if (loaded->problem && reportLoadProblem_)
        reportLoadProblem_(*loaded->problem);
    if (std::exchange(isWriteDeferred_, false))
        writeInBackground();
}

void HistoryRecorder::addSample(const MetricSample& sample)
{
    const std::optional<MinuteBucket> finished = minute_.add(sample);
    if (!finished)
        return;
    insertBucket(buckets_, *finished);
    trimToLastDay(buckets_, nowSeconds());
    emit bucketsChanged();
    writeInBackground();
}

QList<MinuteBucket> HistoryRecorder::buckets() const
{
    QList<MinuteBucket> all = buckets_;
    if (const std::optional<MinuteBucket> current = minute_.current())
        insertBucket(all, *current);
    return all;
}

void HistoryRecorder::writeInBackground()
{
    if (path_.isEmpty())
        return;
    // Written before the kept history is in, the file would lose it.
    if (isLoading_) {
        isWriteDeferred_ = true;
        return;
    }
    const quint64 sequence = ++lane_->requested;
    if (!writer_) {
        finishWrite(sequence, lane_->write(sequence, path_, buckets_));
        return;
    }
    writer_->post(this, [this, lane = lane_, sequence, path = path_, buckets = buckets_]() {
        auto outcome = lane->write(sequence, path, buckets);
        return [this, sequence, outcome] { finishWrite(sequence, outcome); };
    });
}

void HistoryRecorder::flush()
{
    if (path_.isEmpty())
        return;
    if (isLoading_) {
        isWriteDeferred_ = false;
        lane_->read(path_, nowSeconds());
        finishLoad();
    }
    QList<MinuteBucket> all = buckets();
    trimToLastDay(all, nowSeconds());
    const quint64 sequence = ++lane_->requested;
    finishWrite(sequence, lane_->write(sequence, path_, all));
}

void HistoryRecorder::finishWrite(quint64 sequence, std::optional<std::optional<QString>> outcome)
{
    // A write dropped as overtaken, or one that finished after a newer one, says nothing.
    if (!outcome || sequence < reportedSequence_)
        return;
    reportedSequence_ = sequence;
    if (*outcome == writeFailure_)
        return;
    writeFailure_ = *outcome;
    emit writeFailureChanged(writeFailure_);
}

}  // namespace moravel
