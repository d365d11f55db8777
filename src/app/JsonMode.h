#pragma once

#include "app/CommandLine.h"

namespace moravel {

// Headless mode for scripts and status bars: one JSON line per refresh.
// Runs the event loop of the existing application and returns its exit status.
int runJsonMode(const RunOptions& options);

}  // namespace moravel
