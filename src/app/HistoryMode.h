#pragma once

#include "app/CommandLine.h"

namespace moravel {

// `moravel --history`: the kept history as JSON lines, oldest first, on
// standard output. Returns the process's exit status.
int runHistoryMode(const RunOptions& options);

}  // namespace moravel
