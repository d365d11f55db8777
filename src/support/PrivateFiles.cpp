#include "support/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace moravel {

namespace {

bool writeAll(int fd, const QByteArray& contents)
{
    const char* data = contents.constData();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t count = ::write(fd, data, static_cast<size_t>(left));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        left -= count;
    }
    return true;
}

bool isFull(const QByteArray& directory)
{
    struct statvfs volume;
    if (::statvfs(directory.constData(), &volume) != 0)
        return false;
    return volume.f_bavail == 0 || (volume.f_files != 0 && volume.f_favail == 0);
}

}  // namespace

QString shownPath(const QString& path)
{
    const QString home = QDir::homePath();
    if (home.size() > 1 && (path == home || path.startsWith(home + u'/')))
        return u'~' + path.mid(home.size());
    return path;
}

bool makePrivateDirectory(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || info.isSymLink())
        return false;
    const QString parent = QFileInfo(QDir::cleanPath(path)).path();
    if (parent != path && !makePrivateDirectory(parent))
        return false;
    // mkdir only takes bits away through the umask: 0700 stays 0700 or tighter.
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST)
        return QFileInfo(path).isDir();
    return false;
}

bool replaceFileAtomically(const QString& path, const QByteArray& contents, mode_t mode, QString* failure)
{
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    // mkstemp creates the file 0600, whatever the umask.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    bool written = fd >= 0 && writeAll(fd, contents) && ::fsync(fd) == 0 && ::fchmod(fd, mode) == 0;
    int error = errno;
    if (fd >= 0 && ::close(fd) != 0 && written) {
        error = errno;
        written = false;
    }
    if (written && ::rename(temporary.constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    error = written ? errno : error;
    if (fd >= 0)
        ::unlink(temporary.constData());
    if (failure)
        *failure = QString::fromLocal8Bit(std::strerror(error));
    return false;
}

void removeStaleTemporaries(const QString& path)
{
    const QFileInfo file(path);
    const QDir directory = file.dir();
    const QString prefix = file.fileName() + u'.';
    // mkstemp's six letters or digits.
    static const QRegularExpression temporaryName(QStringLiteral("^[A-Za-z0-9]{6}$"));
    for (const QString& name : directory.entryList({prefix + QStringLiteral("??????")},
                                                   QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        const QByteArray candidate = QFile::encodeName(directory.filePath(name));
        struct stat info;
        if (temporaryName.match(QStringView(name).mid(prefix.size())).hasMatch()
            && ::lstat(candidate.constData(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            ::unlink(candidate.constData());
    }
}

QString writeFailureReason(const QString& directory, const QString& file)
{
    const QByteArray directoryName = QFile::encodeName(directory);
    if (!QFileInfo(directory).isDir())
        return QStringLiteral("the folder %1 cannot be created").arg(shownPath(directory));
    if (isFull(directoryName))
        return QStringLiteral("the disk is full");
    if (::access(directoryName.constData(), W_OK) != 0)
        return QStringLiteral("the folder %1 is read-only").arg(shownPath(directory));
    if (QFileInfo::exists(file) && ::access(QFile::encodeName(file).constData(), W_OK) != 0)
        return QStringLiteral("%1 is read-only").arg(shownPath(file));
    return QStringLiteral("%1 could not be written").arg(shownPath(file));
}

}  // namespace moravel
