#pragma once

#include "monitor/MetricTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace moravel {

// Writes one compact JSON object into `out`, keys in the order they are
// written. Numbers are written exactly and locale-free; a number that is not
// finite, or an absent optional, is null.
class JsonWriter {
public:
    // The fields of the `absent` groups are written, but as null.
    explicit JsonWriter(QByteArray& out, ReadingSet absent = {});
    // Closes the object.
    void finish();

    void number(const char* name, double value);
    void number(const char* name, std::optional<double> value);
    void integer(const char* name, long long value);
    void integer(const char* name, std::optional<long long> value);
    void unsignedInteger(const char* name, unsigned long long value);
    void unsignedInteger(const char* name, std::optional<unsigned long long> value);
    void boolean(const char* name, bool value);
    void string(const char* name, const QString& value);
    void null(const char* name);
    void numbers(const char* name, const QList<double>& values);

    // The fields written from here on belong to `group` (to none: always written).
    void group(std::optional<ReadingGroup> group);

    // An array of objects, one per item, each written by `write(JsonWriter&, item)`.
    template <typename Item, typename Write>
    void objects(const char* name, const QList<Item>& items, Write write)
    {
        if (writesNull(name))
            return;
        key(name);
        out_.append('[');
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (i > 0)
                out_.append(',');
            JsonWriter item(out_);
            write(item, items[i]);
            item.finish();
        }
        out_.append(']');
    }

private:
    void key(const char* name);
    // Writes `name` as null, and says so, while its group is absent.
    bool writesNull(const char* name);
    void appendNumber(double value);

    QByteArray& out_;
    bool first_ = true;
    ReadingSet absent_;
    bool isGroupAbsent_ = false;
};

}  // namespace moravel
