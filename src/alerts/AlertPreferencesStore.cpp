#include "alerts/AlertPreferencesStore.h"

#include "support/DefaultsStore.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>

namespace moravel::AlertPreferencesStore {

namespace {

// The shortest text that reads back as the same number.
QByteArray number(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, static_cast<qsizetype>(result.ptr - buffer));
}

std::optional<AlertRuleSetting> decodeSetting(AlertRule rule, const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue enabled = object.value(QLatin1StringView("enabled"));
    const QJsonValue threshold = object.value(QLatin1StringView("threshold"));
    if (!enabled.isBool() || !(threshold.isNull() || threshold.isDouble()))
        return std::nullopt;
    AlertRuleSetting setting{enabled.toBool(), std::nullopt};
    if (threshold.isDouble()) {
        const AlertRuleDescriptor& d = alertRuleDescriptor(rule);
        const double figure = threshold.toDouble();
        if (!(figure >= d.minimumThreshold && figure <= d.maximumThreshold))
            return std::nullopt;
        setting.threshold = figure;
    }
    return setting;
}

}  // namespace

QByteArray encode(const AlertPreferences& preferences)
{
    QByteArray out = "{";
    for (AlertRule rule : allAlertRules) {
        const AlertRuleSetting& setting = preferences[static_cast<size_t>(rule)];
        if (out.size() > 1)
            out += ',';
        out += '"' + QByteArray(alertRuleDescriptor(rule).key) + "\":{\"enabled\":";
        out += setting.enabled ? "true" : "false";
        out += ",\"threshold\":" + (setting.threshold ? number(*setting.threshold) : QByteArray("null")) + '}';
    }
    return out + '}';
}

std::optional<AlertPreferences> decode(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    AlertPreferences preferences{};
    for (AlertRule rule : allAlertRules) {
        const QJsonValue value = object.value(QLatin1StringView(alertRuleDescriptor(rule).key));
        if (value.isUndefined())
            continue;
        const std::optional<AlertRuleSetting> setting = decodeSetting(rule, value);
        if (!setting)
            return std::nullopt;
        preferences[static_cast<size_t>(rule)] = *setting;
    }
    return preferences;
}

AlertPreferences load(const DefaultsStore& defaults)
{
    if (const std::optional<QByteArray> stored = defaults.data(QString::fromLatin1(storageKey))) {
        if (const std::optional<AlertPreferences> decoded = decode(*stored))
            return *decoded;
    }
    return AlertPreferences{};
}

bool save(const AlertPreferences& preferences, DefaultsStore& defaults)
{
    return defaults.setData(QString::fromLatin1(storageKey), encode(preferences));
}

}  // namespace moravel::AlertPreferencesStore
