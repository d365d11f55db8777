#include "LocalHttpServer.h"

#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "updates/FeedUpdater.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace moravel {
namespace {

using updatetest::LocalHttpServer;
using updatetest::processEventsUntil;

QByteArray feedOffering(const QByteArray& version, const QByteArray& display)
{
    return "<?xml version=\"1.0\"?>\n"
           "<rss version=\"2.0\" xmlns:moravel=\"urn:moravel:update-feed:1\"><channel>"
           "<item><title>Moravel " + display + "</title><link>https://example.org/releases/" + version
           + "</link><moravel:version>" + version + "</moravel:version><moravel:shortVersionString>" + display
           + "</moravel:shortVersionString></item>"
           "<item><title>Moravel 1.0</title><link>https://example.org/releases/1.0</link>"
           "<moravel:version>1.0</moravel:version></item>"
           "</channel></rss>";
}

// Records what the updater reports, one line per callback.
class RecordingDelegate final : public UpdaterDelegate {
public:
    std::vector<std::string> events;

    void updaterDidFindValidUpdate(Updater&, const QString& displayVersion) override
    {
        events.push_back("found " + displayVersion.toStdString());
    }
    void updaterDidNotFindUpdate(Updater&) override { events.push_back("not found"); }
    void updaterDidFinishUpdateCycle(Updater&, UpdateCheckKind kind, const std::optional<QString>& error) override
    {
        events.push_back("finished " + std::to_string(static_cast<int>(kind))
                         + (error ? " error: " + error->toStdString() : std::string()));
        ++finishedCycles;
    }
    int finishedCycles = 0;
};

class FeedUpdaterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { updatetest::ensureCoreApplication(); }

    std::unique_ptr<FeedUpdater> makeUpdater(const QUrl& feedUrl, bool loopbackHttp = true)
    {
        FeedUpdaterOptions options;
        options.feedUrl = feedUrl;
        options.runningVersion = "1.3.2";
        options.allowsLoopbackHttpForTesting = loopbackHttp;
        options.openUrl = [this](const QUrl& url) { openedUrls.push_back(url); };
        auto updater = std::make_unique<FeedUpdater>(options, scheduler, store);
        updater->setDelegate(&delegate);
        QObject::connect(updater.get(), &Updater::canCheckForUpdatesChanged,
                         [this](bool canCheck) { availability.push_back(canCheck); });
        return updater;
    }

    // Runs one silent probe against `path` and returns what the delegate heard.
    std::vector<std::string> probe(const QString& path)
    {
        auto updater = makeUpdater(server.url(path));
        updater->checkForUpdateInformation();
        EXPECT_TRUE(processEventsUntil([this] { return delegate.finishedCycles > 0; }));
        return delegate.events;
    }

    LocalHttpServer server;
    VirtualScheduler scheduler;
    MemoryDefaultsStore store;
    RecordingDelegate delegate;
    std::vector<QUrl> openedUrls;
    std::vector<bool> availability;
};

using Events = std::vector<std::string>;

// Each row serves one path and probes it; an expected event ending in ": " is a prefix.
TEST_F(FeedUpdaterTest, ProbeReportsWhatTheServerAnswered)
{
    const QByteArray newer = feedOffering("1.4.0", "1.4");
    const struct {
        const char* path;
        std::optional<LocalHttpServer::Response> response;
        Events expected;
    } rows[] = {
        {"/newer.xml", LocalHttpServer::Response{200, "OK", newer, {}, false}, {"found 1.4", "finished 2"}},
        {"/same.xml", LocalHttpServer::Response{200, "OK", feedOffering("1.3.2", "1.3.2"), {}, false},
         {"not found", "finished 2"}},
        {"/malformed.xml", LocalHttpServer::Response{200, "OK", "<rss><channel><item>", {}, false},
         {"finished 2 error: The update feed could not be read: "}},
        {"/nothing-here.xml", std::nullopt, {"finished 2 error: The update server answered 404 Not Found."}},
        {"/huge.xml",
         LocalHttpServer::Response{200, "OK", QByteArray(FeedFetcher::maximumFeedBytes + 1, ' '), {}, false},
         {"finished 2 error: The update feed is larger than 1024 KiB."}},
        {"/moved.xml", LocalHttpServer::Response{302, "Found", {}, "Location: /newer.xml\r\n", false},
         {"found 1.4", "finished 2"}},
        {"/downgraded.xml",
         LocalHttpServer::Response{302, "Found", {}, "Location: http://example.org/feed.xml\r\n", false},
         {"finished 2 error: The update server redirected to an address that is not https "
          "(http://example.org/feed.xml)."}},
        {"/to-file.xml", LocalHttpServer::Response{302, "Found", {}, "Location: file:///etc/passwd\r\n", false},
         {"finished 2 error: "}},
    };
    for (const auto& row : rows) {
        if (row.response)
            server.serve(QString::fromLatin1(row.path), *row.response);
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        delegate = {};
        availability.clear();
        const Events events = probe(QString::fromLatin1(row.path));
        ASSERT_EQ(events.size(), row.expected.size());
        for (size_t i = 0; i < events.size(); ++i) {
            if (row.expected[i].ends_with(": "))
                EXPECT_TRUE(events[i].starts_with(row.expected[i])) << events[i];
            else
                EXPECT_EQ(events[i], row.expected[i]);
        }
        EXPECT_EQ(availability, (std::vector<bool>{false, true}));
    }
    EXPECT_TRUE(openedUrls.empty());
}

