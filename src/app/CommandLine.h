#pragma once

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
    std::optional<QUrl> source;  // another machine's exporter, checked
    QString sourceCredentials;   // a file with user:password for it
};

struct ShowText {
    QString text;  // --help or --version, printed to standard output
};

struct UsageError {
    QString message;  // printed to standard error; the exit status is 2
};

using CommandLineResult = std::variant<RunOptions, ShowText, UsageError>;

CommandLineResult parseCommandLine(const QStringList& arguments);
QString helpText();

}  // namespace moravel
