#pragma once

#include "monitor/SystemMonitor.h"
#include "monitor/TelemetryReaders.h"

#include <memory>

namespace moravel {

// The battery, disk and process readers of this machine.
std::shared_ptr<TelemetryReaders> makePlatformTelemetry(const ReaderRoots& roots);

}  // namespace moravel
