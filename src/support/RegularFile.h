#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

#include <sys/stat.h>

namespace moravel {

// The files Moravel reads from the user's folders (settings, history,
// credentials, the autostart entry, a local update feed) may turn out to be
// anything: a FIFO, socket or device put there would block a read, and with
// it Moravel, for good. Only regular files are read, and opening one never
// waits.

struct RegularFileContents {
    QByteArray bytes;
    struct stat info;  // of the file that was read: its owner and mode
};

struct RegularFileFailure {
    enum class Kind { missing, notRegular, tooLarge, unreadable };
    Kind kind;
    QString systemReason;  // for missing and unreadable: the system's words ("Permission denied")
};

// The whole file at `path`, at most `limit` bytes: a larger one fails as tooLarge.
std::variant<RegularFileContents, RegularFileFailure> readRegularFile(const QString& path, qint64 limit);

// Whether something other than a regular file sits at `path` (a symbolic
// link is followed). Looks without opening it.
bool isOtherThanRegularFile(const QString& path);

}  // namespace moravel
