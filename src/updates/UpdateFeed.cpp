#include "updates/UpdateFeed.h"

#include <QXmlStreamReader>

namespace moravel::UpdateFeed {

namespace {

using ParseResult = std::variant<std::vector<UpdateFeedItem>, QString>;

struct RawItem {
    QString version;
    QString displayVersion;
    QString link;
};

bool isMoravelElement(const QXmlStreamReader& xml, QStringView name)
{
    return xml.namespaceUri() == QLatin1String(namespaceUri) && xml.name() == name;
}

RawItem readRawItem(QXmlStreamReader& xml)
{
    RawItem raw;
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri().isEmpty() && xml.name() == u"link")
            raw.link = xml.readElementText().trimmed();
        else if (isMoravelElement(xml, u"version"))
            raw.version = xml.readElementText().trimmed();
        else if (isMoravelElement(xml, u"shortVersionString"))
            raw.displayVersion = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        else
            xml.skipCurrentElement();
    }
    return raw;
}

// The link is opened in the browser, so nothing but an https page is let through.
std::optional<QUrl> releaseLink(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != u"https" || url.host().isEmpty())
        return std::nullopt;
    return url;
}

std::variant<UpdateFeedItem, QString> validate(const RawItem& raw, int position)
{
    const QString where = QStringLiteral("item %1").arg(position);
    if (raw.version.isEmpty())
        return where + QStringLiteral(" has no version");
    auto version = DottedVersion::parse(raw.version);
    if (!version)
        return where + QStringLiteral(" has the version \"%1\", which is not a dotted number").arg(raw.version);
    auto link = releaseLink(raw.link);
    if (!link)
        return where + QStringLiteral(" has no https link");
    return UpdateFeedItem{*version, raw.displayVersion.isEmpty() ? raw.version : raw.displayVersion, *link};
}

ParseResult readChannel(QXmlStreamReader& xml)
{
    std::vector<UpdateFeedItem> items;
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri().isEmpty() && xml.name() == u"item") {
            auto item = validate(readRawItem(xml), static_cast<int>(items.size()) + 1);
            if (auto* reason = std::get_if<QString>(&item))
                return *reason;
            items.push_back(std::get<UpdateFeedItem>(std::move(item)));
        } else {
            xml.skipCurrentElement();
        }
    }
    return items;
}

ParseResult readDocument(QXmlStreamReader& xml)
{
    if (!xml.readNextStartElement() || xml.name() != u"rss")
        return QStringLiteral("it is not an RSS document");
    std::optional<ParseResult> channel;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"channel" && !channel)
            channel = readChannel(xml);
        else
            xml.skipCurrentElement();
    }
    if (!channel)
        return QStringLiteral("it has no channel");
    return *channel;
}

}  // namespace

ParseResult parse(const QByteArray& document)
{
    QXmlStreamReader xml(document);
    ParseResult result = readDocument(xml);
    // Read to the end so that a broken tail is not taken for a good feed.
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    if (xml.hasError())
        return QStringLiteral("%1 (line %2)").arg(xml.errorString()).arg(xml.lineNumber());
    return result;
}

std::optional<UpdateFeedItem> newestItem(const std::vector<UpdateFeedItem>& items)
{
    const UpdateFeedItem* newest = nullptr;
    for (const auto& item : items) {
        if (!newest || item.version > newest->version)
            newest = &item;
    }
    return newest ? std::optional(*newest) : std::nullopt;
}

}  // namespace moravel::UpdateFeed
