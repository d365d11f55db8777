#include "support/BackgroundRunner.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <mutex>

namespace moravel {

namespace {

// Pools given up on at quit, still running a stuck job. They stay reachable
// from here until the process ends: deleting one would wait for that job.
QThreadPool* abandonedPools = nullptr;

}  // namespace

class ThreadPoolRunner::Pool : public QThreadPool {
public:
    QThreadPool* nextAbandoned = nullptr;
};

// Whether finished jobs may still hand their results to the main thread.
// Closed under the mutex when the runner goes, so that no job posts to an
// application that is shutting down.
struct ThreadPoolRunner::Handover {
    std::mutex mutex;
    bool isOpen = true;
};

ThreadPoolRunner::ThreadPoolRunner(std::chrono::milliseconds quitWait)
    : pool_(new Pool), handover_(std::make_shared<Handover>()), quitWait_(quitWait)
{
    pool_->setMaxThreadCount(2);
    pool_->setThreadPriority(QThread::LowPriority);
    pool_->setExpiryTimeout(10'000);
}

ThreadPoolRunner::~ThreadPoolRunner()
{
    {
        const std::lock_guard lock(handover_->mutex);
        handover_->isOpen = false;
    }
    pool_->clear();  // jobs not yet started never will be
    if (pool_->waitForDone(static_cast<int>(quitWait_.count()))) {
        delete pool_;
        return;
    }
    pool_->nextAbandoned = abandonedPools;
    abandonedPools = pool_;
}

void ThreadPoolRunner::post(QObject* owner, Job job)
{
    QPointer<QObject> guard(owner);
    pool_->start([guard, handover = handover_, job = std::move(job)] {
        Continuation apply = job();
        const std::lock_guard lock(handover->mutex);
        if (!handover->isOpen)
            return;
        // Hand the result to the main thread; the weak pointer is only looked
        // at there, where the owner could be destroyed.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, apply = std::move(apply)] {
                if (guard && apply)
                    apply();
            },
            Qt::QueuedConnection);
    });
}

struct ManualRunner::Pending {
    QPointer<QObject> owner;
    Job job;
};

void ManualRunner::post(QObject* owner, Job job)
{
    jobs_.push_back(std::make_shared<Pending>(Pending{QPointer<QObject>(owner), std::move(job)}));
}

bool ManualRunner::runNext()
{
    if (jobs_.empty())
        return false;
    auto pending = jobs_.front();
    jobs_.erase(jobs_.begin());
    Continuation apply = pending->job();
    if (pending->owner && apply)
        apply();
    return true;
}

void ManualRunner::runAll()
{
    while (runNext()) {
    }
}

}  // namespace moravel
