#pragma once

#include "history/MinuteBuckets.h"

#include <QString>

#include <optional>
#include <variant>

namespace moravel {

// The kept history on disk: $XDG_STATE_HOME/Moravel/history.json (by default
// ~/.local/state/Moravel/history.json), its folder 0700 and the file 0600.
namespace HistoryFile {

QString defaultPath();

struct Loaded {
    QList<MinuteBucket> buckets;
    // One line for standard error when the file could not be read: it has been
    // set aside under another name (never deleted) and the history starts empty.
    std::optional<QString> problem;
};
// For the island at start: the minutes of the 24 hours up to `nowSeconds`.
// No file yet is an empty history. Temporary files of writes that never
// finished (the island was killed during one) are removed first.
Loaded loadOrSetAside(const QString& path, qint64 nowSeconds);

// For `moravel --history`: the minutes of the 24 hours up to `nowSeconds`, or
// why the file cannot be read (in one line). Leaves the file alone whatever
// it holds. Only a regular file is read: anything else at the path is refused
// without waiting on it.
std::variant<QList<MinuteBucket>, QString> read(const QString& path, qint64 nowSeconds);

// Replaces the file in one step: a reader sees the old history or the new one,
// never a torn file. On failure `failure` says why, in words for the user.
bool write(const QString& path, const QList<MinuteBucket>& buckets, QString* failure);

}  // namespace HistoryFile

}  // namespace moravel
