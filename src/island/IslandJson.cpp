#include "island/IslandJson.h"

#include "monitor/ReadingTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace moravel {

namespace {

const char* jsonBool(bool value)
{
    return value ? "true" : "false";
}

// Raw values are fixed lower-ASCII words, so they need no escaping.
void appendString(QByteArray& out, const QString& raw)
{
    out += '"';
    out += raw.toLatin1();
    out += '"';
}

void appendPreferences(QByteArray& out, const CollapsedMetricPreferences& preferences)
{
    out += '[';
    for (qsizetype i = 0; i < preferences.size(); ++i) {
        if (i > 0)
            out += ',';
        out += "{\"kind\":";
        appendString(out, QString::fromLatin1(ReadingTable::of(preferences[i].kind).key));
        out += ",\"isVisible\":";
        out += jsonBool(preferences[i].isVisible);
        out += '}';
    }
    out += ']';
}

std::optional<QJsonDocument> parse(const QByteArray& json)
{
    // QJsonDocument stops at its own nesting limit with an error, so hostile
    // nesting cannot exhaust the stack.
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return document;
}

std::optional<bool> boolMember(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

std::optional<CollapsedMetricPreference> decodePreference(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue kindValue = object.value(QLatin1StringView("kind"));
    if (!kindValue.isString())
        return std::nullopt;
    const std::optional<MetricKind> kind = ReadingTable::collapsedKindFromKey(kindValue.toString());
    const std::optional<bool> isVisible = boolMember(object, QLatin1StringView("isVisible"));
    if (!kind || !isVisible)
        return std::nullopt;
    return CollapsedMetricPreference{*kind, *isVisible};
}

std::optional<CollapsedMetricPreferences> decodePreferenceArray(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    CollapsedMetricPreferences preferences;
    preferences.reserve(std::min<qsizetype>(array.size(), 64));
    for (const QJsonValue& element : array) {
        const std::optional<CollapsedMetricPreference> preference = decodePreference(element);
        if (!preference)
            return std::nullopt;
        preferences.append(*preference);
    }
    return preferences;
}

}  // namespace

QByteArray encodeCollapsedMetricPreferences(const CollapsedMetricPreferences& preferences)
{
    QByteArray out;
    out.reserve(40 * preferences.size() + 2);
    appendPreferences(out, preferences);
    return out;
}

std::optional<CollapsedMetricPreferences> decodeCollapsedMetricPreferences(const QByteArray& json)
{
    const std::optional<QJsonDocument> document = parse(json);
    if (!document || !document->isArray())
        return std::nullopt;
    return decodePreferenceArray(document->array());
}

QByteArray encodeIslandPreferences(const IslandPreferences& preferences)
{
    QByteArray out;
    out.reserve(256);
    out += "{\"collapsedMetrics\":";
    appendPreferences(out, preferences.collapsedMetrics);
    out += ",\"expandOnHover\":";
    out += jsonBool(preferences.expandOnHover);
    out += ",\"selectedMetric\":";
    appendString(out, QString::fromLatin1(ReadingTable::of(preferences.selectedMetric).title));
    out += ",\"showPowerFlow\":";
    out += jsonBool(preferences.showPowerFlow);
    if (preferences.sizePercent) {
        out += ",\"size\":";
        out += QByteArray::number(*preferences.sizePercent);
    }
    out += '}';
    return out;
}

std::optional<IslandPreferences> decodeIslandPreferences(const QByteArray& json)
{
    const std::optional<QJsonDocument> document = parse(json);
    if (!document || !document->isObject())
        return std::nullopt;
    const QJsonObject object = document->object();

    const auto collapsedMetrics = decodePreferenceArray(object.value(QLatin1StringView("collapsedMetrics")));
    const auto expandOnHover = boolMember(object, QLatin1StringView("expandOnHover"));
    const auto showPowerFlow = boolMember(object, QLatin1StringView("showPowerFlow"));
    const QJsonValue selectedValue = object.value(QLatin1StringView("selectedMetric"));
    const auto selectedMetric =
        selectedValue.isString() ? ReadingTable::tabFromTitle(selectedValue.toString()) : std::nullopt;
    if (!collapsedMetrics || !expandOnHover || !showPowerFlow || !selectedMetric)
        return std::nullopt;
    const QJsonValue size = object.value(QLatin1StringView("size"));
    std::optional<int> sizePercent;
    if (size.isDouble() && size.toDouble() == std::trunc(size.toDouble()) && std::abs(size.toDouble()) < 1000)
        sizePercent = static_cast<int>(size.toDouble());
    return IslandPreferences{*collapsedMetrics, *expandOnHover, *selectedMetric, *showPowerFlow, sizePercent};
}

}  // namespace moravel
