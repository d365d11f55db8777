#include "updates/DottedVersion.h"
#include "updates/UpdateFeed.h"

#include <gtest/gtest.h>

namespace moravel {
namespace {

DottedVersion version(const char* text)
{
    return DottedVersion::parse(QString::fromLatin1(text)).value();
}

TEST(DottedVersion, ComparesNumberByNumber)
{
    EXPECT_GT(version("1.10"), version("1.9"));
    EXPECT_GT(version("2.0"), version("1.99.99"));
    EXPECT_LT(version("1.4.1"), version("1.4.2"));
    EXPECT_EQ(version("1.4"), version("1.4.0"));
    EXPECT_EQ(version(" 1.4 "), version("1.4"));
    EXPECT_GT(version("1.4.0.1"), version("1.4"));
}

TEST(DottedVersion, RejectsAnythingButDottedNumbers)
{
    for (const char* text : {"", "1..2", "1.", ".1", "v1.2", "1.4 beta", "1.-2", "1,2", "1234567890"})
        EXPECT_FALSE(DottedVersion::parse(QString::fromLatin1(text))) << text;
}

QByteArray feedWithItems(const QByteArray& items)
{
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:moravel=\"urn:moravel:update-feed:1\">"
           "<channel><title>Moravel releases</title>"
           + items + "</channel></rss>";
}

QByteArray item(const QByteArray& version, const QByteArray& link, const QByteArray& extra = {})
{
    return "<item><title>Moravel</title><link>" + link + "</link><moravel:version>" + version
           + "</moravel:version>" + extra + "</item>";
}

std::vector<UpdateFeedItem> parsedItems(const QByteArray& document)
{
    auto result = UpdateFeed::parse(document);
    if (const auto* reason = std::get_if<QString>(&result)) {
        ADD_FAILURE() << reason->toStdString();
        return {};
    }
    return std::get<std::vector<UpdateFeedItem>>(result);
}

QString parseFailure(const QByteArray& document)
{
    auto result = UpdateFeed::parse(document);
    if (const auto* reason = std::get_if<QString>(&result))
        return *reason;
    ADD_FAILURE() << "the document was accepted as a feed";
    return {};
}

TEST(UpdateFeed, NewestItemIsTheHighestVersionWhateverTheOrder)
{
    const auto items = parsedItems(feedWithItems(
        item("1.9", "https://example.org/1.9")
        + item("1.10.0", "https://example.org/1.10",
               "<moravel:shortVersionString>1.10 (spring)</moravel:shortVersionString>")
        + item("1.2", "https://example.org/1.2")));
    ASSERT_EQ(items.size(), 3u);
    const auto newest = UpdateFeed::newestItem(items);
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->displayVersion, "1.10 (spring)");
    EXPECT_EQ(newest->link, QUrl("https://example.org/1.10"));
}

TEST(UpdateFeed, DisplayVersionDefaultsToTheVersionText)
{
    const auto items = parsedItems(feedWithItems(item("2.1", "https://example.org/2.1")));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].displayVersion, "2.1");
}

TEST(UpdateFeed, EmptyChannelListsNoRelease)
{
    EXPECT_TRUE(parsedItems(feedWithItems({})).empty());
    EXPECT_FALSE(UpdateFeed::newestItem({}));
}

TEST(UpdateFeed, UnknownElementsAreIgnored)
{
    const auto items = parsedItems(feedWithItems(
        "<language>en</language>"
        + item("1.5", "https://example.org/1.5", "<description><p>Notes</p></description><pubDate>x</pubDate>")));
    ASSERT_EQ(items.size(), 1u);
}

TEST(UpdateFeed, ItemsThatCannotBeTrustedMakeTheFeedMalformed)
{
    // The link is opened in the browser, so only https pages pass.
    EXPECT_TRUE(parseFailure(feedWithItems(item("1.5", "http://example.org/1.5"))).contains("https"));
    EXPECT_FALSE(parseFailure(feedWithItems(item("1.5", "javascript:alert(1)"))).isEmpty());
    EXPECT_FALSE(parseFailure(feedWithItems(item("1.5", "file:///etc/passwd"))).isEmpty());
    EXPECT_FALSE(parseFailure(feedWithItems(item("1.5", ""))).isEmpty());
    EXPECT_TRUE(parseFailure(feedWithItems(item("1.5 beta", "https://example.org"))).contains("1.5 beta"));
    EXPECT_TRUE(parseFailure(feedWithItems("<item><link>https://example.org</link></item>")).contains("no version"));
    // A version outside Moravel's namespace is not Moravel's version.
    EXPECT_FALSE(parseFailure(feedWithItems("<item><link>https://example.org</link><version>9</version></item>"))
                     .isEmpty());
}

TEST(UpdateFeed, DocumentsThatAreNotFeedsAreRejected)
{
    EXPECT_FALSE(parseFailure("").isEmpty());
    EXPECT_FALSE(parseFailure("<html><body>Not found</body></html>").isEmpty());
    EXPECT_FALSE(parseFailure("<rss version=\"2.0\"></rss>").isEmpty());
    QByteArray truncated = feedWithItems(item("1.5", "https://example.org/1.5"));
    truncated.chop(20);
    EXPECT_FALSE(parseFailure(truncated).isEmpty());
    EXPECT_FALSE(parseFailure(feedWithItems(item("1.5", "https://example.org/1.5")) + "<extra/>").isEmpty());
}

}  // namespace
}  // namespace moravel
