#pragma once

#include "monitor/SourceSelector.h"

namespace moravel {

class BackgroundRunner;
class Scheduler;

// The source of another machine's choice: a RemoteSource for a node
// exporter's address, a PrometheusSource for a server's (marked
// "prometheus+"), each address checked by the address rules and its
// credentials read now, so that a file that is not private is refused here,
// not a second later. Answers are read on `parser` where one is given.
std::variant<ChosenSource, QString> remoteSource(const SourceChoice& choice, Scheduler& scheduler,
                                                 BackgroundRunner* parser);

// Makes the source of a choice: `thisComputer()` for this computer, another
// machine's or a fleet's as remoteSource() makes it.
SourceFactory choiceSources(Scheduler& scheduler, BackgroundRunner* parser,
                            std::function<std::shared_ptr<TelemetrySource>()> thisComputer);

}  // namespace moravel
