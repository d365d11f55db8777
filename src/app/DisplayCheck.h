#pragma once

#include <QString>

#include <optional>

namespace moravel {

// Why the island's X display cannot be used, as one line for standard error;
// nothing when it can, or when Qt is asked for a platform other than X11.
// Checked before the application object exists, which would abort the whole
// process (with an unhelpful text) instead of reporting the failure.
std::optional<QString> x11DisplayProblem();

}  // namespace moravel
