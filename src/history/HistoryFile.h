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
// For the island at start. No file yet is an empty history.
Loaded loadOrSetAside(const QString& path);

// For `moravel --history`: the buckets, or why the file cannot be read (in
// one line). Leaves the file alone whatever it holds.
std::variant<QList<MinuteBucket>, QString> read(const QString& path);

// Replaces the file in one step: a reader sees the old history or the new one,
// never a torn file. On failure `failure` says why, in words for the user.
bool write(const QString& path, const QList<MinuteBucket>& buckets, QString* failure);

}  // namespace HistoryFile

}  // namespace moravel
