// Feeds arbitrary bytes to the metrics-page parser and reads what it accepts
// as a node exporter's page: every sample it returns has a sound name and
// labels, within the limits of a page, and a page accepted once reads the
// same twice.
#include "monitor/remote/ExpositionFormat.h"
#include "monitor/remote/NodeExporterReadings.h"

#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = parseExposition(text);
    const auto* page = std::get_if<ExpositionPage>(&result);
    if (!page)
        return 0;
    if (page->samples.size() > largestExpositionSampleCount)
        std::abort();
    for (const ExpositionSample& sample : page->samples) {
        if (sample.name.empty() || sample.name.find_first_of(" \t\n{") != std::string::npos
            || sample.labels.size() > largestExpositionLabelCount)
            std::abort();
        for (const auto& [name, value] : sample.labels) {
            if (name.empty() || name.find_first_of(" \t\n=\"") != std::string::npos)
                std::abort();
        }
    }
    const NodePage first = readNodePage(*page);
    const NodePage second = readNodePage(std::get<ExpositionPage>(parseExposition(text)));
    const SystemSnapshot snapshot = snapshotOfNodePage(second, &first, 1.0);
    // Nothing grew between a page and itself.
    if ((snapshot.network && snapshot.network->downloadBytesPerSecond != 0)
        || (snapshot.diskActivity && snapshot.diskActivity->readBytesPerSecond != 0)
        || (snapshot.cpu && !(snapshot.cpu->percent == 0)))
        std::abort();
    return 0;
}
