#include "monitor/SourceChoice.h"

#include "support/DefaultsStore.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

namespace moravel {

bool isPrometheusAddress(const QString& address)
{
    return address.trimmed().startsWith(QLatin1String(prometheusSchemePrefix), Qt::CaseInsensitive);
}

QString SourceChoice::typedAddress() const
{
    const QString trimmed = address.trimmed();
    return isPrometheusServer() ? trimmed.mid(static_cast<qsizetype>(std::strlen(prometheusSchemePrefix))) : trimmed;
}

SourceChoice SourceChoice::prometheusServer(const QString& typed, const QString& credentialsFile)
{
    return {QLatin1String(prometheusSchemePrefix) + typed.trimmed(), credentialsFile};
}

}  // namespace moravel

namespace moravel::SourceChoiceStore {

QByteArray encode(const SourceChoice& choice)
{
    const QJsonObject object{{QStringLiteral("address"), choice.address},
                             {QStringLiteral("credentialsFile"), choice.credentialsFile}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<SourceChoice> decode(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue address = document.object().value(QLatin1StringView("address"));
    const QJsonValue credentials = document.object().value(QLatin1StringView("credentialsFile"));
    if (!address.isString() || !credentials.isString())
        return std::nullopt;
    return SourceChoice{address.toString(), credentials.toString()};
}

SourceChoice load(const DefaultsStore& defaults)
{
    if (const std::optional<QByteArray> stored = defaults.data(QString::fromLatin1(storageKey))) {
        if (const std::optional<SourceChoice> decoded = decode(*stored))
            return *decoded;
    }
    return {};
}

bool save(const SourceChoice& choice, DefaultsStore& defaults)
{
    return defaults.setData(QString::fromLatin1(storageKey), encode(choice));
}

}  // namespace moravel::SourceChoiceStore
