#pragma once

#include "support/DefaultsStore.h"

namespace moravel {

// The user's defaults on disk: one QSettings file in its native format,
// by default $XDG_CONFIG_HOME/Moravel/Moravel.conf (~/.config/Moravel/...).
//
// Every write is flushed before it returns. QSettings rewrites the file through
// a temporary file renamed into place, under a lock file, and merges the keys a
// second running copy wrote meanwhile, so the file is never left half written
// and two copies do not clobber each other's keys. The folder is created 0700
// and the file 0600, whatever the umask.
//
// Something other than a regular file at the file's path or its lock's (a
// FIFO, a folder) would block QSettings or make it fail in silence: then
// nothing is read from it, every write fails saying so, and unusableFile()
// says why in one line.
class SettingsDefaultsStore final : public DefaultsStore {
public:
    explicit SettingsDefaultsStore(QString filePath = defaultFilePath());

    static QString defaultFilePath();
    const QString& filePath() const { return filePath_; }

    // One line for standard error when the file cannot be used at all.
    std::optional<QString> unusableFile() const;

    std::optional<QByteArray> data(const QString& key) const override;
    bool setData(const QString& key, const QByteArray& value) override;
    QString lastWriteFailure() const override { return lastWriteFailure_; }

private:
    bool write(const QString& key, const QByteArray& value);

    QString filePath_;
    QString lastWriteFailure_;
};

}  // namespace moravel
