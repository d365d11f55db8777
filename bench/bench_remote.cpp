// Another machine's page, read every second in the background: parsing a
// typical exporter page of about 2,000 lines (a recorded desktop page, twice
// over) and reading the machine's figures off it. Aim: under 2 ms a page.
// Hostile pages must cost time in proportion to their size, never more.
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

// One sample with `labels` labels: `node_x{l0="v",l1="v",...} 1`.
std::string oneSampleWithLabels(int64_t labels)
{
    std::string page = "node_x{";
    for (int64_t i = 0; i < labels; ++i)
        page += "l" + std::to_string(i) + "=\"v\",";
    return page + "} 1\n";
}

// A page of samples with `perSample` labels each, `labels` labels in all.
std::string samplesWithLabels(int64_t labels, int64_t perSample)
{
    std::string page;
    for (int64_t done = 0; done < labels; done += perSample) {
        page += "node_x{";
        for (int64_t i = 0; i < perSample; ++i)
            page += "l" + std::to_string(i) + "=\"" + std::to_string(done) + "\",";
        page += "} 1\n";
    }
    return page;
}

void reportPage(benchmark::State& state, const std::string& page)
{
    state.counters["kB"] = static_cast<double>(page.size()) / 1024;
    state.SetComplexityN(state.range(0));
}

// The hostile page of a single sample with up to 150,000 labels.
void BM_ParseOneSampleManyLabels(benchmark::State& state)
{
    const std::string page = oneSampleWithLabels(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(parseExposition(page));
    reportPage(state, page);
}
BENCHMARK(BM_ParseOneSampleManyLabels)->Arg(20'000)->Arg(60'000)->Arg(150'000)->Unit(benchmark::kMillisecond)
    ->Complexity();

// As many labels spread over samples of 60 labels each: read whole, in linear time.
void BM_ParseManySamplesManyLabels(benchmark::State& state)
{
    const std::string page = samplesWithLabels(state.range(0), 60);
    for (auto _ : state)
        benchmark::DoNotOptimize(parseExposition(page));
    reportPage(state, page);
}
BENCHMARK(BM_ParseManySamplesManyLabels)->Arg(20'000)->Arg(60'000)->Arg(150'000)->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
