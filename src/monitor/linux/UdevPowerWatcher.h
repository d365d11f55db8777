#pragma once

#include "monitor/TelemetrySource.h"

#include <functional>
#include <memory>

namespace moravel {

// Power-source changes as udev reports them for the power_supply subsystem:
// plugging an adapter in, a battery changing state. Must be created on the
// main thread; `changed` runs there, once per event.
std::unique_ptr<PowerSourceWatcher> watchUdevPowerSupplies(std::function<void()> changed);

}  // namespace moravel
