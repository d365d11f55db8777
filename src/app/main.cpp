#include "app/CommandLine.h"
#include "app/HistoryMode.h"
#include "app/IslandMode.h"
#include "app/JsonMode.h"
#include "app/SignalQuit.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    const moravel::CommandLineResult parsed = moravel::parseCommandLine(arguments);
    if (const auto* text = std::get_if<moravel::ShowText>(&parsed)) {
        std::fputs(text->text.toUtf8().constData(), stdout);
        return 0;
    }
    if (const auto* error = std::get_if<moravel::UsageError>(&parsed)) {
        std::fprintf(stderr, "%s\n", error->message.toUtf8().constData());
        return 2;
    }
    const moravel::RunOptions options = std::get<moravel::RunOptions>(parsed);
    if (options.command)
        return moravel::runIslandCommand(argc, argv, *options.command);
    if (options.history) {
        std::signal(SIGPIPE, SIG_IGN);
        return moravel::runHistoryMode(options);
    }
    if (!options.json)
        return moravel::runIslandMode(argc, argv, options);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Moravel"));
    moravel::SignalQuit signalQuit;
    std::signal(SIGPIPE, SIG_IGN);
    return moravel::runJsonMode(options);
}
