#include "app/Platform.h"

#include "monitor/linux/LinuxSource.h"
#include "support/PrintableExcerpt.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace moravel {

std::shared_ptr<TelemetrySource> makeTelemetrySource(const ReaderRoots& roots, Scheduler& scheduler,
                                                     BackgroundRunner& background)
{
    return std::make_shared<LinuxSource>(roots, scheduler, background);
}

void reportUnreadableReaderRoots(const ReaderRoots& roots)
{
    const ReaderRoots defaults;
    const struct {
        const QString& root;
        const QString& fallback;
        const char* variable;
    } rows[] = {{roots.proc, defaults.proc, "MORAVEL_PROC_ROOT"}, {roots.sys, defaults.sys, "MORAVEL_SYS_ROOT"}};
    for (const auto& row : rows) {
        if (QFileInfo(row.root).isDir() && ::access(QFile::encodeName(row.root).constData(), R_OK | X_OK) == 0)
            continue;
        const QString named =
            row.root == row.fallback
                ? row.root
                : QStringLiteral("%1=%2").arg(QLatin1String(row.variable), printableExcerpt(row.root));
        std::fprintf(stderr, "moravel: %s is not a readable folder; the readings it holds will be missing\n",
                     named.toLocal8Bit().constData());
    }
}

}  // namespace moravel
