// Another machine's page, read every second on the main thread: parsing a
// typical exporter page of about 2,000 lines (a recorded desktop page, twice
// over) and reading the machine's figures off it. Aim: under 2 ms a page.
#include "monitor/remote/ExpositionFormat.h"
#include "monitor/remote/NodeExporterReadings.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

using namespace moravel;

namespace {

std::string typicalPage()
{
    std::ifstream file(MORAVEL_REMOTE_PAGES "/desktop.prom");
    std::stringstream text;
    text << file.rdbuf();
    return text.str() + text.str();
}

void BM_ParseExporterPage(benchmark::State& state)
{
    const std::string page = typicalPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(parseExposition(page));
    state.counters["lines"] = static_cast<double>(std::count(page.begin(), page.end(), '\n'));
    state.counters["kB"] = static_cast<double>(page.size()) / 1024;
}
BENCHMARK(BM_ParseExporterPage)->Unit(benchmark::kMicrosecond);

void BM_ReadNodePage(benchmark::State& state)
{
    const std::string text = typicalPage();
    const ExpositionPage page = std::get<ExpositionPage>(parseExposition(text));
    const NodePage previous = readNodePage(page);
    for (auto _ : state)
        benchmark::DoNotOptimize(snapshotOfNodePage(readNodePage(page), &previous, 1));
}
BENCHMARK(BM_ReadNodePage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
