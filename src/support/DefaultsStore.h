#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace moravel {

// The user's defaults: small documents kept between runs under versioned keys.
// Reads and writes never throw; a write reports whether it reached storage.
class DefaultsStore {
public:
    virtual ~DefaultsStore();

    // The bytes stored under `key`, or nothing when the key has never been written.
    virtual std::optional<QByteArray> data(const QString& key) const = 0;
    // Stores `value` under `key`. True once the value is durable; on false the
    // previously stored value is still the one that reads return.
    virtual bool setData(const QString& key, const QByteArray& value) = 0;
    // Why the latest write failed, in words for the user ("the disk is full");
    // empty after a successful write or when the store cannot tell.
    virtual QString lastWriteFailure() const { return {}; }
};

}  // namespace moravel
