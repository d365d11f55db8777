#include "updates/DottedVersion.h"
#include "updates/UpdateFeed.h"

#include <gtest/gtest.h>

namespace moravel {
namespace {

DottedVersion version(const char* text)
{
    return DottedVersion::parse(QString::fromLatin1(text)).value();
}

TEST(DottedVersion, ComparesNumberByNumberAndRejectsAnythingElse)
{
    EXPECT_GT(version("1.10"), version("1.9"));
    EXPECT_GT(version("2.0"), version("1.99.99"));
    EXPECT_LT(version("1.4.1"), version("1.4.2"));
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
    EXPECT_FALSE(UpdateFeed::newestItem({}));
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
        {feedWithItems(item("1.5", "file:///etc/passwd")), ""},
        {feedWithItems(item("1.5", "")), ""},
        {feedWithItems(item("1.5 beta", "https://example.org")), "1.5 beta"},
        {feedWithItems("<item><link>https://example.org</link></item>"), "no version"},
        // A version outside Moravel's namespace is not Moravel's version.
        {feedWithItems("<item><link>https://example.org</link><version>9</version></item>"), ""},
        {"", ""},
        {"<html><body>Not found</body></html>", ""},
        {"<rss version=\"2.0\"></rss>", ""},
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
