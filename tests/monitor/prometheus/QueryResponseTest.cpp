#include "monitor/prometheus/QueryResponse.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace moravel;

namespace {

// The answer's text is a copy that only the result keeps.
QueryResult resultOf(std::string_view json)
{
    auto parsed = parseQueryResponse(QByteArray(json.data(), static_cast<qsizetype>(json.size())));
    if (const auto* failure = std::get_if<QueryFailure>(&parsed)) {
        ADD_FAILURE() << json << " failed: " << failure->message;
        return {};
    }
    return std::get<QueryResult>(std::move(parsed));
}

QueryFailure failureOf(std::string_view json)
{
    auto parsed = parseQueryResponse(QByteArray(json.data(), static_cast<qsizetype>(json.size())));
    if (!std::holds_alternative<QueryFailure>(parsed)) {
        ADD_FAILURE() << json << " was taken";
        return {};
    }
    return std::get<QueryFailure>(parsed);
}

std::vector<QueryLabel> labelsOf(const QuerySeries& series)
{
    return {series.labels.begin(), series.labels.end()};
}

std::vector<QueryPoint> pointsOf(const QuerySeries& series)
{
    return {series.points.begin(), series.points.end()};
}

std::string vectorOf(const std::string& value)
{
    return R"({"status":"success","data":{"resultType":"vector","result":[{"metric":{},"value":[1700000000.5,")"
           + value + R"("]}]}})";
}

}  // namespace

TEST(QueryResponse, AVectorKeepsEachSeriesLabelsInOrderAndItsValue)
{
    const QueryResult result = resultOf(R"({
        "status" : "success",
        "data" : {
            "resultType" : "vector",
            "result" : [
                {"metric": {"__name__": "up", "job": "node", "instance": "web3.lan:9100"},
                 "value": [1700000000.123, "1"]},
                {"metric": {"instance": "db1:9100", "job": "node"}, "value": [1700000000.123, "0.25"]}
            ]
        },
        "warnings": ["results truncated"]
    })");
    EXPECT_EQ(result.type, QueryResultType::vector);
    ASSERT_EQ(result.series.size(), 2u);
    const std::vector<QueryLabel> labels{{"__name__", "up"}, {"job", "node"}, {"instance", "web3.lan:9100"}};
    EXPECT_EQ(labelsOf(result.series[0]), labels);
    EXPECT_EQ(pointsOf(result.series[0]), (std::vector<QueryPoint>{{1700000000.123, 1}}));
    EXPECT_EQ(result.series[1].label("instance"), "db1:9100");
    EXPECT_EQ(result.series[1].label("__name__"), "");
    EXPECT_EQ(pointsOf(result.series[1]), (std::vector<QueryPoint>{{1700000000.123, 0.25}}));
    EXPECT_EQ(result.warnings, std::vector<std::string>{"results truncated"});
}

TEST(QueryResponse, AMatrixKeepsEveryStepAndTheResultTypeMayComeLast)
{
    const QueryResult result = resultOf(R"({"data":{"result":[{"values":[[10,"1"],[25,"2.5"],[40,"1e3"]],
        "metric":{"instance":"a"}}],"resultType":"matrix"},"status":"success"})");
    EXPECT_EQ(result.type, QueryResultType::matrix);
    ASSERT_EQ(result.series.size(), 1u);
    EXPECT_EQ(pointsOf(result.series[0]), (std::vector<QueryPoint>{{10, 1}, {25, 2.5}, {40, 1000}}));
}

TEST(QueryResponse, AScalarIsOneSeriesWithoutLabelsAndAStringNone)
{
    const QueryResult scalar = resultOf(R"({"status":"success","data":{"resultType":"scalar","result":[5,"42"]}})");
    EXPECT_EQ(scalar.type, QueryResultType::scalar);
    ASSERT_EQ(scalar.series.size(), 1u);
    EXPECT_TRUE(scalar.series[0].labels.empty());
    EXPECT_EQ(pointsOf(scalar.series[0]), (std::vector<QueryPoint>{{5, 42}}));

    const QueryResult text = resultOf(R"({"status":"success","data":{"resultType":"string","result":[5,"hi"]}})");
    EXPECT_EQ(text.type, QueryResultType::string);
    EXPECT_TRUE(text.series.empty());

    const QueryResult empty = resultOf(R"({"status":"success","data":{"resultType":"vector","result":[]}})");
    EXPECT_TRUE(empty.series.empty());
}

TEST(QueryResponse, ValuesThatAreNoNumbersComeAsStrings)
{
    EXPECT_TRUE(std::isnan(resultOf(vectorOf("NaN")).series[0].points[0].value));
    EXPECT_EQ(resultOf(vectorOf("+Inf")).series[0].points[0].value, INFINITY);
    EXPECT_EQ(resultOf(vectorOf("-Inf")).series[0].points[0].value, -INFINITY);
    EXPECT_EQ(resultOf(vectorOf("-0.5")).series[0].points[0].value, -0.5);
    for (const char* value : {"", "1,5", "+1", "0x10", "1 ", "one"})
        EXPECT_FALSE(failureOf(vectorOf(value)).message.empty()) << value;
}

TEST(QueryResponse, TheServersRefusalIsItsOwnWords)
{
    const QueryFailure failure = failureOf(
        R"({"status":"error","errorType":"bad_data","error":"1:5: parse error: unexpected \"}\""})");
    EXPECT_EQ(failure.errorType, "bad_data");
    EXPECT_EQ(failure.message, "1:5: parse error: unexpected \"}\"");
    // Without a type the refusal is still the server's.
    EXPECT_EQ(failureOf(R"({"status":"error","error":"timeout"})").errorType, "error");
}

