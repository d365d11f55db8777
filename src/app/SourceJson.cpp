#include "app/SourceJson.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <initializer_list>

namespace moravel {

namespace {

struct GroupFields {
    ReadingGroup group;
    std::initializer_list<const char*> fields;
};

const GroupFields groupFields[] = {
    {ReadingGroup::cpu, {"cpuPercent", "cpuCorePercents"}},
    {ReadingGroup::memory, {"memoryPercent", "memoryUsed", "memoryTotal"}},
    {ReadingGroup::swap, {"swapUsed", "swapTotal"}},
    {ReadingGroup::network, {"downloadBytesPerSecond", "uploadBytesPerSecond"}},
    {ReadingGroup::disk, {"diskPercent", "diskUsed", "diskTotal"}},
    {ReadingGroup::diskActivity, {"diskReadBytesPerSecond", "diskWriteBytesPerSecond"}},
    {ReadingGroup::load, {"loadAverage"}},
    {ReadingGroup::temperatures, {"temperatures", "cpuTemperatureCelsius"}},
    {ReadingGroup::power,
     {"hasBattery", "batteryPercent", "isCharging", "isExternalPowerConnected", "isFullyCharged", "minutesRemaining",
      "batteryPowerWatts", "systemInputWatts", "displayPowerWatts"}},
    {ReadingGroup::adapter, {"adapterWatts", "adapterVoltage", "adapterCurrent"}},
    {ReadingGroup::processes, {"topProcesses"}},
};

bool isAbsentField(const QByteArray& key, ReadingSet absent)
{
    return std::any_of(std::begin(groupFields), std::end(groupFields), [&](const GroupFields& entry) {
        const auto named = [&](const char* field) { return key == field; };
        return absent.contains(entry.group) && std::any_of(entry.fields.begin(), entry.fields.end(), named);
    });
}

// The end of the JSON value starting at `from`: past its closing bracket or
// quote, or at the comma or brace ending a plain value.
qsizetype valueEnd(const QByteArray& line, qsizetype from)
{
    int depth = 0;
    bool inString = false;
    for (qsizetype i = from; i < line.size(); ++i) {
        const char c = line[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            ++depth;
        } else if (c == ']' || c == '}') {
            if (depth == 0)
                return i;
            --depth;
        } else if (c == ',' && depth == 0) {
            return i;
        }
    }
    return line.size();
}

}  // namespace

QByteArray sourceJsonLine(const QByteArray& line, const QString& source, ReadingSet absent)
{
    // The line is the writer's own compact object: {"key":value,...}.
    QByteArray out;
    out.reserve(line.size() + 64);
    qsizetype i = 1;
    out.append('{');
    while (i < line.size() && line[i] == '"') {
        const qsizetype keyEnd = line.indexOf("\":", i + 1);
        if (keyEnd < 0)
            break;
        const QByteArray key = line.mid(i + 1, keyEnd - i - 1);
        const qsizetype end = valueEnd(line, keyEnd + 2);
        if (out.size() > 1)
            out.append(',');
        out.append(line.mid(i, keyEnd + 2 - i));
        out.append(isAbsentField(key, absent) ? QByteArray("null") : line.mid(keyEnd + 2, end - keyEnd - 2));
        i = end + 1;
    }
    const QByteArray quoted = QJsonDocument(QJsonArray{source}).toJson(QJsonDocument::Compact);
    out.append(out.size() > 1 ? ",\"source\":" : "\"source\":").append(quoted.mid(1, quoted.size() - 2)).append('}');
    return out;
}

}  // namespace moravel
