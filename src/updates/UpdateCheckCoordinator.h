#pragma once

#include "updates/Updater.h"

#include <QObject>
#include <QString>

namespace moravel {

class Scheduler;

// What the settings view shows about the user's own update check.
class UpdateCheckStatus {
public:
    enum class Case { idle, checking, upToDate, updateAvailable, failed };

    static UpdateCheckStatus idle() { return UpdateCheckStatus(Case::idle, {}); }
    static UpdateCheckStatus checking() { return UpdateCheckStatus(Case::checking, {}); }
    static UpdateCheckStatus upToDate() { return UpdateCheckStatus(Case::upToDate, {}); }
    static UpdateCheckStatus updateAvailable(QString version)
    {
        return UpdateCheckStatus(Case::updateAvailable, std::move(version));
    }
    static UpdateCheckStatus failed(QString message) { return UpdateCheckStatus(Case::failed, std::move(message)); }

    UpdateCheckStatus() = default;

    Case kind() const { return case_; }
    // The display version of updateAvailable; empty otherwise.
    QString version() const { return case_ == Case::updateAvailable ? payload_ : QString(); }
    // The error text of failed; empty otherwise.
    QString message() const { return case_ == Case::failed ? payload_ : QString(); }

    friend bool operator==(const UpdateCheckStatus&, const UpdateCheckStatus&) = default;

private:
    UpdateCheckStatus(Case kind, QString payload) : case_(kind), payload_(std::move(payload)) {}

    Case case_ = Case::idle;
    QString payload_;  // only the two cases with a payload ever fill it
};

// Turns a check the user starts from the settings view into a status, and
// leaves the updater's own scheduled and interactive cycles alone.
class UpdateCheckCoordinator final : public QObject, public UpdaterDelegate {
    Q_OBJECT

public:
    using Status = UpdateCheckStatus;

    explicit UpdateCheckCoordinator(Scheduler& scheduler, QObject* parent = nullptr);

    const Status& status() const { return status_; }

    void beginManualCheck(Updater& updater);
    // The updater's interactive flow runs from the event loop, after the
    // click that asked for it has been handled.
    void presentAvailableUpdate(Updater& updater);

    void updaterDidFindValidUpdate(Updater& updater, const QString& displayVersion) override;
    void updaterDidNotFindUpdate(Updater& updater) override;
    void updaterDidFinishUpdateCycle(Updater& updater, UpdateCheckKind kind,
                                     const std::optional<QString>& errorMessage) override;

signals:
    void statusChanged(const moravel::UpdateCheckStatus& status);

private:
    void setStatus(Status status);

    Scheduler& scheduler_;
    Status status_;
    bool isManualInformationCheck_ = false;
};

}  // namespace moravel
