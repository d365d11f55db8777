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
// values it started with, until `failsWrites` is cleared.
class FailingDefaultsStore final : public MemoryDefaultsStore {
public:
    static inline const QString failure = QStringLiteral("the storage is gone");

    bool setData(const QString& key, const QByteArray& value) override
    {
        if (!failsWrites)
            return MemoryDefaultsStore::setData(key, value);
        ++failedWriteCount_;
        return false;
    }
    QString lastWriteFailure() const override { return failsWrites ? failure : QString(); }

    // Seeds a value as if it had been written by an earlier run.
    void preset(const QString& key, const QByteArray& value) { MemoryDefaultsStore::setData(key, value); }
    int failedWriteCount() const { return failedWriteCount_; }

    bool failsWrites = true;

private:
    int failedWriteCount_ = 0;
};

}  // namespace moravel
