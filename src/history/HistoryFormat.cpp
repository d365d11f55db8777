#include "history/HistoryFormat.h"

#include "monitor/MetricSeries.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <cmath>

namespace moravel::HistoryFormat {

namespace {

constexpr char formatName[] = "moravel-history";

// Two decimals for percentages and watts, whole numbers for byte rates.
void appendNumber(QByteArray& out, double value)
{
    const double magnitude = std::abs(value);
    const int decimals = magnitude < 100 ? 2 : magnitude < 10'000 ? 1 : 0;
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    qsizetype length = result.ptr - buffer;
    if (decimals > 0) {
        while (buffer[length - 1] == '0')
            --length;
        if (buffer[length - 1] == '.')
            --length;
    }
    if (length == 2 && buffer[0] == '-' && buffer[1] == '0')
        out += '0';
    else
        out.append(buffer, length);
}

void appendSummary(QByteArray& out, const SeriesSummary& summary)
{
    if (!summary.isPresent()) {
        out += "null";
        return;
    }
    out += '[';
    appendNumber(out, summary.minimum);
    out += ',';
    appendNumber(out, summary.mean);
    out += ',';
    appendNumber(out, summary.maximum);
    out += ']';
}

bool isWhole(const QJsonValue& value)
{
    return value.isDouble() && value.toDouble() == static_cast<double>(value.toInteger());
}

std::optional<SeriesSummary> decodeSummary(const QJsonValue& value)
{
    if (value.isNull())
        return SeriesSummary{};
    const QJsonArray triple = value.toArray();
    if (!value.isArray() || triple.size() != 3 || !triple[0].isDouble() || !triple[1].isDouble()
        || !triple[2].isDouble())
        return std::nullopt;
    return SeriesSummary{triple[0].toDouble(), triple[1].toDouble(), triple[2].toDouble()};
}

// The series each column holds; nothing for a name this version does not know.
std::optional<QList<std::optional<Series>>> decodeColumns(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    QList<std::optional<Series>> columns;
    for (const QJsonValue& name : value.toArray()) {
        if (!name.isString())
            return std::nullopt;
        std::optional<Series> column;
        for (const SeriesDescriptor& series : allSeries()) {
            if (name.toString() == QLatin1StringView(series.jsonName))
                column = series.series;
        }
        if (column && columns.contains(column))
            return std::nullopt;
        columns.append(column);
    }
    return columns;
}

std::optional<MinuteBucket> decodeMinute(const QJsonValue& value, const QList<std::optional<Series>>& columns)
{
    const QJsonArray row = value.toArray();
    if (!value.isArray() || row.size() != columns.size() + 2 || !isWhole(row[0]) || row[0].toInteger() % 60 != 0
        || !isWhole(row[1]) || row[1].toInteger() < 1)
        return std::nullopt;
    MinuteBucket bucket;
    bucket.minute = row[0].toInteger();
    bucket.sampleCount = static_cast<int>(std::min<qint64>(row[1].toInteger(), secondsPerDay));
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const std::optional<SeriesSummary> summary = decodeSummary(row[i + 2]);
        if (!summary)
            return std::nullopt;
        if (columns[i])
            bucket[*columns[i]] = *summary;
    }
    return bucket;
}

}  // namespace

QByteArray encode(const QList<MinuteBucket>& buckets)
{
    QByteArray out;
    out.reserve(64 + 200 * buckets.size());
    out += "{\"format\":\"" + QByteArray(formatName) + "\",\"version\":" + QByteArray::number(version)
           + ",\"series\":[";
    const char* separator = "\"";
    for (const SeriesDescriptor& series : allSeries()) {
        out += separator + QByteArray(series.jsonName) + '"';
        separator = ",\"";
    }
    out += "],\"minutes\":[";
    for (qsizetype b = 0; b < buckets.size(); ++b) {
        out += b == 0 ? "[" : ",[";
        out += QByteArray::number(buckets[b].minute) + ',' + QByteArray::number(buckets[b].sampleCount);
        for (const SeriesSummary& summary : buckets[b].series) {
            out += ',';
            appendSummary(out, summary);
        }
        out += ']';
    }
    out += "]}\n";
    return out;
}

std::variant<QList<MinuteBucket>, Unreadable> decode(const QByteArray& json, qint64 nowSeconds)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return Unreadable::corrupt;
    const QJsonObject object = document.object();
    const QJsonValue versionValue = object.value(QLatin1StringView("version"));
    if (object.value(QLatin1StringView("format")).toString() != QLatin1StringView(formatName) || !isWhole(versionValue)
        || versionValue.toInteger() < 1)
        return Unreadable::corrupt;
    if (versionValue.toInteger() > version)
        return Unreadable::newerVersion;
    const auto columns = decodeColumns(object.value(QLatin1StringView("series")));
    const QJsonValue minutes = object.value(QLatin1StringView("minutes"));
    if (!columns || !minutes.isArray())
        return Unreadable::corrupt;
    // One slot per minute of the day: a file of any order and length is read
    // in one pass, and no more than a day of it kept.
    LastDay day(nowSeconds);
    for (const QJsonValue& value : minutes.toArray()) {
        const std::optional<MinuteBucket> bucket = decodeMinute(value, *columns);
        if (!bucket)
            return Unreadable::corrupt;
        day.add(*bucket);
    }
    return day.buckets();
}

QByteArray jsonLine(const MinuteBucket& bucket)
{
    const QDateTime start = QDateTime::fromSecsSinceEpoch(bucket.minute, Qt::UTC);
    QByteArray out = "{\"time\":\"" + start.toString(Qt::ISODate).toLatin1() + '"';
    const auto member = [&out](const QByteArray& name, double value, bool present) {
        out += ",\"" + name + "\":";
        if (present)
            appendNumber(out, value);
        else
            out += "null";
    };
    for (const SeriesDescriptor& series : allSeries()) {
        const SeriesSummary& summary = bucket[series.series];
        const QByteArray name(series.jsonName);
        member(name, summary.mean, summary.isPresent());
        member(name + "Min", summary.minimum, summary.isPresent());
        member(name + "Max", summary.maximum, summary.isPresent());
    }
    return out + '}';
}

}  // namespace moravel::HistoryFormat
