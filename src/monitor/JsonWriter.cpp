#include "monitor/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <charconv>
#include <cmath>

namespace moravel {

JsonWriter::JsonWriter(QByteArray& out) : out_(out)
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

void JsonWriter::number(const char* name, std::optional<double> value)
{
    key(name);
    appendNumber(value.value_or(NAN));
}

void JsonWriter::integer(const char* name, std::optional<long long> value)
{
    key(name);
    out_.append(value ? QByteArray::number(*value) : QByteArray("null"));
}

void JsonWriter::unsignedInteger(const char* name, std::optional<unsigned long long> value)
{
    key(name);
    out_.append(value ? QByteArray::number(*value) : QByteArray("null"));
}

void JsonWriter::boolean(const char* name, std::optional<bool> value)
{
    key(name);
    out_.append(!value ? "null" : *value ? "true" : "false");
}

void JsonWriter::string(const char* name, const QString& value)
{
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

void JsonWriter::numbers(const char* name, const std::optional<QList<double>>& values)
{
    key(name);
    if (!values) {
        out_.append("null");
        return;
    }
    out_.append('[');
    for (qsizetype i = 0; i < values->size(); ++i) {
        if (i > 0)
            out_.append(',');
        appendNumber((*values)[i]);
    }
    out_.append(']');
}

}  // namespace moravel
