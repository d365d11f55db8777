#pragma once

#include <QFile>
#include <QString>

#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace moravel::fixtures {

// A socket at `path` that takes connections and never answers them, as a hung
// server does (a stopped daemon, a frozen display). Gone with the object.
class SilentSocket {
public:
    explicit SilentSocket(const QString& path) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), std::min(static_cast<size_t>(name.size()), sizeof address.sun_path - 1));
        isListening_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd_, 16) == 0;
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