TEST(QueryResponse, StringsAreUnescapedToUtf8)
{
    const QueryResult result = resultOf(R"({"status":"success","data":{"resultType":"vector","result":[{"metric":
        {"a":"caf\u00e9","b":"\ud83d\ude00","c":"\ud800x","d":"q\"\\\/\n\t"},"value":[1,"1"]}]}})");
    const QuerySeries& series = result.series.at(0);
    EXPECT_EQ(series.label("a"), "caf\xC3\xA9");
    EXPECT_EQ(series.label("b"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(series.label("c"), "\xEF\xBF\xBDx");  // a lone surrogate is no character
    EXPECT_EQ(series.label("d"), "q\"\\/\n\t");
}

TEST(QueryResponse, UnknownMembersAndNativeHistogramsArePassedOver)
{
    const QueryResult result = resultOf(R"({"status":"success","infos":["x"],"stats":{"a":[1,{"b":null}]},
        "data":{"resultType":"vector","result":[
            {"metric":{"n":"v"},"value":[1,"3"],"extra":true},
            {"metric":{"n":"h","le":"1"},"histogram":[1,{"count":"2","buckets":[[0,"1","2","3"]]}]},
            {"metric":{"n":"w"},"value":[1,"4"]}]}})");
    ASSERT_EQ(result.series.size(), 2u);
    // No label of the histogram is left on the series before it.
    EXPECT_EQ(result.series[0].labels.size(), 1u);
    EXPECT_EQ(result.series[0].label("n"), "v");
    EXPECT_EQ(result.series[1].label("n"), "w");
}

TEST(QueryResponse, AnythingElseFailsTheWholeAnswer)
{
    const std::string deep = R"({"status":"success","x":)" + std::string(200, '[') + std::string(200, ']')
                             + R"(,"data":{"resultType":"vector","result":[]}})";
    std::string labels = R"({"status":"success","data":{"resultType":"vector","result":[{"metric":{)";
    for (int i = 0; i < 65; ++i)
        labels += (i ? "," : "") + std::string("\"l") + std::to_string(i) + "\":\"v\"";
    labels += R"(},"value":[1,"1"]}]}})";
    const std::string cases[] = {
        "",
        "[]",
        R"({"status":"success"})",                                   // no data
        R"({"status":"pending","data":{}})",                         // no known status
        R"({"status":"success","data":{"resultType":"vector","result":[]}} x)",  // trailing text
        R"({"status":"success","data":{"resultType":"vector","result":[)",    // cut short
        R"({"status":"success","data":{"resultType":"table","result":[]}})",  // unknown type
        R"({"status":"success","data":{"resultType":"vector","result":[{"value":[1,2]}]}})",  // a bare number
        R"({"status":"success","data":{"resultType":"vector","result":[{"value":[01,"2"]}]}})",  // leading zero
        R"({"status":"success","data":{"resultType":"vector","result":[{"value":[1e999,"2"]}]}})",  // too large
        "{\"status\":\"succ\x01ess\"}",                              // a control character
        R"({"status":"\x"})",                                        // a bad escape
        R"({"status":"\u12"})",                                      // a short one
        deep,
        labels,
    };
    for (const std::string& json : cases)
        EXPECT_TRUE(failureOf(json).errorType.empty()) << json;

    // The cap is on each series' labels, not on the answer's.
    std::string manySeries = R"({"status":"success","data":{"resultType":"vector","result":[)";
    for (int series = 0; series < 3; ++series) {
        manySeries += series ? ",{\"metric\":{" : "{\"metric\":{";
        for (int i = 0; i < 40; ++i)
            manySeries += (i ? "," : "") + std::string("\"l") + std::to_string(i) + "\":\"v\"";
        manySeries += R"(},"value":[1,"1"]})";
    }
    EXPECT_EQ(resultOf(manySeries + "]}}").series.size(), 3u);
}

TEST(QueryResponse, TheScrapeIntervalIsTheGlobalOne)
{
    const auto interval = [](const std::string& yaml) {
        return scrapeIntervalOfConfig(R"({"status":"success","data":{"yaml":")" + yaml + "\"}}");
    };
    EXPECT_EQ(interval(R"(global:\n  scrape_interval: 15s\n  scrape_timeout: 10s\nscrape_configs:\n)"), 15);
    EXPECT_EQ(interval(R"(global:\n  evaluation_interval: 1m\n  scrape_interval: 1m30s\n)"), 90);
    // A job's own interval is not the server's.
    EXPECT_EQ(interval(R"(global:\n  scrape_timeout: 10s\nscrape_configs:\n- job_name: a\n  scrape_interval: 5s\n)"),
              std::nullopt);
    EXPECT_EQ(interval(R"(scrape_configs:\n- job_name: a\nglobal:\n  scrape_interval: 2s\n)"), 2);
    EXPECT_EQ(interval(R"(global:\n  scrape_interval: 0s\n)"), std::nullopt);
    EXPECT_EQ(scrapeIntervalOfConfig(R"({"status":"success","data":{}})"), std::nullopt);
    EXPECT_EQ(scrapeIntervalOfConfig("not json"), std::nullopt);
}

TEST(QueryResponse, DurationsAsPrometheusWritesThem)
{
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"15s", 15}, {"1m", 60}, {"1m30s", 90}, {"500ms", 0.5}, {"2h", 7200}, {"1d", 86400}, {"1w", 604800},
        {"1y", 31536000}, {"", std::nullopt}, {"15", std::nullopt}, {"s", std::nullopt}, {"1.5s", std::nullopt},
        {"-1s", std::nullopt}, {"1x", std::nullopt},
    };
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(prometheusDurationSeconds(text), seconds) << text;
}
