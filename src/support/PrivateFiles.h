#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace moravel {

// The user's own files: settings, the login entry, the instance lock. Their
// modes are set here explicitly, so a loose umask (000) never makes them
// writable by anybody else.

// The path as the user knows it: their home folder written as ~.
QString shownPath(const QString& path);

// Creates `path` and its missing parents, each new folder 0700. True when
// `path` is a directory afterwards. Folders that already exist keep their mode.
bool makePrivateDirectory(const QString& path);

// Replaces `path` with `contents` in one step: a temporary file beside it,
// created 0600, written, flushed to disk, given `mode` and renamed over it.
// Every step is checked (a full disk fails the write or the flush); on
// failure the old file is untouched, no temporary file is left behind and
// `failure`, when given, says why ("No space left on device").
bool replaceFileAtomically(const QString& path, const QByteArray& contents, mode_t mode, QString* failure = nullptr);

// Removes what replaceFileAtomically leaves beside `path` when the process is
// killed during a write: its temporary files (`path` and six letters or
// digits), if they are regular files of this user. Only for a file no other
// running process writes.
void removeStaleTemporaries(const QString& path);

// Why writing `file` in `directory` just failed, in words for the user: a
// missing or read-only folder, a read-only file, a full disk; else that the
// file could not be written.
QString writeFailureReason(const QString& directory, const QString& file);

}  // namespace moravel
