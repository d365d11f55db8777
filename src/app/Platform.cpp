#include "app/Platform.h"

#include "monitor/LinuxTelemetry.h"

namespace moravel {

std::shared_ptr<TelemetryReaders> makePlatformTelemetry(const ReaderRoots& roots)
{
    return std::make_shared<LinuxTelemetry>(roots);
}

}  // namespace moravel
