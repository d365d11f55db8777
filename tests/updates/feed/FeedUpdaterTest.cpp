#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Files.h"
#include "testsupport/LocalHttpServer.h"
#include "updates/feed/FeedUpdater.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace moravel {
namespace {

using fixtures::LocalHttpServer;
using fixtures::processEventsUntil;

QByteArray feedOffering(const QByteArray& version, const QByteArray& display)
{
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:moravel=\"urn:moravel:update-feed:1\"><channel>"
           "<item><title>Moravel</title><link>https://example.org/releases/" + version + "</link><moravel:version>"
           + version + "</moravel:version><moravel:shortVersionString>" + display
           + "</moravel:shortVersionString></item></channel></rss>";
}

// Records what the updater reports, one "; "-separated entry per callback.
class RecordingDelegate final : public UpdaterDelegate {
public:
    void updaterDidFindValidUpdate(Updater&, const QString& shown) override { note("found " + shown.toStdString()); }
    void updaterDidNotFindUpdate(Updater&) override { note("not found"); }
    void updaterDidFinishUpdateCycle(Updater&, UpdateCheckKind kind, const std::optional<QString>& error) override
    {
        note("finished " + std::to_string(static_cast<int>(kind)) + (error ? " error: " + error->toStdString() : ""));
        ++finishedCycles;
    }
    void note(const std::string& event) { events += (events.empty() ? "" : "; ") + event; }

    std::string events;
    int finishedCycles = 0;
};

class FeedUpdaterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { fixtures::ensureApplication(); }

    std::unique_ptr<FeedUpdater> makeUpdater(const QUrl& feedUrl, bool loopbackHttp = true)
    {
        FeedUpdaterOptions options;
        options.feedUrl = feedUrl;
        options.runningVersion = "1.9";  // 1.10 is newer: versions compare by number
        options.allowsLoopbackHttpForTesting = loopbackHttp;
        options.openUrl = [this](const QUrl& url) { openedUrls.push_back(url); };
        auto updater = std::make_unique<FeedUpdater>(options, scheduler, *defaults);
        updater->setDelegate(&delegate);
        QObject::connect(updater.get(), &Updater::canCheckForUpdatesChanged,
                         [this](bool canCheck) { availability.push_back(canCheck); });
        return updater;
    }

    bool cycleFinished()
    {
        return processEventsUntil([this] { return delegate.finishedCycles > 0; });
    }

    LocalHttpServer server;
    VirtualScheduler scheduler;
    MemoryDefaultsStore store;
    DefaultsStore* defaults = &store;
    RecordingDelegate delegate;
    std::vector<QUrl> openedUrls;
    std::vector<bool> availability;
};

// Each row serves one path (unless it has no status; "stall" never answers) or
// names a feed of its own, and probes it silently; an expectation ending in
// ": " is a prefix.
TEST_F(FeedUpdaterTest, ProbeReportsWhatTheServerAnswered)
{
    QTemporaryDir directory;
    const QString fifo = directory.filePath("feed.xml");  // nobody ever writes to it: no read may wait for it
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(closed.serverPort()));
    closed.close();
    const struct {
        const char* path;
        const char* status;
        QByteArray body;
        QByteArray headers;
        std::string expected;
        QUrl url = {};
    } rows[] = {
        {"/newer.xml", "200 OK", feedOffering("1.10", "1.10 (spring)"), {}, "found 1.10 (spring); finished 2"},
        {"/same.xml", "200 OK", feedOffering("1.9.0", "1.9.0"), {}, "not found; finished 2"},
        {"/malformed.xml", "200 OK", "<rss><channel><item>", {},
         "finished 2 error: The update feed could not be read: "},
        {"/nothing-here.xml", nullptr, {}, {}, "finished 2 error: The update server answered 404 Not Found."},
        {"/huge.xml", "200 OK", QByteArray(FeedFetcher::maximumFeedBytes + 1, ' '), {},
         "finished 2 error: The update feed is larger than 1024 KiB."},
        {"/moved.xml", "302 Found", {}, "Location: /newer.xml\r\n", "found 1.10 (spring); finished 2"},
        {"/downgraded.xml", "302 Found", {}, "Location: http://example.org/feed.xml\r\n",
         "finished 2 error: The update server redirected to an address that is not https "
         "(http://example.org/feed.xml)."},
        {"/to-file.xml", "302 Found", {}, "Location: file:///etc/passwd\r\n", "finished 2 error: "},
        {"refused", nullptr, {}, {}, "finished 2 error: The update feed could not be loaded: Connection refused.",
         refused},
        {"FIFO", nullptr, {}, {}, "finished 2 error: The update feed " + fifo.toStdString() + " is not a regular file.",
         QUrl::fromLocalFile(fifo)},
        {"/stall.xml", "stall", {}, {}, "finished 2 error: The update server did not answer within 15 seconds."},
    };
    for (const auto& row : rows) {
        if (row.status && std::string_view(row.status) == "stall")
            server.stall(QString::fromLatin1(row.path));
        else if (row.status)
            server.serve(QString::fromLatin1(row.path), row.status, row.body, row.headers);
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        delegate = {};
        availability.clear();
        const auto updater = makeUpdater(row.url.isEmpty() ? server.url(QString::fromLatin1(row.path)) : row.url);
        const int asked = server.requestCount();
        updater->checkForUpdateInformation();
        if (row.status && std::string_view(row.status) == "stall") {
            ASSERT_TRUE(processEventsUntil([&] { return server.requestCount() > asked; }));
            scheduler.advance(14.9);
            QCoreApplication::processEvents();
            EXPECT_TRUE(delegate.events.empty());
            scheduler.advance(0.1);
        }
        ASSERT_TRUE(cycleFinished());
        const bool prefixOnly = row.expected.ends_with(": ");
        EXPECT_EQ(prefixOnly ? delegate.events.substr(0, row.expected.size()) : delegate.events, row.expected);
        EXPECT_EQ(availability, (std::vector<bool>{false, true}));
    }
    EXPECT_TRUE(openedUrls.empty());
}

