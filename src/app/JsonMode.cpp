#include "app/JsonMode.h"

#include "app/Platform.h"
#include "monitor/MeasuredReadings.h"
#include "monitor/SnapshotJson.h"
#include "monitor/SystemMonitor.h"
#include "monitor/prometheus/ChoiceSources.h"
#include "support/BackgroundRunner.h"
#include "support/QtScheduler.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace moravel {

namespace {

// This computer, or the machine or fleet asked for; nothing (the reason
// told) when its credentials cannot be used.
std::shared_ptr<TelemetrySource> chosenSource(const RunOptions& options, Scheduler& scheduler,
                                              BackgroundRunner& background)
{
    if (!options.source) {
        const ReaderRoots roots = ReaderRoots::fromEnvironment();
        reportUnreadableReaderRoots(roots);
        return makeTelemetrySource(roots, scheduler, background);
    }
    auto chosen = remoteSource(*options.sourceChoice(), scheduler, &background);
    if (const QString* problem = std::get_if<QString>(&chosen)) {
        std::fprintf(stderr, "moravel: %s\n", problem->toLocal8Bit().constData());
        return nullptr;
    }
    return std::get<ChosenSource>(std::move(chosen)).source;
}

}  // namespace

int runJsonMode(const RunOptions& options)
{
    QtScheduler scheduler;
    ThreadPoolRunner background;
    std::shared_ptr<TelemetrySource> source = chosenSource(options, scheduler, background);
    if (!source)
        return 1;
    SystemMonitor monitor(scheduler, source);
    const QString sourceAddress = options.source ? options.sourceChoice()->address : QString();

    // --count counts printed lines: seconds the source could not answer
    // print nothing and count nothing.
    int printed = 0;
    // Queued, so that it also works for the refresh taken before the event loop runs.
    const auto finish = [&monitor](int status) {
        monitor.stop();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
    };
    // Every line carries measured values: from the second refresh on (rates
    // need two readings), once the disk and any process shares are in.
    MeasuredReadings readings(monitor, options.processes);
    QObject::connect(&readings, &MeasuredReadings::readingReady, &monitor,
                     [&](const SystemSnapshot& snapshot, const QDateTime& time) {
        QByteArray line = snapshotJsonLine(snapshot, time, sourceAddress);
        line += '\n';
        if (std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout) != static_cast<size_t>(line.size())
            || std::fflush(stdout) != 0) {
            // A full disk or a reader that went away (a closed pipe): whoever
            // started us must not take the missing lines for success.
            std::fprintf(stderr, "moravel: cannot write the readings to standard output: %s\n", std::strerror(errno));
            finish(1);
            return;
        }
        if (options.count && ++printed >= *options.count)
            finish(0);
    });
    // One line when the source cannot be read, not one a second, and one when it can again.
    QObject::connect(&monitor, &SystemMonitor::sourceReachabilityChanged, &monitor, [&](bool reachable) {
        const QByteArray address = sourceAddress.toLocal8Bit();
        if (reachable)
            std::fprintf(stderr, "moravel: can read %s again\n", address.constData());
        else
            std::fprintf(stderr, "moravel: cannot read %s: %s\n", address.constData(),
                         monitor.sourceFailure().toLocal8Bit().constData());
    });
    monitor.start();
    const int status = QCoreApplication::exec();
    monitor.stop();
    return status;
}

}  // namespace moravel
