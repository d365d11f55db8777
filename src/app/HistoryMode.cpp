#include "app/HistoryMode.h"

#include "history/HistoryFile.h"
#include "history/HistoryFormat.h"

#include <QDateTime>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace moravel {

int runHistoryMode(const RunOptions& options)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const auto read = HistoryFile::read(HistoryFile::defaultPath(), now);
    if (const auto* problem = std::get_if<QString>(&read)) {
        std::fprintf(stderr, "%s\n", problem->toLocal8Bit().constData());
        return 1;
    }
    // A minute counts when any of it falls within the stretch asked for.
    const qint64 from = options.sinceSeconds ? now - *options.sinceSeconds - 59 : now - secondsPerDay;
    QByteArray out;
    for (const MinuteBucket& bucket : std::get<QList<MinuteBucket>>(read)) {
        if (bucket.minute >= from)
            out += HistoryFormat::jsonLine(bucket) + '\n';
    }
    if (std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout) != static_cast<size_t>(out.size())
        || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "moravel: cannot write the history to standard output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

}  // namespace moravel
