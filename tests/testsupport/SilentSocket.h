#pragma once

#include <QFile>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace moravel::fixtures {

// A socket at `path` that takes connections and never answers them, as a hung
// server does (a stopped daemon, a frozen display). Gone with the object.
class SilentSocket {
public:
    // `abstract`: the name is in the abstract namespace, as X servers' are.
    explicit SilentSocket(const QString& path, bool abstract = false)
        : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        const size_t offset = abstract ? 1 : 0;  // an abstract name starts with a NUL
        const size_t length = std::min(static_cast<size_t>(name.size()), sizeof address.sun_path - 1 - offset);
        std::memcpy(address.sun_path + offset, name.constData(), length);
        const auto size = static_cast<socklen_t>(abstract ? offsetof(sockaddr_un, sun_path) + offset + length
                                                          : sizeof address);
        isListening_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) == 0 && ::listen(fd_, 16) == 0;
    }
    ~SilentSocket() { ::close(fd_); }
    SilentSocket(const SilentSocket&) = delete;
    SilentSocket& operator=(const SilentSocket&) = delete;

    bool isListening() const { return isListening_; }

private:
    int fd_;
    bool isListening_ = false;
};

}  // namespace moravel::fixtures
