#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace moravel {

class Updater;

// What started an update cycle. The numbers are fixed: the coordinator tells
// the user's silent probe (2) apart from every other cycle by them.
enum class UpdateCheckKind : int {
    updates = 0,              // the interactive flow, started by checkForUpdates()
    updatesInBackground = 1,  // the updater's own scheduled check
    updateInformation = 2,    // the silent probe, started by checkForUpdateInformation()
};

// Receives the outcome of every update cycle, on the main thread. A cycle
// reports either a found or a not-found update and then always its end; a
// cycle that fails reports only its end, with a readable error message.
class UpdaterDelegate {
public:
    virtual ~UpdaterDelegate() = default;

    virtual void updaterDidFindValidUpdate(Updater& updater, const QString& displayVersion) = 0;
    virtual void updaterDidNotFindUpdate(Updater& updater) = 0;
    virtual void updaterDidFinishUpdateCycle(Updater& updater, UpdateCheckKind kind,
                                             const std::optional<QString>& errorMessage) = 0;
};

// The software updater as the rest of Moravel sees it. The settings view reads
// and writes the two automatic options, follows canCheckForUpdates through its
// change signal, and starts the silent probe through the coordinator.
class Updater : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // False in a build without an update feed, where updates come with the
    // system's package manager instead; nothing else here then does anything.
    virtual bool hasUpdateFeed() const { return true; }
    // False while the updater is not started or a cycle is already running.
    virtual bool canCheckForUpdates() const = 0;

    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool enabled) = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool enabled) = 0;

    // A silent probe: no window; the outcome arrives only through the delegate.
    virtual void checkForUpdateInformation() = 0;
    // The updater's own interactive flow for the newest update.
    virtual void checkForUpdates() = 0;

    // Not owned; must outlive the updater or be cleared first.
    void setDelegate(UpdaterDelegate* delegate) { delegate_ = delegate; }
    UpdaterDelegate* delegate() const { return delegate_; }

signals:
    void canCheckForUpdatesChanged(bool canCheck);

private:
    UpdaterDelegate* delegate_ = nullptr;
};

}  // namespace moravel
