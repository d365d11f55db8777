#pragma once

#include "support/DefaultsStore.h"

#include <QHash>

namespace moravel {

// Defaults kept in memory, for tests and for runs that must not touch the
// user's files. Counts writes so callers can check that nothing was saved.
class MemoryDefaultsStore : public DefaultsStore {
public:
    std::optional<QByteArray> data(const QString& key) const override
    {
        const auto found = values_.constFind(key);
        if (found == values_.constEnd())
            return std::nullopt;
        return *found;
    }

    bool setData(const QString& key, const QByteArray& value) override
    {
        ++writeCount_;
        values_.insert(key, value);
        return true;
    }

    int writeCount() const { return writeCount_; }
    void remove(const QString& key) { values_.remove(key); }

private:
    QHash<QString, QByteArray> values_;
    int writeCount_ = 0;
};

// A store whose storage has gone away: every write fails and leaves the
// values it started with.
class FailingDefaultsStore final : public MemoryDefaultsStore {
public:
    bool setData(const QString&, const QByteArray&) override
    {
        ++failedWriteCount_;
        return false;
    }

    // Seeds a value as if it had been written by an earlier run.
    void preset(const QString& key, const QByteArray& value) { MemoryDefaultsStore::setData(key, value); }
    int failedWriteCount() const { return failedWriteCount_; }

private:
    int failedWriteCount_ = 0;
};

}  // namespace moravel