TEST_F(FeedUpdaterTest, UnreachableServerIsANetworkError)
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(closed.serverPort()));
    closed.close();
    auto updater = makeUpdater(url);
    updater->checkForUpdateInformation();
    ASSERT_TRUE(processEventsUntil([this] { return delegate.finishedCycles > 0; }));
    ASSERT_EQ(delegate.events.size(), 1u);
    EXPECT_EQ(delegate.events[0], "finished 2 error: The update feed could not be loaded: Connection refused.");
}

TEST_F(FeedUpdaterTest, StalledServerTimesOutAfterFifteenSeconds)
{
    server.serve("/stall.xml", {200, "OK", {}, {}, true});
    auto updater = makeUpdater(server.url("/stall.xml"));
    updater->checkForUpdateInformation();
    ASSERT_TRUE(processEventsUntil([this] { return server.requestCount() == 1; }));

    scheduler.advance(14.9);
    QCoreApplication::processEvents();
    EXPECT_TRUE(delegate.events.empty());
    EXPECT_FALSE(updater->canCheckForUpdates());

    scheduler.advance(0.1);
    ASSERT_TRUE(processEventsUntil([this] { return delegate.finishedCycles > 0; }));
    EXPECT_EQ(delegate.events, (Events{"finished 2 error: The update server did not answer within 15 seconds."}));
    EXPECT_TRUE(updater->canCheckForUpdates());
}

TEST_F(FeedUpdaterTest, InteractiveFlowOpensOnlyANewerReleasePage)
{
    for (const char* version : {"1.4.0", "1.3.2"}) {
        SCOPED_TRACE(version);
        delegate = {};
        server.serve("/feed.xml", {200, "OK", feedOffering(version, version), {}, false});
        auto updater = makeUpdater(server.url("/feed.xml"));
        updater->checkForUpdates();
        ASSERT_TRUE(processEventsUntil([this] { return delegate.finishedCycles > 0; }));
        EXPECT_EQ(delegate.events.back(), "finished 0");
    }
    EXPECT_EQ(openedUrls, std::vector<QUrl>{QUrl("https://example.org/releases/1.4.0")});
}

