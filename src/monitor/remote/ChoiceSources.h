#pragma once

#include "monitor/SourceSelector.h"

namespace moravel {

class BackgroundRunner;
class Scheduler;

// Makes the source of a choice: `thisComputer()` for this computer; for
// another machine, its exporter's address checked by the address rules and
// its credentials read now (so a file that is not private is refused here,
// not a second later), read by a RemoteSource that parses its pages on `parser`.
SourceFactory choiceSources(Scheduler& scheduler, BackgroundRunner& parser,
                            std::function<std::shared_ptr<TelemetrySource>()> thisComputer);

}  // namespace moravel
