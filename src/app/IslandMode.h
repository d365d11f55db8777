#pragma once

namespace moravel {

// Shows the island. Returns the process's exit status.
int runIslandMode(int& argc, char** argv);

}  // namespace moravel
