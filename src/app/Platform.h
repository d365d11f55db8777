#pragma once

#include "monitor/SystemMonitor.h"
#include "monitor/TelemetryReaders.h"

#include <memory>

namespace moravel {

// The battery, disk and process readers of this machine.
std::shared_ptr<TelemetryReaders> makePlatformTelemetry(const ReaderRoots& roots);

// Writes one line to standard error for each root that is not a readable
// folder (a mistyped MORAVEL_PROC_ROOT, say). Moravel runs on regardless, with
// whatever the other root gives.
void reportUnreadableReaderRoots(const ReaderRoots& roots);

}  // namespace moravel
