#include "monitor/prometheus/ChoiceSources.h"

#include "monitor/prometheus/PrometheusSource.h"
#include "monitor/remote/RemoteAddress.h"
#include "monitor/remote/RemoteSource.h"

namespace moravel {

std::variant<ChosenSource, QString> remoteSource(const SourceChoice& choice, Scheduler& scheduler,
                                                 BackgroundRunner* parser)
{
    const bool isFleet = isPrometheusAddress(choice.address);
    const auto address = isFleet ? prometheusAddress(choice.address) : exporterAddress(choice.address);
    if (const QString* problem = std::get_if<QString>(&address))
        return *problem;
    const QUrl& url = std::get<QUrl>(address);
    const QString credentialsFile = choice.credentialsFile.trimmed();
    auto endpoint = endpointWithCredentials(url, credentialsFile);
    if (const QString* problem = std::get_if<QString>(&endpoint))
        return *problem;
    RemoteEndpoint& checked = std::get<RemoteEndpoint>(endpoint);
    if (isFleet)
        return ChosenSource{std::make_shared<PrometheusSource>(std::move(checked), scheduler, parser),
                            {prometheusChoiceText(url), credentialsFile}};
    return ChosenSource{std::make_shared<RemoteSource>(std::move(checked), scheduler, parser),
                        {url.toString(), credentialsFile}};
}

SourceFactory choiceSources(Scheduler& scheduler, BackgroundRunner* parser,
                            std::function<std::shared_ptr<TelemetrySource>()> thisComputer)
{
    return [&scheduler, parser, thisComputer = std::move(thisComputer)](
               const SourceChoice& choice) -> std::variant<ChosenSource, QString> {
        if (choice.isThisComputer())
            return ChosenSource{thisComputer(), {}};
        return remoteSource(choice, scheduler, parser);
    };
}

}  // namespace moravel
