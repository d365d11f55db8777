#pragma once

#include <QDateTime>

#include <optional>

namespace moravel {

class DefaultsStore;

// The updater's own options under their own keys. Booleans are stored as the
// JSON literals true/false and the last check as an ISO 8601 UTC time;
// missing or unreadable data reads as the default.
class UpdaterSettings {
public:
    static constexpr const char* automaticallyChecksKey = "updates.automaticallyChecks.v1";
    static constexpr const char* automaticallyDownloadsKey = "updates.automaticallyDownloads.v1";
    static constexpr const char* lastCheckTimeKey = "updates.lastCheckTime.v1";

    // The store must outlive these settings.
    explicit UpdaterSettings(DefaultsStore& store) : store_(store) {}

    // Off unless the user turns them on: Moravel contacts no server unasked.
    bool automaticallyChecks() const { return readBool(automaticallyChecksKey, false); }
    bool automaticallyDownloads() const { return readBool(automaticallyDownloadsKey, false); }
    std::optional<QDateTime> lastCheckTime() const;

    bool setAutomaticallyChecks(bool enabled) { return writeBool(automaticallyChecksKey, enabled); }
    bool setAutomaticallyDownloads(bool enabled) { return writeBool(automaticallyDownloadsKey, enabled); }
    bool setLastCheckTime(const QDateTime& time);

private:
    bool readBool(const char* key, bool fallback) const;
    bool writeBool(const char* key, bool value);

    DefaultsStore& store_;
};

}  // namespace moravel
