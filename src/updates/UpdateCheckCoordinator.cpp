#include "updates/UpdateCheckCoordinator.h"

#include "support/Scheduler.h"

#include <QPointer>

namespace moravel {

UpdateCheckCoordinator::UpdateCheckCoordinator(Scheduler& scheduler, QObject* parent)
    : QObject(parent), scheduler_(scheduler)
{
}

void UpdateCheckCoordinator::beginManualCheck(Updater& updater)
{
    if (!updater.canCheckForUpdates())
        return;
    isManualInformationCheck_ = true;
    setStatus(Status::checking());
    updater.checkForUpdateInformation();
}

void UpdateCheckCoordinator::presentAvailableUpdate(Updater& updater)
{
    // The updater may be gone by the time the queued call runs.
    QPointer<Updater> target(&updater);
    scheduler_.runAfter(0, this, [target] {
        if (target)
            target->checkForUpdates();
    });
}

void UpdateCheckCoordinator::updaterDidFindValidUpdate(Updater&, const QString& displayVersion)
{
    if (isManualInformationCheck_)
        setStatus(Status::updateAvailable(displayVersion));
}

void UpdateCheckCoordinator::updaterDidNotFindUpdate(Updater&)
{
    if (isManualInformationCheck_)
        setStatus(Status::upToDate());
}

void UpdateCheckCoordinator::updaterDidFinishUpdateCycle(Updater&, UpdateCheckKind kind,
                                                         const std::optional<QString>& errorMessage)
{
    if (!isManualInformationCheck_ || kind != UpdateCheckKind::updateInformation)
        return;
    isManualInformationCheck_ = false;
    // A result reported during the cycle stands, even next to an error.
    if (status_ != Status::checking())
        return;
    setStatus(errorMessage ? Status::failed(*errorMessage) : Status::upToDate());
}

void UpdateCheckCoordinator::setStatus(Status status)
{
    if (status == status_)
        return;
    status_ = std::move(status);
    emit statusChanged(status_);
}

}  // namespace moravel
