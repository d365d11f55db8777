#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// The thin file-reading shell under the readers: whole small files from /proc
// and /sys, read with plain system calls (no buffering layers, no allocation
// beyond the returned text).
//
// Only regular files are read. A FIFO, socket or device put where a kernel
// file belongs (in a fixture tree, say) would block the reader forever, so it
// reads as missing; the open itself never waits.
std::optional<std::string> readTextFile(const std::string& path, size_t limit = 1 << 20);
// `path` relative to the open directory `directoryFd` (or AT_FDCWD), opened
// for reading as above; -1 when it is missing or not a regular file.
int openRegularFile(int directoryFd, const char* path);
bool pathExists(const std::string& path);
// The names in a directory, in no particular order, hidden ones left out;
// nothing when it cannot be listed.
std::vector<std::string> directoryEntries(const std::string& path);

// Decimal unsigned number at the start of `text` (leading blanks skipped);
// nothing when there are no digits or the value does not fit.
std::optional<uint64_t> parseUnsigned(std::string_view text);

std::string_view trimmed(std::string_view text);

}  // namespace moravel

namespace moravel {

// A kernel file read again and again: the descriptor stays open and each read
// starts over at offset 0, which makes the kernel generate fresh contents.
// That saves the open and close of every one-second refresh. Where a reader
// has many such files (sensors of a many-core server), it keeps only some
// open: the others are opened for each read (`keepOpen` false).
class KernelFile {
public:
    enum class Kind {
        // Read until the kernel reports the end: a /proc table may come in
        // pieces of a page.
        table,
        // A sysfs attribute: one value of at most a page, given whole by one
        // read, so a read that leaves room in the buffer has it all and no
        // second call is made to hear that it ended.
        attribute,
    };

    explicit KernelFile(std::string path, Kind kind = Kind::table, bool keepOpen = true)
        : path_(std::move(path)), kind_(kind), keepOpen_(keepOpen)
    {
    }
    ~KernelFile();
    KernelFile(KernelFile&& other) noexcept;
    KernelFile& operator=(KernelFile&& other) noexcept;
    KernelFile(const KernelFile&) = delete;

    // The whole file, valid until the next read; nothing when it cannot be read
    // even after opening it afresh.
    std::optional<std::string_view> read();
    const std::string& path() const { return path_; }

private:
    bool readOpen();
    void close();

    std::string path_;
    Kind kind_ = Kind::table;
    bool keepOpen_ = true;
    int fd_ = -1;
    std::string buffer_;
    size_t length_ = 0;
};

}  // namespace moravel
