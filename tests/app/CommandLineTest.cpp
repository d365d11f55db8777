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

TEST(CommandLine, JsonWithCountAndProcesses)
{
    const auto result = parse({"--json", "--count", "3", "--processes"});
    const auto* options = std::get_if<RunOptions>(&result);
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->json);
    EXPECT_EQ(options->count, 3);
    EXPECT_TRUE(options->processes);
    EXPECT_EQ(std::get<RunOptions>(parse({"--json", "--count=7"})).count, 7);
    const auto history = std::get<RunOptions>(parse({"--history", "--since", "1h30m"}));
    EXPECT_TRUE(history.history);
    EXPECT_EQ(history.sinceSeconds, 5400);
    EXPECT_EQ(std::get<RunOptions>(parse({"--history", "--since=2d"})).sinceSeconds, 2 * 86400);
    const auto remote = std::get<RunOptions>(parse({"--json", "--source=http://127.0.0.1:9100"}));
    EXPECT_EQ(remote.source, QUrl("http://127.0.0.1:9100/metrics"));
    // The island reads it too, for this run.
    EXPECT_EQ(std::get<RunOptions>(parse({"--source", "http://[::1]"})).source, QUrl("http://[::1]/metrics"));
}

TEST(CommandLine, BadNumbersAndUnknownOptionsAreUsageErrors)
{
    for (const QStringList& arguments : {QStringList{"--json", "--count", "x"}, QStringList{"--json", "--count", "0"},
                                         QStringList{"--json", "--count", "-2"}, QStringList{"--json", "--count"},
                                         QStringList{"--json", "--count", "99999999999"}, QStringList{"--frobnicate"},
                                         QStringList{"--json", "--count", " 2"}, QStringList{"--json", "--count=+2"},
                                         QStringList{"extra"}, QStringList{QString(100'000, u'x')},
                                         QStringList{"--json", "--count", QString(100'000, u'9')},
                                         QStringList{"--history", "--since", "5"},
                                         QStringList{"--history", "--since", "0m"},
                                         QStringList{"--history", "--since", "1.5h"},
                                         QStringList{"--history", "--since", "h"},
                                         QStringList{"--history", "--since", "2w"},
                                         QStringList{"--history", "--since="},
                                         QStringList{"--history", "--since", "99999999999999d"},
                                         QStringList{"--history", "--since"}, QStringList{"--since", "1h"},
                                         QStringList{"--history", "--json"},
                                         QStringList{"--json", "--source", "http://8.8.8.8:9100"},
                                         QStringList{"--json", "--source"},
                                         QStringList{"--history", "--source", "http://[::1]"},
                                         QStringList{"--json", "--source-credentials", "/tmp/c"}}) {
        const auto result = parse(arguments);
        const auto* error = std::get_if<UsageError>(&result);
        ASSERT_TRUE(error) << arguments.join(' ').left(80).toStdString();
        EXPECT_TRUE(error->message.startsWith("moravel: "));
        EXPECT_LE(error->message.size(), 120);  // a huge argument is cut, not echoed whole
    }
}

