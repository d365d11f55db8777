#include "app/Platform.h"

namespace moravel {

std::shared_ptr<TelemetryReaders> makePlatformTelemetry(const ReaderRoots& roots)
{
    (void)roots;
    return std::make_shared<TelemetryReaders>();
}

}  // namespace moravel
