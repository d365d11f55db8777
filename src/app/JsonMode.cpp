#include "app/JsonMode.h"

#include "app/Platform.h"
#include "monitor/MeasuredReadings.h"
#include "monitor/SnapshotJson.h"
#include "monitor/SystemMonitor.h"
#include "support/BackgroundRunner.h"
#include "support/QtScheduler.h"

#include <QCoreApplication>

#include <cstdio>

namespace moravel {

int runJsonMode(const RunOptions& options)
{
    QtScheduler scheduler;
    ThreadPoolRunner background;
    SystemMonitor monitor(scheduler, background, makePlatformTelemetry(ReaderRoots::fromEnvironment()),
                          ReaderRoots::fromEnvironment());

    int printed = 0;
    // Queued, so that it also works for the refresh taken before the event loop runs.
    const auto finish = [&monitor] {
        monitor.stop();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    };
    // Every line carries measured values: from the second refresh on (rates
    // need two readings), once the disk and any process shares are in.
    MeasuredReadings readings(monitor, options.processes);
    QObject::connect(&readings, &MeasuredReadings::readingReady, &monitor,
                     [&](const SystemSnapshot& snapshot, const QDateTime& time) {
        const QByteArray line = snapshotJsonLine(snapshot, time) + '\n';
        if (std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout) != static_cast<size_t>(line.size())
            || std::fflush(stdout) != 0) {
            // The reader went away (a closed pipe): stop quietly.
            finish();
            return;
        }
        if (options.count && ++printed >= *options.count)
            finish();
    });
    monitor.start();
    const int status = QCoreApplication::exec();
    monitor.stop();
    return status;
}

}  // namespace moravel
