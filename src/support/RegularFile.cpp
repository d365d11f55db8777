#include "support/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace moravel {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Reads to the end or past `limit`; false on a read error.
bool readUpTo(int fd, qint64 limit, QByteArray& bytes)
{
    char buffer[16 * 1024];
    while (bytes.size() <= limit) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        bytes.append(buffer, count);
    }
    return true;
}

}  // namespace

std::variant<RegularFileContents, RegularFileFailure> readRegularFile(const QString& path, qint64 limit)
{
    using Kind = RegularFileFailure::Kind;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return RegularFileFailure{errno == ENOENT ? Kind::missing : Kind::unreadable, systemError(errno)};
    RegularFileContents contents{};
    std::optional<RegularFileFailure> failure;
    if (::fstat(fd, &contents.info) != 0 || !S_ISREG(contents.info.st_mode))
        failure = RegularFileFailure{Kind::notRegular, {}};
    else if (contents.info.st_size > limit)
        failure = RegularFileFailure{Kind::tooLarge, {}};
    else if (!readUpTo(fd, limit, contents.bytes))
        failure = RegularFileFailure{Kind::unreadable, systemError(errno)};
    else if (contents.bytes.size() > limit)
        failure = RegularFileFailure{Kind::tooLarge, {}};
    ::close(fd);
    if (failure)
        return *failure;
    return contents;
}

bool isOtherThanRegularFile(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode);
}

}  // namespace moravel
