#pragma once

#include "updates/DottedVersion.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <variant>
#include <vector>

namespace moravel {

// One release listed in the update feed.
struct UpdateFeedItem {
    DottedVersion version;   // compared with the running version
    QString displayVersion;  // shown to people, e.g. "1.4" or "1.4 (beta)"
    QUrl link;               // the release page opened in the browser; always https

    friend bool operator==(const UpdateFeedItem&, const UpdateFeedItem&) = default;
};

// The update feed is RSS 2.0 with two elements of Moravel's own namespace
// in each item:
//
//   <rss version="2.0" xmlns:moravel="urn:moravel:update-feed:1">
//     <channel>
//       <title>Moravel releases</title>
//       <item>
//         <title>Moravel 1.4</title>
//         <link>https://example.org/moravel/1.4</link>
//         <moravel:version>1.4.0</moravel:version>
//         <moravel:shortVersionString>1.4</moravel:shortVersionString>
//       </item>
//     </channel>
//   </rss>
//
// moravel:version (dotted numbers) and an https link are required in every
// item; moravel:shortVersionString is optional and defaults to the version
// text. Other elements are ignored. A channel without items lists no release.
namespace UpdateFeed {

inline constexpr const char* namespaceUri = "urn:moravel:update-feed:1";

// The items in document order, or a readable reason why the document is not a feed.
std::variant<std::vector<UpdateFeedItem>, QString> parse(const QByteArray& document);

// The item with the highest version; the first of equals. None for no items.
std::optional<UpdateFeedItem> newestItem(const std::vector<UpdateFeedItem>& items);

}  // namespace UpdateFeed

}  // namespace moravel
