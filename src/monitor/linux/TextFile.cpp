#include "monitor/linux/TextFile.h"

#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace moravel {

int openRegularFile(int directoryFd, const char* path)
{
    const int fd = ::openat(directoryFd, path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::optional<std::string> readTextFile(const std::string& path, size_t limit)
{
    const int fd = openRegularFile(AT_FDCWD, path.c_str());
    if (fd < 0)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    bool failed = false;
    while (text.size() < limit) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            failed = true;
            break;
        }
        if (count == 0)
            break;
        text.append(buffer, static_cast<size_t>(count));
    }
    ::close(fd);
    if (failed)
        return std::nullopt;
    if (text.size() > limit)
        text.resize(limit);
    return text;
}

bool pathExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::vector<std::string> directoryEntries(const std::string& path)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<uint64_t> parseUnsigned(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

}  // namespace moravel

namespace moravel {

KernelFile::~KernelFile()
{
    close();
}

KernelFile::KernelFile(KernelFile&& other) noexcept
    : path_(std::move(other.path_)), kind_(other.kind_), keepOpen_(other.keepOpen_), fd_(other.fd_),
      buffer_(std::move(other.buffer_)), length_(other.length_)
{
    other.fd_ = -1;
}

KernelFile& KernelFile::operator=(KernelFile&& other) noexcept
{
    if (this != &other) {
        close();
        path_ = std::move(other.path_);
        kind_ = other.kind_;
        keepOpen_ = other.keepOpen_;
        fd_ = std::exchange(other.fd_, -1);
        buffer_ = std::move(other.buffer_);
        length_ = other.length_;
    }
    return *this;
}

void KernelFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool KernelFile::readOpen()
{
    if (buffer_.empty())
        buffer_.resize(512);  // most are a line; the first read grows it to fit
    length_ = 0;
    for (;;) {
        if (length_ == buffer_.size()) {
            if (buffer_.size() >= (1u << 20))
                return true;  // kernel files this large are cut, not grown without bound
            buffer_.resize(buffer_.size() * 2);
        }
        const ssize_t count = ::pread(fd_, buffer_.data() + length_, buffer_.size() - length_,
                                      static_cast<off_t>(length_));
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        length_ += static_cast<size_t>(count);
        if (kind_ == Kind::attribute && length_ < buffer_.size())
            return true;
    }
}

std::optional<std::string_view> KernelFile::read()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (fd_ < 0) {
            fd_ = openRegularFile(AT_FDCWD, path_.c_str());
            if (fd_ < 0)
                return std::nullopt;
        }
        if (readOpen()) {
            if (!keepOpen_)
                close();
            return std::string_view(buffer_.data(), length_);
        }
        // The file went away under the open descriptor (an interface was removed): start over.
        close();
    }
    return std::nullopt;
}

}  // namespace moravel
