#include "support/VirtualScheduler.h"
#include "testsupport/StubUpdater.h"
#include "updates/DottedVersion.h"
#include "updates/UpdateCheckCoordinator.h"
#include "updates/UpdateFeed.h"

#include <gtest/gtest.h>

#include <memory>

namespace moravel {
namespace {

using Status = UpdateCheckCoordinator::Status;
using Kind = UpdateCheckKind;

class UpdateCheckCoordinatorTest : public ::testing::Test {
protected:
    UpdateCheckCoordinatorTest() { restart(); }

    void restart()
    {
        coordinator = std::make_unique<UpdateCheckCoordinator>(scheduler);
        QObject::connect(coordinator.get(), &UpdateCheckCoordinator::statusChanged,
                         [this](const Status& status) { published.push_back(status); });
    }

    // Plays updater callbacks: "begin" starts a manual check, "found:V" and
    // "none" report a result, "<kind>" or "<kind>!" ends a cycle of that kind
    // (probe, background, updates), the "!" with the error "offline".
    void play(const QString& script)
    {
        const std::map<QString, Kind> kinds{
            {"probe", Kind::updateInformation}, {"background", Kind::updatesInBackground}, {"updates", Kind::updates}};
        for (QString step : script.split(u' ')) {
            if (step == u"begin")
                coordinator->beginManualCheck(updater);
            else if (step.startsWith(u"found:"))
                coordinator->updaterDidFindValidUpdate(updater, step.mid(6));
            else if (step == u"none")
                coordinator->updaterDidNotFindUpdate(updater);
            else {
                const bool failed = step.endsWith(u'!');
                step.remove(u'!');
                ASSERT_TRUE(kinds.contains(step)) << step.toStdString();
                const auto error = failed ? std::optional(QStringLiteral("offline")) : std::nullopt;
                coordinator->updaterDidFinishUpdateCycle(updater, kinds.at(step), error);
            }
        }
    }

