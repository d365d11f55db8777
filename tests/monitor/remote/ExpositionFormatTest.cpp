#include "monitor/remote/ExpositionFormat.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace moravel;

namespace {

using Labels = std::vector<std::pair<std::string, std::string>>;

ExpositionPage parsed(std::string_view text)
{
    auto result = parseExposition(text);
    if (const auto* error = std::get_if<ExpositionError>(&result)) {
        ADD_FAILURE() << "line " << error->line << ": " << error->reason;
        return {};
    }
    return std::get<ExpositionPage>(result);
}

// One sample with `count` labels of distinct names.
std::string withLabels(size_t count)
{
    std::string line = "m{";
    for (size_t i = 0; i < count; ++i)
        line += "l" + std::to_string(i) + "=\"v\",";
    return line + "} 1";
}

}  // namespace

TEST(ExpositionFormat, ReadsSamplesLabelsSpecialValuesAndTimestamps)
{
    const struct {
        const char* line;
        const char* name;
        Labels labels;
        double value;
        std::optional<int64_t> timestamp;
    } rows[] = {
        {"node_load1 0.5", "node_load1", {}, 0.5, {}},
        {"m{a=\"b\"} 2 1700000000000", "m", {{"a", "b"}}, 2, 1700000000000},
        {"m{a=\"say \\\"hi\\\"\\\\\\n\"} 3", "m", {{"a", "say \"hi\"\\\n"}}, 3, {}},
        {"m{a=\"1\",b=\"\",} 4", "m", {{"a", "1"}, {"b", ""}}, 4, {}},
        {"m{} 5 -7", "m", {}, 5, -7},
        {"  m { a = \"x\" , b=\"}{,\" }\t1.5e3  ", "m", {{"a", "x"}, {"b", "}{,"}}, 1500, {}},
        {"name:with_colons{le=\"+Inf\"} +7", "name:with_colons", {{"le", "+Inf"}}, 7, {}},
        {"m +Inf", "m", {}, INFINITY, {}},
        {"m{label=\"ünïcode ✓\"} -0.25\r", "m", {{"label", "ünïcode ✓"}}, -0.25, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const ExpositionPage page = parsed(row.line);
        ASSERT_EQ(page.samples.size(), 1u);
        const ExpositionSample& sample = page.samples[0];
        EXPECT_EQ(sample.name, row.name);
        EXPECT_EQ(sample.labels, row.labels);
        EXPECT_EQ(sample.value, row.value);
        EXPECT_EQ(sample.timestampMilliseconds, row.timestamp);
    }
    EXPECT_TRUE(std::isnan(parsed("m NaN").samples.at(0).value));
    EXPECT_EQ(parsed("m{a=\"x\",b=\"y\"} 1").samples.at(0).label("b"), "y");
}

// Comments and blank lines are skipped, but HELP and TYPE lines checked; one
// bad line fails the whole page, and says where.
TEST(ExpositionFormat, RefusesMalformedLinesNamingThem)
{
    const std::string good = "# HELP m Lines \\\\ and \\n escapes.\n# TYPE m counter\n\n   \n# any comment at all\n#\n"
                             "# TYPE h histogram\nm 1\n";
    EXPECT_EQ(parsed(good).samples.size(), 1u);
    const std::string lines[] = {
        "m", "m abc", "m 1e400", "m 1 1.5", "m{a=\"b} 1", "m{a=\"\\x\"} 1", "m{a=\"b\",a=\"c\"} 1",
        "m{z=\"1\",a=\"2\",k=\"3\",a=\"4\"} 1", "m{a=\"b\" c=\"d\"} 1", "m{a=b} 1", "1m 1", "# TYPE m countr",
        "# HELP m tab \\t escape", withLabels(largestExpositionLabelCount + 1),
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line.substr(0, 60));
        const auto result = parseExposition(good + line + "\nok 2\n");
        const auto* error = std::get_if<ExpositionError>(&result);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->line, 9u);
        EXPECT_FALSE(error->reason.empty());
    }
    const std::string huge(largestExpositionPage + 1, '#');
    EXPECT_TRUE(std::holds_alternative<ExpositionError>(parseExposition(huge)));
}

// A hostile page's work is bounded: labels per sample and samples per page
// up to their limits are read, one more refuses the page in words.
TEST(ExpositionFormat, BoundsTheLabelsOfASampleAndTheSamplesOfAPage)
{
    EXPECT_EQ(parsed(withLabels(largestExpositionLabelCount)).samples.at(0).labels.size(),
              largestExpositionLabelCount);
    const auto many = parseExposition(withLabels(150'000));
    ASSERT_TRUE(std::holds_alternative<ExpositionError>(many));
    EXPECT_EQ(std::get<ExpositionError>(many).reason, "more than 64 labels");

    std::string page;
    for (size_t i = 0; i < largestExpositionSampleCount; ++i)
        page += "m 1\n";
    EXPECT_EQ(parsed(page).samples.size(), largestExpositionSampleCount);
    const auto tooMany = parseExposition(page + "m 1\n");
    ASSERT_TRUE(std::holds_alternative<ExpositionError>(tooMany));
    EXPECT_EQ(std::get<ExpositionError>(tooMany).reason, "more than 100000 samples");
}
