#include "monitor/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <charconv>
#include <cmath>

namespace moravel {

JsonWriter::JsonWriter(QByteArray& out, ReadingSet absent) : out_(out), absent_(absent)
{
    out_.append('{');
}

void JsonWriter::finish()
{
    out_.append('}');
}

void JsonWriter::key(const char* name)
{
    if (!first_)
        out_.append(',');
    first_ = false;
    out_.append('"').append(name).append("\":");
}

bool JsonWriter::writesNull(const char* name)
{
    if (!isGroupAbsent_)
        return false;
    key(name);
    out_.append("null");
    return true;
}

void JsonWriter::group(std::optional<ReadingGroup> group)
{
    isGroupAbsent_ = group && absent_.contains(*group);
}

void JsonWriter::appendNumber(double value)
{
    if (!std::isfinite(value)) {
        out_.append("null");
        return;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, static_cast<int>(result.ptr - buffer));
}

void JsonWriter::number(const char* name, double value)
{
    if (writesNull(name))
        return;
    key(name);
    appendNumber(value);
}

void JsonWriter::number(const char* name, std::optional<double> value)
{
    number(name, value.value_or(NAN));
}

void JsonWriter::integer(const char* name, long long value)
{
    if (writesNull(name))
        return;
    key(name);
    out_.append(QByteArray::number(value));
}

void JsonWriter::integer(const char* name, std::optional<long long> value)
{
    if (value)
        integer(name, *value);
    else
        null(name);
}

void JsonWriter::unsignedInteger(const char* name, unsigned long long value)
{
    if (writesNull(name))
        return;
    key(name);
    out_.append(QByteArray::number(value));
}

void JsonWriter::unsignedInteger(const char* name, std::optional<unsigned long long> value)
{
    if (value)
        unsignedInteger(name, *value);
    else
        null(name);
}

void JsonWriter::boolean(const char* name, bool value)
{
    if (writesNull(name))
        return;
    key(name);
    out_.append(value ? "true" : "false");
}

void JsonWriter::string(const char* name, const QString& value)
{
    if (writesNull(name))
        return;
    key(name);
    // QJsonDocument does the escaping; strip the array brackets around the one value.
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    out_.append(wrapped.mid(1, wrapped.size() - 2));
}

void JsonWriter::null(const char* name)
{
    key(name);
    out_.append("null");
}

void JsonWriter::numbers(const char* name, const QList<double>& values)
{
    if (writesNull(name))
        return;
    key(name);
    out_.append('[');
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            out_.append(',');
        appendNumber(values[i]);
    }
    out_.append(']');
}

}  // namespace moravel