TEST_F(FeedUpdaterTest, OneCycleAtATime)
{
    server.serve("/feed.xml", {200, "OK", feedOffering("1.4.0", "1.4"), {}, false});
    auto updater = makeUpdater(server.url("/feed.xml"));
    updater->checkForUpdateInformation();
    EXPECT_FALSE(updater->canCheckForUpdates());
    updater->checkForUpdateInformation();  // ignored
    updater->checkForUpdates();             // rides on the running cycle
    ASSERT_TRUE(processEventsUntil([this] { return delegate.finishedCycles > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(delegate.events, (Events{"found 1.4", "finished 2"}));
    EXPECT_EQ(openedUrls.size(), 1u);
}

TEST_F(FeedUpdaterTest, StartsOnlyWithAnAcceptedFeedAddress)
{
    EXPECT_FALSE(makeUpdater(QUrl())->isStarted());
    EXPECT_TRUE(makeUpdater(QUrl("https://example.org/moravel/feed.xml"), false)->isStarted());
    EXPECT_TRUE(makeUpdater(QUrl::fromLocalFile("/tmp/feed.xml"), false)->isStarted());
    // Production never speaks plain http, not even to this machine.
    EXPECT_FALSE(makeUpdater(server.url("/feed.xml"), false)->isStarted());
    EXPECT_FALSE(makeUpdater(QUrl("http://example.org/feed.xml"), false)->isStarted());
    EXPECT_FALSE(makeUpdater(QUrl("http://example.org/feed.xml"), true)->isStarted());
    EXPECT_FALSE(makeUpdater(QUrl("ftp://example.org/feed.xml"), false)->isStarted());
}

TEST_F(FeedUpdaterTest, UpdaterThatIsNotStartedNeverChecks)
{
    auto updater = makeUpdater(QUrl());
    EXPECT_FALSE(updater->canCheckForUpdates());
    updater->checkForUpdateInformation();
    updater->checkForUpdates();
    updater->setAutomaticallyChecksForUpdates(true);
    scheduler.advance(2 * FeedUpdater::automaticCheckIntervalSeconds);
    QCoreApplication::processEvents();
    EXPECT_TRUE(delegate.events.empty());
    EXPECT_TRUE(availability.empty());
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST_F(FeedUpdaterTest, SettingsLiveInTheDefaultsStoreUnderTheirOwnKeys)
{
    store.setData(UpdaterSettings::automaticallyDownloadsKey, "true");
    auto updater = makeUpdater(QUrl());
    EXPECT_FALSE(updater->automaticallyChecksForUpdates());
    EXPECT_TRUE(updater->automaticallyDownloadsUpdates());

    updater->setAutomaticallyChecksForUpdates(true);
    updater->setAutomaticallyDownloadsUpdates(false);
    EXPECT_EQ(store.data(UpdaterSettings::automaticallyChecksKey), QByteArray("true"));
    EXPECT_EQ(store.data(UpdaterSettings::automaticallyDownloadsKey), QByteArray("false"));
    EXPECT_TRUE(makeUpdater(QUrl())->automaticallyChecksForUpdates());

    store.setData(UpdaterSettings::automaticallyChecksKey, "{garbage");
    EXPECT_FALSE(makeUpdater(QUrl())->automaticallyChecksForUpdates());
}

class AutomaticCheckTest : public FeedUpdaterTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.isValid());
        QFile file(directory.filePath("feed.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(feedOffering("1.3.2", "1.3.2"));
    }

    QUrl feedFile() const { return QUrl::fromLocalFile(directory.filePath("feed.xml")); }

    // Moves virtual time on, then lets a cycle that started meanwhile complete.
    // A running cycle shows as canCheckForUpdates() == false, so no waiting is
    // needed to see that none started.
    int cyclesAfter(const Updater& updater, double seconds)
    {
        const int before = delegate.finishedCycles;
        scheduler.advance(seconds);
        if (updater.canCheckForUpdates())
            return delegate.finishedCycles - before;
        EXPECT_TRUE(processEventsUntil([this, before] { return delegate.finishedCycles > before; }));
        return delegate.finishedCycles - before;
    }

    QTemporaryDir directory;
};

TEST_F(AutomaticCheckTest, ChecksShortlyAfterStartThenOnceADay)
{
    auto updater = makeUpdater(feedFile());
    updater->setAutomaticallyChecksForUpdates(true);
    EXPECT_EQ(cyclesAfter(*updater, 59), 0);
    EXPECT_EQ(cyclesAfter(*updater, 1), 1);
    EXPECT_EQ(delegate.events, (Events{"not found", "finished 1"}));
    EXPECT_EQ(cyclesAfter(*updater, FeedUpdater::automaticCheckIntervalSeconds - 1), 0);
    EXPECT_EQ(cyclesAfter(*updater, 1), 1);

    updater->setAutomaticallyChecksForUpdates(false);
    EXPECT_EQ(cyclesAfter(*updater, 2 * FeedUpdater::automaticCheckIntervalSeconds), 0);
}

TEST_F(AutomaticCheckTest, DailyRhythmCarriesOverARestart)
{
    store.setData(UpdaterSettings::automaticallyChecksKey, "true");
    store.setData(UpdaterSettings::lastCheckTimeKey,
                  scheduler.currentDateTime().addSecs(-2 * 3600).toString(Qt::ISODateWithMs).toUtf8());
    auto updater = makeUpdater(feedFile());
    EXPECT_EQ(cyclesAfter(*updater, 22 * 3600 - 1), 0);
    EXPECT_EQ(cyclesAfter(*updater, 1), 1);
    EXPECT_TRUE(store.data(UpdaterSettings::lastCheckTimeKey).has_value());
}

TEST_F(AutomaticCheckTest, FailingStoreDoesNotMakeChecksRunBackToBack)
{
    FailingDefaultsStore failing;
    failing.preset(UpdaterSettings::automaticallyChecksKey, "true");
    FeedUpdaterOptions options;
    options.feedUrl = feedFile();
    options.runningVersion = "1.3.2";
    auto updater = std::make_unique<FeedUpdater>(options, scheduler, failing);
    updater->setDelegate(&delegate);
    EXPECT_EQ(cyclesAfter(*updater, 60), 1);
    EXPECT_EQ(cyclesAfter(*updater, 3600), 0);
}

}  // namespace
}  // namespace moravel
