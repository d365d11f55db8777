#include "app/InstanceLock.h"

#include "support/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Takes away whatever is not a lock file of ours at `path`.
bool removeStale(const QByteArray& path)
{
    return ::unlink(path.constData()) == 0 || (errno == EISDIR && ::rmdir(path.constData()) == 0) || errno == ENOENT;
}

}  // namespace

InstanceLock InstanceLock::forThisUser()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return InstanceLock(runtime);
    return InstanceLock(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                            + QStringLiteral("/Moravel"),
                        true);
}

InstanceLock::InstanceLock(QString directory, bool createsDirectory)
    : directory_(std::move(directory)), createsDirectory_(createsDirectory)
{
}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

InstanceLock::Outcome InstanceLock::fail(const QString& message)
{
    failure_ = QStringLiteral("moravel: cannot keep the instance lock in %1: %2").arg(directory_, message);
    return Outcome::unusable;
}

bool InstanceLock::checkDirectory()
{
    if (!QDir::isAbsolutePath(directory_)) {
        fail(QStringLiteral("not an absolute path"));
        return false;
    }
    if (createsDirectory_ && !makePrivateDirectory(directory_)) {
        fail(QStringLiteral("the folder cannot be created"));
        return false;
    }
    struct stat info;
    if (::stat(QFile::encodeName(directory_).constData(), &info) != 0) {
        fail(systemError(errno));
        return false;
    }
    // Anybody who can write to the folder could take the lock's name first.
    const char* problem = !S_ISDIR(info.st_mode)       ? "not a folder"
                          : info.st_uid != ::geteuid() ? "the folder belongs to another user"
                          : (info.st_mode & 022) != 0  ? "other users can write to the folder"
                                                       : nullptr;
    if (problem)
        fail(QString::fromLatin1(problem));
    return !problem;
}

int InstanceLock::openLockFile()
{
    const QByteArray name = QFile::encodeName(path());
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Non-blocking, so that a FIFO at the path cannot stall the start.
        const int fd =
            ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
        struct stat info;
        if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            return fd;
        const int error = fd >= 0 ? EEXIST : errno;
        if (fd >= 0)
            ::close(fd);
        // A folder, link, FIFO, socket or foreign file where the lock belongs.
        const bool replaceable = error == EEXIST || error == EISDIR || error == ELOOP || error == ENXIO
                                 || error == EACCES || error == EPERM;
        if (!replaceable || !removeStale(name)) {
            const int why = replaceable ? errno : error;
            // An empty folder was removed above; one with files in it is not ours to empty.
            fail(why == ENOTEMPTY || why == EEXIST
                     ? QStringLiteral("%1 is a folder, not Moravel's lock file").arg(QLatin1String(fileName))
                     : QStringLiteral("%1: %2").arg(QLatin1String(fileName), systemError(why)));
            return -1;
        }
    }
    fail(QStringLiteral("%1 keeps being replaced").arg(QLatin1String(fileName)));
    return -1;
}

InstanceLock::Outcome InstanceLock::acquire()
{
    if (fd_ >= 0)
        return Outcome::acquired;
    if (!checkDirectory())
        return Outcome::unusable;
    const int fd = openLockFile();
    if (fd < 0)
        return Outcome::unusable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Outcome::heldByAnother;
        return fail(systemError(error));
    }
    fd_ = fd;
    // For people looking: which process holds it. The lock does not depend on
    // it, so a full folder that cannot take these bytes is no failure.
    const QByteArray pid = QByteArray::number(::getpid()) + '\n';
    ::fchmod(fd_, 0600);
    if (::ftruncate(fd_, 0) == 0) {
        [[maybe_unused]] const auto written = ::write(fd_, pid.constData(), static_cast<size_t>(pid.size()));
    }
    return Outcome::acquired;
}

}  // namespace moravel