// The interactive flow opens nothing for the running release, and a newer
// release's page; asked for while a silent check runs, it rides on it.
TEST_F(FeedUpdaterTest, InteractiveFlowOpensOnlyANewerReleasePageOneCycleAtATime)
{
    server.serve("/same.xml", "200 OK", feedOffering("1.9", "1.9"));
    const auto running = makeUpdater(server.url("/same.xml"));
    running->checkForUpdates();
    ASSERT_TRUE(cycleFinished());
    EXPECT_EQ(delegate.events, "not found; finished 0");
    EXPECT_TRUE(openedUrls.empty());

    delegate = {};
    server.serve("/feed.xml", "200 OK", feedOffering("1.10", "1.10"));
    auto updater = makeUpdater(server.url("/feed.xml"));
    updater->checkForUpdateInformation();
    updater->checkForUpdateInformation();  // ignored
    updater->checkForUpdates();             // rides on the running cycle
    ASSERT_TRUE(cycleFinished());
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requestCount(), 2);
    EXPECT_EQ(delegate.events, "found 1.10; finished 2");
    EXPECT_EQ(openedUrls, std::vector<QUrl>{QUrl("https://example.org/releases/1.10")});
}

TEST_F(FeedUpdaterTest, StartsOnlyWithAnAcceptedFeedAddress)
{
    EXPECT_FALSE(makeUpdater(QUrl())->isStarted());
    EXPECT_TRUE(makeUpdater(QUrl("https://example.org/moravel/feed.xml"), false)->isStarted());
    EXPECT_TRUE(makeUpdater(QUrl::fromLocalFile("/tmp/feed.xml"), false)->isStarted());
    // Production never speaks plain http, not even to this machine.
    EXPECT_FALSE(makeUpdater(server.url("/feed.xml"), false)->isStarted());
    EXPECT_FALSE(makeUpdater(QUrl("http://example.org/feed.xml"), true)->isStarted());

    // An updater that is not started never checks.
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

class AutomaticCheckTest : public FeedUpdaterTest {
protected:
    void SetUp() override { ASSERT_TRUE(fixtures::writeFile(feedFile.toLocalFile(), feedOffering("1.9", "1.9"))); }

    // Moves virtual time on, then lets a cycle that started meanwhile complete.
    // A running cycle shows as canCheckForUpdates() == false, so no waiting is
    // needed to see that none started.
    int cyclesAfter(const Updater& updater, double seconds)
    {
        const int before = delegate.finishedCycles;
        scheduler.advance(seconds);
        if (!updater.canCheckForUpdates()) {
            EXPECT_TRUE(processEventsUntil([this, before] { return delegate.finishedCycles > before; }));
        }
        return delegate.finishedCycles - before;
    }

    QTemporaryDir directory;
    const QUrl feedFile = QUrl::fromLocalFile(directory.filePath("feed.xml"));
};

TEST_F(AutomaticCheckTest, ChecksShortlyAfterStartThenOnceADay)
{
    auto updater = makeUpdater(feedFile);
    updater->setAutomaticallyChecksForUpdates(true);
    EXPECT_EQ(store.data(UpdaterSettings::automaticallyChecksKey), QByteArray("true"));
    EXPECT_EQ(cyclesAfter(*updater, 59), 0);
    EXPECT_EQ(cyclesAfter(*updater, 1), 1);
    EXPECT_EQ(delegate.events, "not found; finished 1");
    EXPECT_EQ(cyclesAfter(*updater, FeedUpdater::automaticCheckIntervalSeconds - 1), 0);
    EXPECT_EQ(cyclesAfter(*updater, 1), 1);
    updater->setAutomaticallyChecksForUpdates(false);
    EXPECT_EQ(cyclesAfter(*updater, 2 * FeedUpdater::automaticCheckIntervalSeconds), 0);
}

// The choices and the time of the last check live in the defaults store
// under their own keys; a garbled choice reads as off.
TEST_F(AutomaticCheckTest, DailyRhythmAndChoicesCarryOverARestart)
{
    store.setData(UpdaterSettings::automaticallyChecksKey, "true");
    store.setData(UpdaterSettings::automaticallyDownloadsKey, "true");
    store.setData(UpdaterSettings::lastCheckTimeKey,
                  scheduler.currentDateTime().addSecs(-2 * 3600).toString(Qt::ISODateWithMs).toUtf8());
    auto updater = makeUpdater(feedFile);
    EXPECT_TRUE(updater->automaticallyDownloadsUpdates());
    EXPECT_EQ(cyclesAfter(*updater, 22 * 3600 - 1), 0);
    EXPECT_EQ(cyclesAfter(*updater, 1), 1);
    store.setData(UpdaterSettings::automaticallyChecksKey, "{garbage");
    EXPECT_FALSE(makeUpdater(feedFile)->automaticallyChecksForUpdates());
}

TEST_F(AutomaticCheckTest, FailingStoreDoesNotMakeChecksRunBackToBack)
{
    FailingDefaultsStore failing;
    failing.preset(UpdaterSettings::automaticallyChecksKey, "true");
    defaults = &failing;
    auto updater = makeUpdater(feedFile);
    EXPECT_EQ(cyclesAfter(*updater, 60), 1);
    EXPECT_EQ(cyclesAfter(*updater, 3600), 0);
}

}  // namespace
}  // namespace moravel
