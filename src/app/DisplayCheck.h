#pragma once

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

namespace moravel {

// Whether the island's X display can be used, checked before the application
// object exists, which would abort the whole process (with an unhelpful text)
// instead of reporting the failure.
//
// An X server that takes the connection and never answers (a frozen one) is
// waited on no longer than a deadline. The check's connection is kept until
// close(): an X server with no other client resets when its last client
// leaves, and the application's own connection, made during that reset,
// would fail.
class X11DisplayCheck {
public:
    static constexpr std::chrono::seconds defaultDeadline{5};

    explicit X11DisplayCheck(std::chrono::milliseconds deadline = defaultDeadline);
    ~X11DisplayCheck();
    X11DisplayCheck(const X11DisplayCheck&) = delete;
    X11DisplayCheck& operator=(const X11DisplayCheck&) = delete;

    // Why the display cannot be used, as one line for standard error; nothing
    // when it can, or when Qt is asked for a platform other than X11.
    const std::optional<QString>& problem() const { return problem_; }
    // Lets the check's connection go, once the application has its own.
    void close();

private:
    struct Attempt;

    std::optional<QString> problem_;
    std::shared_ptr<Attempt> attempt_;
};

}  // namespace moravel
