#pragma once

#include <QString>

namespace moravel {

// `moravel --toggle`, `--open [TAB]` or `--close`: what to ask of the island
// that runs already.
struct IslandCommand {
    enum class Action { toggle, open, close };
    Action action = Action::toggle;
    QString tab;  // with open: the tab's name as given; empty for where it was

    friend bool operator==(const IslandCommand&, const IslandCommand&) = default;
};

enum class IslandCallOutcome { done, noIsland, failed };

// Asks the island on the bus at `address`; `problem` says why when it is not done.
IslandCallOutcome callIsland(const QString& address, const IslandCommand& command, QString* problem);

// The command from the command line: 0 once the island did it, 1 (with one
// line on standard error) when no island runs or the bus cannot be reached.
int runIslandCommand(int& argc, char** argv, const IslandCommand& command);

// A second plain `moravel` while the island runs: opens it and says so on
// standard output. Without a session bus it only says that it runs.
int openRunningIsland(int& argc, char** argv);

}  // namespace moravel
