#include "updates/feed/FeedUpdater.h"

#include "BuildInfo.h"

#include <QProcess>

#include <algorithm>

namespace moravel {

FeedUpdater::FeedUpdater(FeedUpdaterOptions options, Scheduler& scheduler, DefaultsStore& store, QObject* parent)
    : Updater(parent),
      options_(std::move(options)),
      scheduler_(scheduler),
      settings_(store),
      runningVersion_(DottedVersion::parse(options_.runningVersion)),
      fetcher_(scheduler, FeedAddressPolicy{options_.allowsLoopbackHttpForTesting}, options_.timeoutSeconds, this)
{
    const FeedAddressPolicy policy{options_.allowsLoopbackHttpForTesting};
    // Without a comparable running version every check would be meaningless.
    isStarted_ = !options_.feedUrl.isEmpty() && policy.acceptsFeedAddress(options_.feedUrl)
                 && runningVersion_.has_value();
    automaticallyChecks_ = settings_.automaticallyChecks();
    automaticallyDownloads_ = settings_.automaticallyDownloads();
    lastCheckTime_ = settings_.lastCheckTime();
    scheduleAutomaticCheck();
}

QUrl FeedUpdater::configuredFeedUrl()
{
    if (qEnvironmentVariableIsSet("MORAVEL_UPDATE_FEED_URL"))
        return QUrl(qEnvironmentVariable("MORAVEL_UPDATE_FEED_URL").trimmed());
    return QUrl(QString::fromUtf8(build::updateFeedUrl).trimmed());
}

void FeedUpdater::setAutomaticallyChecksForUpdates(bool enabled)
{
    automaticallyChecks_ = enabled;
    settings_.setAutomaticallyChecks(enabled);
    scheduleAutomaticCheck();
}

void FeedUpdater::setAutomaticallyDownloadsUpdates(bool enabled)
{
    automaticallyDownloads_ = enabled;
    settings_.setAutomaticallyDownloads(enabled);
}

void FeedUpdater::checkForUpdateInformation()
{
    startCycle(UpdateCheckKind::updateInformation);
}

void FeedUpdater::checkForUpdates()
{
    if (!isStarted_)
        return;
    // Asked for during a running cycle: that cycle's result opens the page.
    opensLinkWhenFound_ = true;
    startCycle(UpdateCheckKind::updates);
}

void FeedUpdater::startCycle(UpdateCheckKind kind)
{
    if (!canCheckForUpdates())
        return;
    cycleKind_ = kind;
    opensLinkWhenFound_ = opensLinkWhenFound_ || kind == UpdateCheckKind::updates;
    fetcher_.fetch(options_.feedUrl, [this](const FeedFetcher::Result& result) { finishCycle(result); });
    emit canCheckForUpdatesChanged(false);
}

void FeedUpdater::finishCycle(const FeedFetcher::Result& result)
{
    const UpdateCheckKind kind = cycleKind_;
    const bool opensLink = std::exchange(opensLinkWhenFound_, false);
    const Outcome outcome = evaluate(result);
    lastCheckTime_ = scheduler_.currentDateTime();
    settings_.setLastCheckTime(*lastCheckTime_);
    scheduleAutomaticCheck();
    emit canCheckForUpdatesChanged(true);
    if (opensLink && outcome.newerItem)
        openLink(outcome.newerItem->link);
    report(outcome, kind);
}

FeedUpdater::Outcome FeedUpdater::evaluate(const FeedFetcher::Result& result) const
{
    if (const auto* message = std::get_if<QString>(&result))
        return {std::nullopt, *message};
    auto parsed = UpdateFeed::parse(std::get<QByteArray>(result));
    if (const auto* reason = std::get_if<QString>(&parsed))
        return {std::nullopt, QStringLiteral("The update feed could not be read: %1.").arg(*reason)};
    auto newest = UpdateFeed::newestItem(std::get<std::vector<UpdateFeedItem>>(parsed));
    if (newest && newest->version > *runningVersion_)
        return {newest, std::nullopt};
    return {};
}

void FeedUpdater::report(const Outcome& outcome, UpdateCheckKind kind)
{
    UpdaterDelegate* target = delegate();
    if (!target)
        return;
    if (!outcome.errorMessage) {
        if (outcome.newerItem)
            target->updaterDidFindValidUpdate(*this, outcome.newerItem->displayVersion);
        else
            target->updaterDidNotFindUpdate(*this);
    }
    target->updaterDidFinishUpdateCycle(*this, kind, outcome.errorMessage);
}

void FeedUpdater::scheduleAutomaticCheck()
{
    if (!isStarted_ || !automaticallyChecks_) {
        automaticCheck_.cancel();
        return;
    }
    double delay = startupCheckDelaySeconds;
    if (lastCheckTime_) {
        const double elapsed = lastCheckTime_->msecsTo(scheduler_.currentDateTime()) / 1000.0;
        // A clock set back makes `elapsed` negative: wait one interval at most.
        delay = std::clamp(automaticCheckIntervalSeconds - elapsed, startupCheckDelaySeconds,
                           automaticCheckIntervalSeconds);
    }
    automaticCheck_.arm(scheduler_, delay, this, [this] { startCycle(UpdateCheckKind::updatesInBackground); });
}

void FeedUpdater::openLink(const QUrl& url) const
{
    if (options_.openUrl)
        options_.openUrl(url);
    else
        QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

}  // namespace moravel
