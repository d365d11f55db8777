#include "monitor/SnapshotJson.h"

#include "monitor/JsonWriter.h"
#include "monitor/ReadingTable.h"

namespace moravel {

QByteArray snapshotJsonLine(const SystemSnapshot& s, const QDateTime& time, const QString& source)
{
    QByteArray out;
    out.reserve(1024);
    JsonWriter w(out);
    w.string("time", time.toUTC().toString(Qt::ISODateWithMs));
    for (const ReadingDescriptor& reading : ReadingTable::all()) {
        if (reading.writeJson)
            reading.writeJson(w, s);
    }
    w.objects("topProcesses", s.topProcesses, [](JsonWriter& row, const ProcessMetric& p) {
        row.integer("id", p.id);
        row.string("name", p.name);
        row.number("cpuPercent", p.cpuPercent);
        row.unsignedInteger("memoryBytes", p.memoryBytes);
    });
    if (!source.isEmpty())
        w.string("source", source);
    w.finish();
    return out;
}

}  // namespace moravel
