#include "support/SettingsDefaultsStore.h"

#include <QSettings>
#include <QStandardPaths>

namespace moravel {

SettingsDefaultsStore::SettingsDefaultsStore(QString filePath) : filePath_(std::move(filePath)) {}

QString SettingsDefaultsStore::defaultFilePath()
{
    // GenericConfigLocation honours an absolute $XDG_CONFIG_HOME and falls back to ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Moravel/Moravel.conf");
}

std::optional<QByteArray> SettingsDefaultsStore::data(const QString& key) const
{
    const QSettings settings(filePath_, QSettings::NativeFormat);
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    // A hand-edited file may hold plain text where Moravel wrote bytes.
    if (value.typeId() == QMetaType::QString)
        return value.toString().toUtf8();
    return value.toByteArray();
}

bool SettingsDefaultsStore::setData(const QString& key, const QByteArray& value)
{
    // A fresh QSettings per write: its status starts clean, so one failure does
    // not make every later write look failed too.
    QSettings settings(filePath_, QSettings::NativeFormat);
    // Never fall back to rewriting the file in place, which could leave it truncated.
    settings.setAtomicSyncRequired(true);
    const QVariant previous = settings.value(key);
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;

    // QSettings keeps an unsaved change in memory, shared by every QSettings on
    // the same file, and would return it from later reads and write it with some
    // later save. Put the old value back so the failed write leaves no trace.
    if (previous.isValid())
        settings.setValue(key, previous);
    else
        settings.remove(key);
    return false;
}

}  // namespace moravel
