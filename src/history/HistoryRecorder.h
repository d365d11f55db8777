#pragma once

#include "history/MinuteBuckets.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace moravel {

class BackgroundRunner;
class Scheduler;

// The last 24 hours in minute buckets (min, mean, max of every series), fed
// with the monitor's one-second samples and kept on disk: read at start,
// written whenever a minute is complete and once more at quit.
//
// The read and the writes run on the background runner (a large file or a
// slow disk must not stall the island); they are serialised, writes wait
// until the kept history has been read and merged in, and a write overtaken
// by a newer one is dropped, so the file always ends up holding the newest
// history.
class HistoryRecorder final : public QObject {
    Q_OBJECT

public:
    // An empty path keeps the history in memory only; without a runner,
    // writes happen at once on this thread.
    HistoryRecorder(QString path, Scheduler& scheduler, BackgroundRunner* writer, QObject* parent = nullptr);
    ~HistoryRecorder() override;

    using ProblemReport = std::function<void(const QString&)>;

    const QString& path() const { return path_; }
    // Reads the kept history and merges it with the samples added meanwhile;
    // `report` gets a line for standard error when the file could not be read
    // (it has been set aside).
    void load(ProblemReport report = {});
    bool isLoading() const { return isLoading_; }
    void addSample(const MetricSample& sample);
    // Writes everything now, the minute so far included, on this thread.
    void flush();

    // Oldest first; the minute so far is the last.
    QList<MinuteBucket> buckets() const;
    // Why the latest write failed (a read-only or full disk), for the settings
    // to tell; nothing once a write succeeds.
    const std::optional<QString>& writeFailure() const { return writeFailure_; }

signals:
    void bucketsChanged();
    void writeFailureChanged(const std::optional<QString>& failure);

private:
    struct WriteLane;

    void finishLoad();
    void writeInBackground();
    void finishWrite(quint64 sequence, std::optional<std::optional<QString>> outcome);
    qint64 nowSeconds() const;

    QString path_;
    Scheduler& scheduler_;
    BackgroundRunner* writer_;
    std::shared_ptr<WriteLane> lane_;
    QList<MinuteBucket> buckets_;
    MinuteAggregator minute_;
    std::optional<QString> writeFailure_;
    quint64 reportedSequence_ = 0;
    bool isLoading_ = false;
    bool isWriteDeferred_ = false;  // a minute finished while loading
    ProblemReport reportLoadProblem_;
};

}  // namespace moravel