    VirtualScheduler scheduler;
    fixtures::StubUpdater updater;
    std::unique_ptr<UpdateCheckCoordinator> coordinator;
    std::vector<Status> published;
};

// Each row is one sequence of updater callbacks and the status it must end in.
TEST_F(UpdateCheckCoordinatorTest, TransitionsEndInTheRightStatus)
{
    const QString offline = QStringLiteral("offline");
    const std::pair<const char*, Status> rows[] = {
        {"begin found:2.1 probe", Status::updateAvailable("2.1")},
        {"begin found:2.1 probe!", Status::updateAvailable("2.1")},
        {"begin none probe!", Status::upToDate()},
        {"begin probe", Status::upToDate()},
        {"begin probe!", Status::failed(offline)},
        {"found:3.0 none background! probe!", Status::idle()},  // scheduled cycles leave the status alone
        {"begin background!", Status::checking()},               // another cycle's end is not the probe's
        {"begin background! probe!", Status::failed(offline)},
        {"begin none probe found:2.2 updates!", Status::upToDate()},  // later callbacks are ignored
        {"begin found:2.1 probe begin found:2.2", Status::updateAvailable("2.2")},
    };
    for (const auto& [script, expected] : rows) {
        SCOPED_TRACE(script);
        restart();
        play(QString::fromLatin1(script));
        EXPECT_EQ(coordinator->status(), expected);
    }
    EXPECT_EQ(updater.interactiveChecks, 0);  // a manual check only probes, silently
    restart();
    published.clear();
    updater.canCheck = false;  // one the updater cannot run shows nothing
    play("begin");
    EXPECT_TRUE(published.empty());
    EXPECT_EQ(coordinator->status(), Status::idle());
}

// Presenting runs the interactive flow from the event loop, and only while the updater lives.
TEST_F(UpdateCheckCoordinatorTest, PresentingTheUpdateRunsTheInteractiveFlowFromTheEventLoop)
{
    play("begin found:2.1 probe");
    published.clear();
    coordinator->presentAvailableUpdate(updater);
    EXPECT_EQ(updater.interactiveChecks, 0);
    scheduler.advance(0);
    EXPECT_EQ(updater.interactiveChecks, 1);
    EXPECT_EQ(coordinator->status(), Status::updateAvailable("2.1"));
    EXPECT_TRUE(published.empty());

    auto shortLived = std::make_unique<fixtures::StubUpdater>();
    coordinator->presentAvailableUpdate(*shortLived);
    shortLived.reset();
    scheduler.advance(0);  // must not touch the destroyed updater
}

DottedVersion version(const char* text)
{
    return DottedVersion::parse(QString::fromLatin1(text)).value();
}

TEST(DottedVersion, ComparesNumberByNumberAndRejectsAnythingElse)
{
    EXPECT_GT(version("2.0"), version("1.99.99"));  // 1.10 over 1.9: the feed updater's probe
    EXPECT_EQ(version("1.4"), version("1.4.0"));
    EXPECT_EQ(version(" 1.4 "), version("1.4"));
    EXPECT_GT(version("1.4.0.1"), version("1.4"));
    for (const char* text : {"", "1..2", "1.", ".1", "v1.2", "1.4 beta", "1.-2", "1,2", "1234567890"})
        EXPECT_FALSE(DottedVersion::parse(QString::fromLatin1(text))) << text;
}

QByteArray feedWithItems(const QByteArray& items)
{
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:moravel=\"urn:moravel:update-feed:1\">"
           "<channel><title>Moravel releases</title>" + items + "</channel></rss>";
}

QByteArray item(const QByteArray& version, const QByteArray& link, const QByteArray& extra = {})
{
    return "<item><title>Moravel</title><link>" + link + "</link><moravel:version>" + version
           + "</moravel:version>" + extra + "</item>";
}

TEST(UpdateFeed, NewestItemIsTheHighestVersionWhateverTheOrder)
{
    const auto parsed = UpdateFeed::parse(feedWithItems(
        "<language>en</language>" + item("1.9", "https://example.org/1.9")
        + item("1.10.0", "https://example.org/1.10",
               "<moravel:shortVersionString>1.10 (spring)</moravel:shortVersionString>")
        + item("1.2", "https://example.org/1.2", "<description><p>Notes</p></description><pubDate>x</pubDate>")));
    const auto* items = std::get_if<std::vector<UpdateFeedItem>>(&parsed);
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 3u);
    EXPECT_EQ(items->front().displayVersion, "1.9");  // defaults to the version text
    const auto newest = UpdateFeed::newestItem(*items);
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->displayVersion, "1.10 (spring)");
    EXPECT_EQ(newest->link, QUrl("https://example.org/1.10"));

    const auto empty = UpdateFeed::parse(feedWithItems({}));
    ASSERT_TRUE(std::holds_alternative<std::vector<UpdateFeedItem>>(empty));
    EXPECT_TRUE(std::get<std::vector<UpdateFeedItem>>(empty).empty());
}

// Each row is a document that must be refused, with a word the reason must contain.
TEST(UpdateFeed, UntrustedItemsAndDocumentsThatAreNotFeedsAreRejected)
{
    QByteArray truncated = feedWithItems(item("1.5", "https://example.org/1.5"));
    truncated.chop(20);
    const std::pair<QByteArray, const char*> rows[] = {
        // The link is opened in the browser, so only https pages pass.
        {feedWithItems(item("1.5", "http://example.org/1.5")), "https"},
        {feedWithItems(item("1.5", "javascript:alert(1)")), ""},
        {feedWithItems(item("1.5", "")), ""},
        {feedWithItems(item("1.5 beta", "https://example.org")), "1.5 beta"},
        {feedWithItems("<item><link>https://example.org</link></item>"), "no version"},
        // A version outside Moravel's namespace is not Moravel's version.
        {feedWithItems("<item><link>https://example.org</link><version>9</version></item>"), ""},
        {"<html><body>Not found</body></html>", ""},
        {truncated, ""},
        {feedWithItems(item("1.5", "https://example.org/1.5")) + "<extra/>", ""},
    };
    for (const auto& [document, reasonWord] : rows) {
        SCOPED_TRACE(document.constData());
        const auto parsed = UpdateFeed::parse(document);
        const auto* reason = std::get_if<QString>(&parsed);
        ASSERT_TRUE(reason);
        EXPECT_FALSE(reason->isEmpty());
        EXPECT_TRUE(reason->contains(QString::fromUtf8(reasonWord))) << reason->toStdString();
    }
}

}  // namespace
}  // namespace moravel
