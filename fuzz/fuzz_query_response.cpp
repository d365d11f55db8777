// Feeds arbitrary bytes to the query API's parser and reads what it accepts
// as every answer of a refresh and as a machine's last hour: nothing it
// returns breaks the limits, and reading it never fails.
#include "monitor/prometheus/FleetAnswers.h"
#include "monitor/prometheus/QueryResponse.h"

#include <QSet>

#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)scrapeIntervalOfConfig(text);
    const auto parsed = parseQueryResponse(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    const auto* result = std::get_if<QueryResult>(&parsed);
    if (!result)
        return 0;
    size_t points = 0;
    for (const QuerySeries& series : result->series) {
        if (series.labels.size() > largestQueryLabelCount)
            std::abort();
        points += series.points.size();
    }
    if (points > largestQueryPointCount)
        std::abort();
    // The series view the parsed result, which outlives these answers.
    FleetAnswers answers;
    for (QueryResult& answer : answers)
        answer.series = result->series;
    const QList<MachineReading> machines = machinesOfAnswers(answers, nullptr, QDateTime::fromSecsSinceEpoch(0));
    // Every machine listed has a name, and comes once.
    QSet<QString> seen;
    for (const MachineReading& machine : machines) {
        if (machine.instance.isEmpty() || seen.contains(machine.instance))
            std::abort();
        seen.insert(machine.instance);
    }
    std::array<QueryResult, pastHourQueries.size()> hour;
    for (QueryResult& answer : hour)
        answer.series = result->series;
    (void)pastHourOfAnswers(hour);
    return 0;
}
