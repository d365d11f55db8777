#include "alerts/AlertEpisodeFile.h"

#include "support/PrivateFiles.h"
#include "support/RegularFile.h"
#include "support/XdgDirectories.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace moravel::AlertEpisodeFile {

namespace {

// A handful of names; anything far larger is not this file.
constexpr qint64 largestReadable = 64 * 1024;
constexpr QLatin1StringView finalSuffix(".final");

// "battery", or "battery.final" for its final warning.
QString nameOf(const AlertEpisode& episode)
{
    const QString key = QLatin1StringView(alertRuleDescriptor(episode.rule).key);
    return episode.isFinalWarning ? key + finalSuffix : key;
}

std::optional<AlertEpisode> episodeNamed(QString name)
{
    const bool isFinalWarning = name.endsWith(finalSuffix);
    if (isFinalWarning)
        name.chop(finalSuffix.size());
    const std::optional<AlertRule> rule = alertRuleFromKey(name);
    if (!rule || (isFinalWarning && *rule != AlertRule::battery))
        return std::nullopt;
    return AlertEpisode{*rule, isFinalWarning};
}

}  // namespace

QString defaultPath()
{
    return xdgStateHome() + QStringLiteral("/Moravel/alerts.json");
}

QList<AlertEpisode> read(const QString& path)
{
    // Only a regular file: a FIFO put there would hold up the island's start for good.
    const auto file = readRegularFile(path, largestReadable);
    const auto* contents = std::get_if<RegularFileContents>(&file);
    if (!contents)
        return {};
    const QJsonValue open = QJsonDocument::fromJson(contents->bytes).object().value(QLatin1StringView("open"));
    QList<AlertEpisode> episodes;
    for (const QJsonValue& name : open.toArray()) {
        if (const std::optional<AlertEpisode> episode = episodeNamed(name.toString()))
            episodes.append(*episode);
    }
    return episodes;
}

bool write(const QString& path, const QList<AlertEpisode>& episodes)
{
    QJsonArray open;
    for (const AlertEpisode& episode : episodes)
        open.append(nameOf(episode));
    const QByteArray contents = QJsonDocument(QJsonObject{{QStringLiteral("open"), open}}).toJson(QJsonDocument::Compact);
    return makePrivateDirectory(QFileInfo(path).path()) && replaceFileAtomically(path, contents + '\n', 0600);
}

}  // namespace moravel::AlertEpisodeFile
