#include "app/JsonMode.h"

#include "app/Platform.h"
#include "monitor/MeasuredReadings.h"
#include "monitor/SnapshotJson.h"
#include "monitor/SystemMonitor.h"
#include "support/BackgroundRunner.h"
#include "support/QtScheduler.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace moravel {

int runJsonMode(const RunOptions& options)
{
    QtScheduler scheduler;
    ThreadPoolRunner background;
    const ReaderRoots roots = ReaderRoots::fromEnvironment();
    reportUnreadableReaderRoots(roots);
    SystemMonitor monitor(scheduler, makeTelemetrySource(roots, scheduler, background));

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
        const QByteArray line = snapshotJsonLine(snapshot, time) + '\n';
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
    monitor.start();
    const int status = QCoreApplication::exec();
    monitor.stop();
    return status;
}

}  // namespace moravel
