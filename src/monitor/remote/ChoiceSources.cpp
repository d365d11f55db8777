#include "monitor/remote/ChoiceSources.h"

#include "monitor/remote/RemoteAddress.h"
#include "monitor/remote/RemoteSource.h"

namespace moravel {

SourceFactory choiceSources(Scheduler& scheduler, BackgroundRunner& parser,
                            std::function<std::shared_ptr<TelemetrySource>()> thisComputer)
{
    return [&scheduler, &parser, thisComputer = std::move(thisComputer)](
               const SourceChoice& choice) -> std::variant<ChosenSource, QString> {
        if (choice.isThisComputer())
            return ChosenSource{thisComputer(), {}};
        const auto address = exporterAddress(choice.address);
        if (const QString* problem = std::get_if<QString>(&address))
            return *problem;
        const QString credentialsFile = choice.credentialsFile.trimmed();
        auto endpoint = endpointWithCredentials(std::get<QUrl>(address), credentialsFile);
        if (const QString* problem = std::get_if<QString>(&endpoint))
            return *problem;
        const QString written = std::get<QUrl>(address).toString();
        return ChosenSource{std::make_shared<RemoteSource>(std::get<RemoteEndpoint>(std::move(endpoint)), scheduler,
                                                           &parser),
                            {written, credentialsFile}};
    };
}

}  // namespace moravel
