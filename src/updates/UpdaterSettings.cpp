#include "updates/UpdaterSettings.h"

#include "support/DefaultsStore.h"

namespace moravel {

bool UpdaterSettings::readBool(const char* key, bool fallback) const
{
    const auto data = store_.data(QString::fromLatin1(key));
    if (!data)
        return fallback;
    const QByteArray text = data->trimmed();
    if (text == "true")
        return true;
    if (text == "false")
        return false;
    return fallback;
}

bool UpdaterSettings::writeBool(const char* key, bool value)
{
    return store_.setData(QString::fromLatin1(key), value ? "true" : "false");
}

std::optional<QDateTime> UpdaterSettings::lastCheckTime() const
{
    const auto data = store_.data(QString::fromLatin1(lastCheckTimeKey));
    if (!data)
        return std::nullopt;
    const QDateTime time = QDateTime::fromString(QString::fromUtf8(data->trimmed()), Qt::ISODateWithMs);
    return time.isValid() ? std::optional(time) : std::nullopt;
}

bool UpdaterSettings::setLastCheckTime(const QDateTime& time)
{
    return store_.setData(QString::fromLatin1(lastCheckTimeKey), time.toUTC().toString(Qt::ISODateWithMs).toUtf8());
}

}  // namespace moravel
