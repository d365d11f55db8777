#include "monitor/SnapshotJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <charconv>
#include <cmath>

namespace moravel {

namespace {

class JsonObjectWriter {
public:
    explicit JsonObjectWriter(QByteArray& out) : out_(out) { out_.append('{'); }
    void finish() { out_.append('}'); }

    void key(const char* name)
    {
        if (!first_)
            out_.append(',');
        first_ = false;
        out_.append('"').append(name).append("\":");
    }
    void number(const char* name, double value)
    {
        key(name);
        appendNumber(value);
    }
    void integer(const char* name, long long value)
    {
        key(name);
        out_.append(QByteArray::number(value));
    }
    void unsignedInteger(const char* name, unsigned long long value)
    {
        key(name);
        out_.append(QByteArray::number(value));
    }
    void boolean(const char* name, bool value)
    {
        key(name);
        out_.append(value ? "true" : "false");
    }
    void string(const char* name, const QString& value)
    {
        key(name);
        // QJsonDocument does the escaping; strip the array brackets around the one value.
        const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        out_.append(wrapped.mid(1, wrapped.size() - 2));
    }
    void null(const char* name)
    {
        key(name);
        out_.append("null");
    }
    QByteArray& raw() { return out_; }

private:
    void appendNumber(double value)
    {
        if (!std::isfinite(value)) {
            out_.append("null");
            return;
        }
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        out_.append(buffer, static_cast<int>(result.ptr - buffer));
    }

    QByteArray& out_;
    bool first_ = true;
};

}  // namespace

QByteArray snapshotJsonLine(const SystemSnapshot& s, const QDateTime& time)
{
    QByteArray out;
    out.reserve(1024);
    JsonObjectWriter w(out);
    w.string("time", time.toUTC().toString(Qt::ISODateWithMs));
    w.number("cpuPercent", s.cpuPercent);
    w.number("memoryPercent", s.memoryPercent);
    w.unsignedInteger("memoryUsed", s.memoryUsed);
    w.unsignedInteger("memoryTotal", s.memoryTotal);
    w.number("downloadBytesPerSecond", s.downloadBytesPerSecond);
    w.number("uploadBytesPerSecond", s.uploadBytesPerSecond);
    w.number("diskPercent", s.diskPercent);
    w.unsignedInteger("diskUsed", s.diskUsed);
    w.unsignedInteger("diskTotal", s.diskTotal);
    w.boolean("hasBattery", s.hasBattery);
    w.integer("batteryPercent", s.batteryPercent);
    w.boolean("isCharging", s.isCharging);
    w.boolean("isExternalPowerConnected", s.isExternalPowerConnected);
    w.boolean("isFullyCharged", s.isFullyCharged);
    if (s.minutesRemaining)
        w.integer("minutesRemaining", *s.minutesRemaining);
    else
        w.null("minutesRemaining");
    w.number("batteryPowerWatts", s.batteryPowerWatts);
    w.number("systemInputWatts", s.systemInputWatts);
    if (s.displayPowerWatts)
        w.number("displayPowerWatts", *s.displayPowerWatts);
    else
        w.null("displayPowerWatts");
    w.integer("adapterWatts", s.adapterWatts);
    w.number("adapterVoltage", s.adapterVoltage);
    w.number("adapterCurrent", s.adapterCurrent);
    w.key("topProcesses");
    out.append('[');
    for (qsizetype i = 0; i < s.topProcesses.size(); ++i) {
        const ProcessMetric& p = s.topProcesses[i];
        if (i > 0)
            out.append(',');
        JsonObjectWriter row(out);
        row.integer("id", p.id);
        row.string("name", p.name);
        row.number("cpuPercent", p.cpuPercent);
        row.unsignedInteger("memoryBytes", p.memoryBytes);
        row.finish();
    }
    out.append(']');
    w.finish();
    return out;
}

}  // namespace moravel
