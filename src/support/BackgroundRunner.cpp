#include "support/BackgroundRunner.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

namespace moravel {

class ThreadPoolRunner::Pool : public QThreadPool {};

ThreadPoolRunner::ThreadPoolRunner() : pool_(new Pool)
{
    pool_->setMaxThreadCount(2);
    pool_->setThreadPriority(QThread::LowPriority);
    pool_->setExpiryTimeout(10'000);
}

ThreadPoolRunner::~ThreadPoolRunner()
{
    pool_->waitForDone();
    delete pool_;
}

void ThreadPoolRunner::waitForDone()
{
    pool_->waitForDone();
}

void ThreadPoolRunner::post(QObject* owner, Job job)
{
    QPointer<QObject> guard(owner);
    pool_->start([guard, job = std::move(job)] {
        Continuation apply = job();
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
