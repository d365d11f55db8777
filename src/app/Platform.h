#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/ReaderRoots.h"

#include <memory>

namespace moravel {

class BackgroundRunner;
class Scheduler;

// The readings of this machine, from the kernel's files below `roots`.
std::shared_ptr<TelemetrySource> makeTelemetrySource(const ReaderRoots& roots, Scheduler& scheduler,
                                                     BackgroundRunner& background);

// Writes one line to standard error for each root that is not a readable
// folder (a mistyped MORAVEL_PROC_ROOT, say). Moravel runs on regardless, with
// whatever the other root gives.
void reportUnreadableReaderRoots(const ReaderRoots& roots);

}  // namespace moravel
