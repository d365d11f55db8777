#include "app/CommandLine.h"
#include "app/JsonMode.h"
#include "app/SignalQuit.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Moravel"));

    const moravel::CommandLineResult parsed = moravel::parseCommandLine(QCoreApplication::arguments());
    if (const auto* text = std::get_if<moravel::ShowText>(&parsed)) {
        std::fputs(text->text.toUtf8().constData(), stdout);
        return 0;
    }
    if (const auto* error = std::get_if<moravel::UsageError>(&parsed)) {
        std::fprintf(stderr, "%s\n", error->message.toUtf8().constData());
        return 2;
    }
    moravel::SignalQuit signalQuit;
    std::signal(SIGPIPE, SIG_IGN);

    moravel::RunOptions options = std::get<moravel::RunOptions>(parsed);
    options.json = true;  // the headless mode is the only one until the island window exists
    return moravel::runJsonMode(options);
}
