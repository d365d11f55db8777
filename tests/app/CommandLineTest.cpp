#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace moravel;

namespace {
CommandLineResult parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("moravel"));
    return parseCommandLine(arguments);
}
}  // namespace

// The spaced forms are what the --json and --history runs use.
TEST(CommandLine, JsonWithCountAndProcesses)
{
    EXPECT_EQ(std::get<RunOptions>(parse({"--json", "--count=7"})).count, 7);
    const auto history = std::get<RunOptions>(parse({"--history", "--since", "1h30m"}));
    EXPECT_TRUE(history.history);
    EXPECT_EQ(history.sinceSeconds, 5400);
    EXPECT_EQ(std::get<RunOptions>(parse({"--history", "--since=2d"})).sinceSeconds, 2 * 86400);
    const auto remote = std::get<RunOptions>(parse({"--json", "--source=http://127.0.0.1:9100"}));
    EXPECT_EQ(remote.source, QUrl("http://127.0.0.1:9100/metrics"));
    // The island reads it too, for this run.
    EXPECT_EQ(std::get<RunOptions>(parse({"--source", "http://[::1]"})).source, QUrl("http://[::1]/metrics"));
    // A Prometheus server, marked as one: the same choice the settings would keep.
    const auto fleet = std::get<RunOptions>(parse({"--json", "--source", "prometheus+http://10.0.0.5:9090"}));
    EXPECT_TRUE(fleet.sourceIsPrometheus);
    EXPECT_EQ(fleet.sourceChoice(), (SourceChoice{"prometheus+http://10.0.0.5:9090", {}}));
    EXPECT_EQ(remote.sourceChoice(), (SourceChoice{"http://127.0.0.1:9100/metrics", {}}));
}

TEST(CommandLine, BadNumbersAndUnknownOptionsAreUsageErrors)
{
    const QStringList rows[] = {
        {"--json", "--count", "x"}, {"--json", "--count", "0"}, {"--json", "--count"}, {"--frobnicate"}, {"extra"},
        {"--json", "--count", "99999999999"}, {QString(100'000, u'x')}, {"--history", "--since", "5"},
        {"--history", "--since", "1.5h"}, {"--history", "--since", "99999999999999d"}, {"--since", "1h"},
        {"--history", "--json"}, {"--json", "--source", "http://8.8.8.8:9100"}, {"--json", "--source"},
        {"--history", "--source", "http://[::1]"}, {"--json", "--source-credentials", "/tmp/c"},
        {"--json", "--source", "prometheus+http://8.8.8.8:9090"}};
    for (const QStringList& arguments : rows) {
        const auto result = parse(arguments);
        const auto* error = std::get_if<UsageError>(&result);
        ASSERT_TRUE(error) << arguments.join(' ').left(80).toStdString();
        EXPECT_TRUE(error->message.startsWith("moravel: "));
        EXPECT_LE(error->message.size(), 120);  // a huge argument is cut, not echoed whole
    }
}


// --toggle, --open [TAB] and --close ask the running island; a tab in any
// case, an unknown one a usage error, and nothing else beside them.
TEST(CommandLine, IslandCommands)
{
    using Action = IslandCommand::Action;
    const struct {
        QStringList arguments;
        IslandCommand expected;
    } rows[] = {
        {{"--toggle"}, {Action::toggle, {}}},
        {{"--close"}, {Action::close, {}}},
        {{"--open"}, {Action::open, {}}},
        {{"--open", "Sensors"}, {Action::open, "Sensors"}},
        {{"--open=gpu"}, {Action::open, "gpu"}},
        {{"--open", "CPU"}, {Action::open, "CPU"}},
    };
    for (const auto& row : rows) {
        const auto result = parse(row.arguments);
        ASSERT_TRUE(std::holds_alternative<RunOptions>(result)) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(std::get<RunOptions>(result).command, row.expected) << row.arguments.join(' ').toStdString();
    }
    EXPECT_FALSE(std::get<RunOptions>(parse({})).command);
    const QStringList errors[] = {{"--open", "disk"}, {"--open=bogus"}, {"--toggle", "--close"},
                                  {"--toggle", "--json"}, {"--open", "cpu", "extra"}};
    for (const QStringList& arguments : errors)
        EXPECT_TRUE(std::holds_alternative<UsageError>(parse(arguments))) << arguments.join(' ').toStdString();
    const auto unknown = std::get<UsageError>(parse({"--open", "disk"}));
    EXPECT_EQ(unknown.message, QStringLiteral("moravel: --open: no tab \"disk\"; the tabs are overview, cpu, memory, "
                                              "network, power, sensors, gpu, machines"));
}
