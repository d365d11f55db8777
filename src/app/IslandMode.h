#pragma once

namespace moravel {

struct RunOptions;

// Shows the island, of the machine `options` name if any. Returns the
// process's exit status.
int runIslandMode(int& argc, char** argv, const RunOptions& options);

}  // namespace moravel
