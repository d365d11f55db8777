#pragma once

#include "app/IslandCommand.h"
#include "monitor/SourceChoice.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <variant>

namespace moravel {

struct RunOptions {
    bool json = false;
    std::optional<int> count;  // stop after this many printed lines
    bool processes = false;    // sample the process table in JSON mode
    bool history = false;      // print the kept history instead of running
    std::optional<qint64> sinceSeconds;  // with history: only the minutes of this last stretch
    std::optional<QUrl> source;  // another machine's exporter, or a Prometheus server, checked
    bool sourceIsPrometheus = false;  // the fleet a Prometheus server scrapes, at `source`
    QString sourceCredentials;   // a file with user:password for it
    std::optional<IslandCommand> command;  // asked of the island that runs, instead of running

    // The source asked for, as a choice in the settings would keep it.
    std::optional<SourceChoice> sourceChoice() const;
};

struct ShowText {
    QString text;  // --help or --version, printed to standard output
};

struct UsageError {
    QString message;  // printed to standard error; the exit status is 2
};

using CommandLineResult = std::variant<RunOptions, ShowText, UsageError>;

CommandLineResult parseCommandLine(const QStringList& arguments);
// "90s", "30m", "2h", "1d", or several of them ("1h30m"): seconds, at least 1.
std::optional<qint64> durationSeconds(const QString& text);
QString helpText();

}  // namespace moravel
