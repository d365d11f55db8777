#pragma once

#include "support/Scheduler.h"
#include "updates/DottedVersion.h"
#include "updates/feed/FeedFetcher.h"
#include "updates/UpdateFeed.h"
#include "updates/Updater.h"
#include "updates/UpdaterSettings.h"

#include <QUrl>

#include <functional>
#include <optional>

namespace moravel {

class DefaultsStore;

struct FeedUpdaterOptions {
    // Empty (or not an accepted address): the updater is created but never
    // started, as in a developer build.
    QUrl feedUrl;
    // The version of the running Moravel, as dotted numbers.
    QString runningVersion;
    double timeoutSeconds = 15;
    // Test servers speak plain http on 127.0.0.1; production never does.
    bool allowsLoopbackHttpForTesting = false;
    // Shows a release page in the browser; null runs xdg-open.
    std::function<void(const QUrl&)> openUrl;
};

// Reads Moravel's update feed (see UpdateFeed.h for its format) and tells the
// delegate whether a newer release exists. There is no installer: the
// interactive flow opens the newest release's page in the browser.
class FeedUpdater final : public Updater {
    Q_OBJECT

public:
    static constexpr double automaticCheckIntervalSeconds = 24 * 60 * 60;
    // A check that has fallen due waits this long after start-up.
    static constexpr double startupCheckDelaySeconds = 60;

    // The store must outlive the updater.
    FeedUpdater(FeedUpdaterOptions options, Scheduler& scheduler, DefaultsStore& store, QObject* parent = nullptr);

    // MORAVEL_UPDATE_FEED_URL from the environment when set (even empty, which
    // turns updates off), otherwise the address the build was configured with.
    static QUrl configuredFeedUrl();

    bool isStarted() const { return isStarted_; }

    bool hasUpdateFeed() const override { return isStarted_; }
    bool canCheckForUpdates() const override { return isStarted_ && !fetcher_.isFetching(); }
    bool automaticallyChecksForUpdates() const override { return automaticallyChecks_; }
    void setAutomaticallyChecksForUpdates(bool enabled) override;
    // Kept for the settings view; with nothing to install, no download is made.
    bool automaticallyDownloadsUpdates() const override { return automaticallyDownloads_; }
    void setAutomaticallyDownloadsUpdates(bool enabled) override;
    void checkForUpdateInformation() override;
    void checkForUpdates() override;

private:
    struct Outcome {
        std::optional<UpdateFeedItem> newerItem;  // set when a newer release exists
        std::optional<QString> errorMessage;
    };

    void startCycle(UpdateCheckKind kind);
    void finishCycle(const FeedFetcher::Result& result);
    Outcome evaluate(const FeedFetcher::Result& result) const;
    void report(const Outcome& outcome, UpdateCheckKind kind);
    void scheduleAutomaticCheck();
    void openLink(const QUrl& url) const;

    FeedUpdaterOptions options_;
    Scheduler& scheduler_;
    UpdaterSettings settings_;
    std::optional<DottedVersion> runningVersion_;
    // Kept here too, so that a store that cannot save does not make checks run back to back.
    std::optional<QDateTime> lastCheckTime_;
    bool isStarted_ = false;
    bool automaticallyChecks_ = false;
    bool automaticallyDownloads_ = false;
    UpdateCheckKind cycleKind_ = UpdateCheckKind::updates;
    bool opensLinkWhenFound_ = false;
    FeedFetcher fetcher_;
    TaskSlot automaticCheck_;
};

}  // namespace moravel
