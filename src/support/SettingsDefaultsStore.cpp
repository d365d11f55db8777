#include "support/SettingsDefaultsStore.h"

#include "support/PrivateFiles.h"
#include "support/RegularFile.h"
#include "support/XdgDirectories.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel {

namespace {

// The folder, and the file when missing, made ahead of QSettings with the
// modes it would otherwise take from the umask; it keeps an existing file's
// mode when it rewrites it. A file an older Moravel left group- or
// world-writable is tightened. False when there is no folder to write in.
bool preparePrivateFile(const QString& path)
{
    if (!makePrivateDirectory(QFileInfo(path).path()))
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return true;  // a symbolic link or a read-only folder: QSettings decides
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 022) != 0)
        ::fchmod(fd, info.st_mode & ~mode_t{022});
    ::close(fd);
    return true;
}

// The lock file QSettings takes while it rewrites `path`.
QString lockPathOf(const QString& path)
{
    return path + QStringLiteral(".lock");
}

// The file, or the lock beside it, that is not a regular file.
std::optional<QString> nonRegularFile(const QString& path)
{
    for (const QString& candidate : {path, lockPathOf(path)}) {
        if (isOtherThanRegularFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

}  // namespace

SettingsDefaultsStore::SettingsDefaultsStore(QString filePath) : filePath_(std::move(filePath)) {}

QString SettingsDefaultsStore::defaultFilePath()
{
    return xdgConfigHome() + QStringLiteral("/Moravel/Moravel.conf");
}

std::optional<QString> SettingsDefaultsStore::unusableFile() const
{
    const std::optional<QString> odd = nonRegularFile(filePath_);
    if (!odd)
        return std::nullopt;
    return QStringLiteral("moravel: %1 is not a regular file, so the settings are neither read nor kept")
        .arg(shownPath(*odd));
}

std::optional<QByteArray> SettingsDefaultsStore::data(const QString& key) const
{
    // Reading a FIFO would wait for a writer, for good.
    if (isOtherThanRegularFile(filePath_))
        return std::nullopt;
    const QSettings settings(filePath_, QSettings::NativeFormat);
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    // A hand-edited file may hold plain text where Moravel wrote bytes.
    if (value.typeId() == QMetaType::QString)
        return value.toString().toUtf8();
    return value.toByteArray();
}

bool SettingsDefaultsStore::setData(const QString& key, const QByteArray& value)
{
    if (const std::optional<QString> odd = nonRegularFile(filePath_)) {
        lastWriteFailure_ = QStringLiteral("%1 is not a regular file").arg(shownPath(*odd));
        return false;
    }
    if (write(key, value)) {
        lastWriteFailure_.clear();
        return true;
    }
    lastWriteFailure_ = writeFailureReason(QFileInfo(filePath_).path(), filePath_);
    return false;
}

bool SettingsDefaultsStore::write(const QString& key, const QByteArray& value)
{
    if (!preparePrivateFile(filePath_))
        return false;
    // A fresh QSettings per write: its status starts clean, so one failure does
    // not make every later write look failed too.
    QSettings settings(filePath_, QSettings::NativeFormat);
    // Never fall back to rewriting the file in place, which could leave it truncated.
    settings.setAtomicSyncRequired(true);
    const QVariant previous = settings.value(key);
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;

    // QSettings keeps an unsaved change in memory, shared by every QSettings on
    // the same file, and would return it from later reads and write it with some
    // later save. Put the old value back so the failed write leaves no trace.
    if (previous.isValid())
        settings.setValue(key, previous);
    else
        settings.remove(key);
    return false;
}

}  // namespace moravel
