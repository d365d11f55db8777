#pragma once

#include <QString>

namespace moravel {

// One island per user. The lock is an exclusive flock(2) on a file in a folder
// of the user's own, held as long as the process lives and dropped by the
// kernel however it ends. A lock file left behind by a crash (empty, garbled,
// hours old) therefore never counts: only a live holder does. Whatever else
// sits at the lock's path (a folder, a link, a FIFO) is replaced.
class InstanceLock {
public:
    enum class Outcome { acquired, heldByAnother, unusable };

    static constexpr char fileName[] = "moravel-island.lock";

    // In $XDG_RUNTIME_DIR, which must then be usable. Without that variable in
    // the configuration folder (created 0700 when missing), never under a
    // predictable name in the shared temporary folder.
    static InstanceLock forThisUser();

    // `createsDirectory`: make the folder when it is missing.
    explicit InstanceLock(QString directory, bool createsDirectory = false);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome acquire();
    // After `unusable`: one line saying what is wrong.
    const QString& failure() const { return failure_; }
    QString path() const { return directory_ + u'/' + QLatin1String(fileName); }

private:
    bool checkDirectory();
    int openLockFile();
    Outcome fail(const QString& message);

    QString directory_;
    bool createsDirectory_;
    QString failure_;
    int fd_ = -1;
};

}  // namespace moravel
